#include "dao_database.h"
#include "engine_call.h"
#include "engine_text.h"
#include "jet/database/database.h"

CDaoDatabase::CDaoDatabase(CDaoWorkspace* pWorkspace) : m_pWorkspace(pWorkspace) {}

CDaoDatabase::~CDaoDatabase() { Close(); }

void CDaoDatabase::Open(LPCSTR lpszName, BOOL bExclusive, BOOL bReadOnly, LPCSTR /*lpszConnect*/)
{
    Close();
    if (bExclusive || bReadOnly) ThrowEngineError(0, "The database engine opens files for shared use only.");
    const CString name(lpszName);
    m_pEngine = EngineCall([&] { return std::make_unique<jet::Database>(EngineText(name)); });
    m_strName = name;
}

void CDaoDatabase::Close()
{
    m_pEngine.reset();
    m_strName.Empty();
}

jet::Database& CDaoDatabase::Engine() const
{
    if (!m_pEngine) AfxThrowDaoException(AFX_DAO_ERROR_OBJECT_NOT_OPEN);
    return *m_pEngine;
}

short CDaoDatabase::GetTableDefCount() const { return static_cast<short>(Engine().table_count()); }

void CDaoDatabase::GetTableDefInfo(int nIndex, CDaoTableDefInfo& info, DWORD dwInfoOptions)
{
    jet::Database& db = Engine();
    EngineCall([&] {
        if (nIndex < 0) throw jet::item_not_found();
        const jet::CatalogueEntry& entry = db.table(static_cast<std::size_t>(nIndex));
        info.m_strName = ProgramText(entry.name);
        info.m_lAttributes = static_cast<long>(entry.attributes);
        info.m_bUpdatable = db.writable() && entry.kind == jet::TableKind::Table;
        if (dwInfoOptions & (AFX_DAO_SECONDARY_INFO | AFX_DAO_ALL_INFO)) {
            info.m_strSrcTableName = ProgramText(entry.foreign_name);
            if (entry.type == jet::kObjectLinkedTable)
                info.m_strConnect = ProgramText(";DATABASE=" + entry.database);
            else
                info.m_strConnect = ProgramText(entry.connect);
        }
    });
}
