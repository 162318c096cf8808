#include "dao_recordset.h"
#include "engine_call.h"
#include "engine_text.h"
#include "field_value.h"
#include "jet/database.h"

CDaoRecordset::CDaoRecordset(CDaoDatabase* pDatabase) : m_pDatabase(pDatabase) {}

CDaoRecordset::~CDaoRecordset() { Close(); }

void CDaoRecordset::Open(int nOpenType, LPCSTR lpszSQL, int /*nOptions*/)
{
    Close();
    if (!m_pDatabase) AfxThrowDaoException(AFX_DAO_ERROR_OBJECT_NOT_OPEN);
    jet::Database& db = m_pDatabase->Engine();
    const std::string text = EngineText(lpszSQL);
    m_pSnapshot = EngineCall([&] {
        auto snapshot = std::make_unique<jet::Snapshot>(nOpenType == dbOpenTable ? db.open_table(text)
                                                                                  : db.open_snapshot(text));
        m_pValue = std::make_unique<jet::Value>();
        return snapshot;
    });
}

void CDaoRecordset::Close()
{
    m_pSnapshot.reset();
    m_pValue.reset();
}

jet::Snapshot& CDaoRecordset::Cursor() const
{
    if (!m_pSnapshot) AfxThrowDaoException(AFX_DAO_ERROR_OBJECT_NOT_OPEN);
    return *m_pSnapshot;
}

BOOL CDaoRecordset::IsEOF() const { return Cursor().is_eof(); }

BOOL CDaoRecordset::IsBOF() const { return Cursor().is_bof(); }

void CDaoRecordset::MoveFirst()
{
    jet::Snapshot& cursor = Cursor();
    EngineCall([&] { cursor.move_first(); });
}

void CDaoRecordset::MoveLast()
{
    jet::Snapshot& cursor = Cursor();
    EngineCall([&] { cursor.move_last(); });
}

void CDaoRecordset::MoveNext()
{
    jet::Snapshot& cursor = Cursor();
    EngineCall([&] { cursor.move_next(); });
}

long CDaoRecordset::GetRecordCount() const { return Cursor().record_count(); }

short CDaoRecordset::GetFieldCount() const { return static_cast<short>(Cursor().field_count()); }

void CDaoRecordset::GetFieldValue(int nIndex, COleVariant& varValue)
{
    jet::Snapshot& cursor = Cursor();
    EngineCall([&] {
        cursor.read(nIndex, *m_pValue);
        StoreFieldValue(*m_pValue, varValue);
    });
}

COleVariant CDaoRecordset::GetFieldValue(int nIndex)
{
    COleVariant value;
    GetFieldValue(nIndex, value);
    return value;
}
