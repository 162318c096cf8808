// The dialog's side of moving a table into the grid: "Read Once", the first
// read of a table, the periodic read and the rewrite pass, each in the guard
// that logs what the database throws.
#include "quillmere_dlg.h"

void CQuillmereDlg::BuildColumns(const CString& strTable, CDaoDatabase* pDb, transfer::CTableFields* pFields)
{
    if (!pDb || !pDb->IsOpen()) return;
    transfer::CTableFields fields;
    transfer::BuildColumns(m_grid, *pDb, strTable, pFields ? *pFields : fields);
}

CString CQuillmereDlg::BuildQuery(const CString& strTable, CDaoDatabase* pDb)
{
    if (!pDb || !pDb->IsOpen()) return CString();
    return transfer::BuildQuery(strTable, transfer::ReadTableFields(*pDb, strTable));
}

CString CQuillmereDlg::ToString(const COleVariant& var, int nPrecision, DWORD dwDateStyle)
{
    return transfer::ToString(var, nPrecision, dwDateStyle);
}

void CQuillmereDlg::FillGridRows(CDaoRecordset& rs, int& nDone) { transfer::FillGridRows(m_grid, rs, nDone); }

void CQuillmereDlg::OnReadOnce()
{
    CString strTable = GetSelectedTable();
    if (strTable.IsEmpty()) return;
    StopModes();

    CDaoDatabase db;
    ReadFirst(strTable, db);
}

void CQuillmereDlg::ReadFirst(const CString& strTable, CDaoDatabase& db)
{
    if (db.IsOpen()) db.Close();
    RunGuarded([&] { db.Open(m_strDbPath, FALSE, FALSE, ""); });
    // A layout that fails (the table has gone) does not leave db open.
    try {
        // The table's definition, read once when the columns are laid out;
        // the query text names the same fields.
        std::optional<transfer::CTableFields> fields;
        LayOutColumns(strTable, &db, fields);
        m_strSQL = ReadTable(strTable, &db, fields ? &*fields : nullptr);
    } catch (...) {
        if (db.IsOpen()) db.Close();
        throw;
    }
    if (db.IsOpen()) db.Close();
}

void CQuillmereDlg::LayOutColumns(const CString& strTable, CDaoDatabase* pDb,
                                  std::optional<transfer::CTableFields>& fields)
{
    if (m_strTable.Compare(strTable) == 0) return;
    // m_strTable names the table whose columns the grid shows. Without a
    // database nothing is laid out, so it keeps naming the old table; and a
    // layout that fails half-way leaves columns of no table: the next read
    // of any table lays them out afresh.
    if (!pDb || !pDb->IsOpen()) return;
    m_strTable = strTable;
    try {
        BuildColumns(strTable, pDb, &fields.emplace());
    } catch (...) {
        m_strTable.Empty();
        throw;
    }
}

CString CQuillmereDlg::ReadTable(const CString& strTable, CDaoDatabase* pDb, const transfer::CTableFields* pFields)
{
    if (!pDb || !pDb->IsOpen() || strTable.IsEmpty()) return CString();

    CString strSQL;
    RunGuarded([&] {
        strSQL = pFields ? transfer::BuildQuery(strTable, *pFields) : BuildQuery(strTable, pDb);
        CDaoRecordset rs(pDb);
        rs.Open(dbOpenSnapshot, strSQL, 0);
        int nDone = 0;
        FillGridRows(rs, nDone);
    });
    return strSQL;
}

int CQuillmereDlg::RefreshTable()
{
    if (m_strTable.IsEmpty()) return 0;

    int nDone = 0;
    RunGuarded([&] {
        // Through the updating mode's connection while it is open, else
        // through one of this pass's own.
        CDaoDatabase db;
        CDaoDatabase* pDb = &m_db;
        if (!m_db.IsOpen()) {
            db.Open(m_strDbPath, FALSE, FALSE, "");
            pDb = &db;
        }
        CDaoRecordset rs(pDb);
        rs.Open(dbOpenSnapshot, m_strSQL, 0);
        FillGridRows(rs, nDone);
    });
    return nDone;
}

int CQuillmereDlg::RewriteRecords()
{
    if (!m_db.IsOpen()) return 0;
    if (m_strTable.IsEmpty()) return 0;

    int nDone = 0;
    RunGuarded([&] { transfer::RewriteRecords(m_db, m_strSQL, nDone); });
    return nDone;
}
