// Reading a table's records into the grid: once ("Read Once"), as the first
// read of a table, and again on every tick of the reading mode.
#include "held_redraw.h"
#include "quillmere_dlg.h"
#include "transfer_limits.h"

void CQuillmereDlg::OnReadOnce()
{
    CString strTable = GetSelectedTable();
    if (strTable.IsEmpty()) return;
    StopModes();

    CDaoDatabase db;
    RunGuarded([&] { db.Open(m_strDbPath, FALSE, FALSE, ""); });
    LayOutColumns(strTable, &db);
    m_strSQL = ReadTable(strTable, &db);
    if (db.IsOpen()) db.Close();
}

void CQuillmereDlg::LayOutColumns(const CString& strTable, CDaoDatabase* pDb)
{
    if (m_strTable.Compare(strTable) == 0) return;
    // m_strTable names the table whose columns the grid shows. Without a
    // database nothing is laid out, so it keeps naming the old table; and a
    // layout that fails half-way leaves columns of no table: the next read
    // of any table lays them out afresh.
    if (!pDb || !pDb->IsOpen()) return;
    m_strTable = strTable;
    try {
        BuildColumns(strTable, pDb);
    } catch (...) {
        m_strTable.Empty();
        throw;
    }
}

CString CQuillmereDlg::ReadTable(const CString& strTable, CDaoDatabase* pDb)
{
    if (!pDb || !pDb->IsOpen() || strTable.IsEmpty()) return CString();

    CString strSQL;
    RunGuarded([&] {
        CDaoRecordset rs(pDb);
        strSQL = BuildQuery(strTable, pDb);
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


void CQuillmereDlg::FillGridRows(CDaoRecordset& rs, int& nDone)
{
    long nRecords = 0;
    if (!rs.IsEOF()) {
        rs.MoveLast();
        nRecords = rs.GetRecordCount();
        rs.MoveFirst();
    }

    // Only a change in the number of rows (a first read, a table that grew
    // or shrank) is drawn in one go; a tick over the same rows draws the
    // cells that changed as they change.
    CHeldRedraw held(m_grid);

    // The grid gets as many rows as there are records, taken off and put on at the top.
    while (m_grid.SendMessage(LVM_GETITEMCOUNT, 0, 0) > nRecords) {
        held.Hold();
        if (!m_grid.SendMessage(LVM_DELETEITEM, 0, 0)) break;
    }
    while (m_grid.SendMessage(LVM_GETITEMCOUNT, 0, 0) < nRecords) {
        held.Hold();
        if (m_grid.InsertItem(LVIF_TEXT, 0, "", 0, 0, 0, 0) < 0) AfxThrowMemoryException();
    }

    const int nFields = rs.GetFieldCount();
    COleVariant value;
    for (long r = 0; !rs.IsEOF() && r < nRecords;) {
        for (int f = 0; f < nFields; ++f) {
            rs.GetFieldValue(f, value);
            m_grid.SetItemText(static_cast<int>(r), f, ToString(value, kReadPrecision, kReadDateStyle));
        }
        rs.MoveNext();
        nDone = static_cast<int>(++r);
    }
    value.Clear();
}
