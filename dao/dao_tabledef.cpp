#include "dao_tabledef.h"
#include "engine_call.h"
#include "engine_text.h"
#include "jet/database/database.h"

CDaoTableDef::CDaoTableDef(CDaoDatabase* pDatabase) : m_pDatabase(pDatabase) {}

CDaoTableDef::~CDaoTableDef() { Close(); }

void CDaoTableDef::Open(LPCSTR lpszName)
{
    Close();
    if (!m_pDatabase) AfxThrowDaoException(AFX_DAO_ERROR_OBJECT_NOT_OPEN);
    jet::Database& db = m_pDatabase->Engine();
    const CString name(lpszName);
    EngineCall([&] {
        const jet::TableDefinition table = db.table_definition(EngineText(name));
        std::vector<CDaoFieldInfo> fields(table.columns.size());
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const jet::Column& column = table.columns[i];
            CDaoFieldInfo& field = fields[i];
            field.m_strName = ProgramText(column.name);
            field.m_nType = column.dao_type();
            field.m_lSize = column.dao_size(table.version);
            field.m_lAttributes = (column.fixed() ? dbFixedField : dbVariableField) |
                                  (column.auto_number() ? dbAutoIncrField : dbUpdatableField);
            field.m_nOrdinalPosition = static_cast<short>(i);
        }
        m_fields = std::move(fields);
    });
    m_strName = name;
    m_bOpen = TRUE;
}

void CDaoTableDef::Close()
{
    m_fields.clear();
    m_strName.Empty();
    m_bOpen = FALSE;
}

short CDaoTableDef::GetFieldCount() const
{
    if (!m_bOpen) AfxThrowDaoException(AFX_DAO_ERROR_OBJECT_NOT_OPEN);
    return static_cast<short>(m_fields.size());
}

void CDaoTableDef::GetFieldInfo(int nIndex, CDaoFieldInfo& fieldinfo, DWORD dwInfoOptions) const
{
    if (!m_bOpen) AfxThrowDaoException(AFX_DAO_ERROR_OBJECT_NOT_OPEN);
    if (nIndex < 0 || static_cast<std::size_t>(nIndex) >= m_fields.size())
        EngineCall([] { throw jet::item_not_found(); });
    const CDaoFieldInfo& field = m_fields[static_cast<std::size_t>(nIndex)];
    fieldinfo.m_strName = field.m_strName;
    fieldinfo.m_nType = field.m_nType;
    fieldinfo.m_lSize = field.m_lSize;
    fieldinfo.m_lAttributes = field.m_lAttributes;
    if (dwInfoOptions & (AFX_DAO_SECONDARY_INFO | AFX_DAO_ALL_INFO)) fieldinfo.m_nOrdinalPosition = field.m_nOrdinalPosition;
}
