// "Repair DB": the database named by the path label compacted in place, with
// the modes stopped and the updating connection closed around it.
#include "quillmere_dlg.h"

void CQuillmereDlg::OnRepairDb()
{
    CString strPath;
    m_stcPath.GetWindowText(strPath);
    if (strPath.IsEmpty()) return;

    StopModes();
    const BOOL bWasOpen = m_db.IsOpen();
    if (bWasOpen) m_db.Close();

    CString strError;
    BOOL bFailed = FALSE;
    {
        CWaitCursor wait;
        try {
            transfer::CompactInPlace(strPath);
        } catch (transfer::CReplaceException* e) {
            // The reason and the kept copy's name in full, whatever its length.
            bFailed = TRUE;
            strError = e->m_strMessage;
            e->Delete();
        } catch (CException* e) {
            char szCause[256] = "";
            e->GetErrorMessage(szCause, 255);
            e->Delete();
            bFailed = TRUE;
            strError = szCause;
        } catch (const std::bad_alloc&) {
            CMemoryException e(FALSE);
            char szCause[256] = "";
            e.GetErrorMessage(szCause, 255);
            bFailed = TRUE;
            strError = szCause;
        }
    }
    if (bFailed) {
        CString strMessage;
        strMessage.Format("Unable to Compact Database:\n %s", static_cast<LPCSTR>(strError));
        AfxMessageBox(strMessage, MB_ICONSTOP);
    }

    if (bWasOpen) RunGuarded([&] { m_db.Open(m_strDbPath, FALSE, FALSE, ""); });
}
