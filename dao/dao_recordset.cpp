#include "dao_recordset.h"
#include "engine_call.h"
#include "engine_text.h"
#include "field_value.h"
#include "jet/database/database.h"
#include "jet/database/dynaset.h"
#include "jet/base/error.h"
#include <cstring>
#include <new>

CDaoRecordset::CDaoRecordset(CDaoDatabase* pDatabase) : m_pDatabase(pDatabase) {}

CDaoRecordset::~CDaoRecordset()
{
    try {
        Close();
    } catch (CException* e) {
        e->Delete();
    }
}

void CDaoRecordset::Open(int nOpenType, LPCSTR lpszSQL, int /*nOptions*/)
{
    Close();
    if (!m_pDatabase) AfxThrowDaoException(AFX_DAO_ERROR_OBJECT_NOT_OPEN);
    jet::Database& db = m_pDatabase->Engine();
    const std::string text = EngineText(lpszSQL);
    EngineCall([&] {
        if (nOpenType == dbOpenDynaset || nOpenType == AFX_DAO_USE_DEFAULT_TYPE)
            m_pDynaset = std::make_unique<jet::Dynaset>(db.open_dynaset(text));
        else
            m_pSnapshot = std::make_unique<jet::Snapshot>(nOpenType == dbOpenTable ? db.open_table(text)
                                                                                   : db.open_snapshot(text));
        m_pValue = std::make_unique<jet::Value>();
    });
}

// A dynaset's writer goes idle here: what it could not write is reported
// as the engine's error, and the recordset is closed all the same.
void CDaoRecordset::Close()
{
    m_pSnapshot.reset();
    m_pValue.reset();
    if (!m_pDynaset) return;
    std::unique_ptr<jet::Dynaset> dynaset = std::move(m_pDynaset);
    EngineCall([&] { dynaset->close(); });
}

template <class F>
decltype(auto) CDaoRecordset::WithCursor(F&& f) const
{
    if (m_pDynaset) return EngineCall([&] { return f(*m_pDynaset); });
    if (!m_pSnapshot) AfxThrowDaoException(AFX_DAO_ERROR_OBJECT_NOT_OPEN);
    return EngineCall([&] { return f(*m_pSnapshot); });
}

jet::Dynaset& CDaoRecordset::Writable() const
{
    if (m_pDynaset) return *m_pDynaset;
    if (!m_pSnapshot) AfxThrowDaoException(AFX_DAO_ERROR_OBJECT_NOT_OPEN);
    const jet::Error readOnly = jet::read_only();
    ThrowEngineError(readOnly.number(), readOnly.description());
}

BOOL CDaoRecordset::IsEOF() const
{
    return WithCursor([](auto& c) { return c.is_eof(); });
}

BOOL CDaoRecordset::IsBOF() const
{
    return WithCursor([](auto& c) { return c.is_bof(); });
}

void CDaoRecordset::MoveFirst()
{
    WithCursor([](auto& c) { c.move_first(); });
}

void CDaoRecordset::MoveLast()
{
    WithCursor([](auto& c) { c.move_last(); });
}

void CDaoRecordset::MoveNext()
{
    WithCursor([](auto& c) { c.move_next(); });
}

long CDaoRecordset::GetRecordCount() const
{
    return WithCursor([](auto& c) { return c.record_count(); });
}

short CDaoRecordset::GetFieldCount() const
{
    return WithCursor([](auto& c) { return static_cast<short>(c.field_count()); });
}

void CDaoRecordset::GetFieldValue(int nIndex, COleVariant& varValue)
{
    WithCursor([&](auto& c) {
        c.read(nIndex, *m_pValue);
        StoreFieldValue(*m_pValue, varValue, m_textScratch);
    });
}

COleVariant CDaoRecordset::GetFieldValue(int nIndex)
{
    COleVariant value;
    GetFieldValue(nIndex, value);
    return value;
}

void CDaoRecordset::Edit()
{
    jet::Dynaset& cursor = Writable();
    EngineCall([&] { cursor.edit(); });
}

void CDaoRecordset::SetFieldValue(int nIndex, const COleVariant& varValue)
{
    jet::Dynaset& cursor = Writable();
    EngineCall([&] {
        jet::Value& value = *m_pValue;
        if (varValue.vt == VT_BSTR) {
            // Text comes back in the program's code page, which may lack some
            // of the field's characters: when it is what the field reads as,
            // the field keeps its own text.
            cursor.read(nIndex, value);
            if (value.kind() == jet::ValueKind::Text) {
                ProgramBytes(value.text(), m_textScratch);
                const UINT n = static_cast<UINT>(m_textScratch.size());
                const bool same = n == ::SysStringByteLen(varValue.bstrVal) &&
                                  (n == 0 || std::memcmp(m_textScratch.data(), varValue.bstrVal, n) == 0);
                if (same) {
                    cursor.set_value(nIndex, value);
                    return;
                }
            }
        }
        if (!LoadFieldValue(varValue, value)) throw jet::error(jet::kDataTypeConversion);
        cursor.set_value(nIndex, value);
    });
}

void CDaoRecordset::SetFieldValue(int nIndex, LPCSTR lpszValue)
{
    COleVariant value(lpszValue, VT_BSTRT);
    SetFieldValue(nIndex, value);
}

void CDaoRecordset::SetFieldValueNull(int nIndex)
{
    COleVariant value;
    value.vt = VT_NULL;
    SetFieldValue(nIndex, value);
}

void CDaoRecordset::Update()
{
    jet::Dynaset& cursor = Writable();
    EngineCall([&] { cursor.update(); });
}

void CDaoRecordset::CancelUpdate()
{
    jet::Dynaset& cursor = Writable();
    EngineCall([&] { cursor.cancel_update(); });
}
