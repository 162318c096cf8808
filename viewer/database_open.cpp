// Opening a database and listing its tables; the table the operator selected.
#include <direct.h>
#include "quillmere_dlg.h"

void CQuillmereDlg::OnBrowse()
{
    // The file dialog may move the working directory; it is put back.
    char szWorkingDir[260];
    const bool bSaved = _getcwd(szWorkingDir, sizeof szWorkingDir) != nullptr;

    CFileDialog dlg(TRUE, "MDB", "*.MDB", OFN_LONGNAMES | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, nullptr, nullptr);
    if (dlg.DoModal() == IDOK) OpenDatabase(dlg.GetPathName());

    if (bSaved) _chdir(szWorkingDir);
}

void CQuillmereDlg::OpenDatabase(const CString& strPath)
{
    StopModes();
    // The current table was one of the old database's: a table of the same
    // name in this one is another table, whose columns and query text the
    // next read or toggle lays out afresh.
    m_strTable.Empty();
    m_strSQL.Empty();
    m_lstTables.ResetContent();
    m_strDbPath = strPath;
    if (m_db.IsOpen()) m_db.Close();

    CDaoDatabase db;
    RunGuarded([&] { db.Open(m_strDbPath, FALSE, FALSE, ""); });
    m_stcPath.SetWindowText(m_strDbPath);
    if (!db.IsOpen()) {
        AfxMessageBox("Failed to open database!");
        m_strDbPath.Empty();
        return;
    }

    // The listing ends at the first index whose definition cannot be read:
    // normally the one past the last table definition.
    CDaoTableDefInfo info;
    for (int i = 0; GetTableInfo(&db, info, i); ++i) {
        if (info.m_lAttributes & dbSystemObject) continue;
        if (info.m_lAttributes & dbHiddenObject) continue;
        m_lstTables.AddString(info.m_strName);
    }
    db.Close();
}

BOOL CQuillmereDlg::GetTableInfo(CDaoDatabase* pDb, CDaoTableDefInfo& info, int nIndex)
{
    if (!pDb) return FALSE;
    try {
        pDb->GetTableDefInfo(nIndex, info, AFX_DAO_ALL_INFO);
        return TRUE;
    } catch (CDaoException* e) {
        e->Delete();
    } catch (CMemoryException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    return FALSE;
}

CString CQuillmereDlg::GetSelectedTable()
{
    const int nIndex = m_lstTables.GetCurSel();
    CString strTable;
    if (nIndex >= 0) {
        m_lstTables.GetText(nIndex, strTable);
        return strTable;
    }
    AfxMessageBox("Please select a table first from the list on the far left.");
    return strTable;
}
