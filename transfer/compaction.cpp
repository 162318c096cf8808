// "Repair DB": the database named by the path label compacted into a
// temporary file beside it, which then takes the database's place.
#include "quillmere_dlg.h"

namespace {
const char kCompactLocale[] = ";LANGID=0x0409;CP=1252;COUNTRY=0";

// The system's own words for an error code.
CString SystemErrorText(DWORD dwError)
{
    char text[256] = "";
    const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError,
                                     0, text, sizeof text, nullptr);
    CString result(text, static_cast<int>(n));
    result.TrimRight();
    if (result.IsEmpty()) result.Format("System error %lu.", static_cast<unsigned long>(dwError));
    return result;
}
} // namespace

CString CQuillmereDlg::CompactTempName(const CString& strPath)
{
    // Only a dot in the file's own name (after the last separator or drive
    // colon) begins its extension.
    int nName = 0;
    for (int i = 0; i < strPath.GetLength(); ++i)
        if (strPath[i] == '\\' || strPath[i] == '/' || strPath[i] == ':') nName = i + 1;
    const int nDot = strPath.ReverseFind('.');
    if (nDot < nName) return strPath + ".tmp";
    return strPath.Left(nDot) + ".tmp";
}

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
            const CString strTemp = CompactTempName(strPath);
            CDaoWorkspace workspace;
            // One rename replaces the database, right after the compaction
            // had it to itself: a program that opened it since makes the
            // rename fail, so none of its writes are lost. The database
            // either still is the old file or already the compacted one,
            // never half of each. When the rename fails the compacted copy
            // stays, and the box says where.
            workspace.CompactDatabase(strPath, strTemp, kCompactLocale, 0, [&] {
                if (!::MoveFileExA(strTemp, strPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                    bFailed = TRUE;
                    strError = SystemErrorText(::GetLastError());
                    strError += "\nThe compacted database was kept as '" + strTemp + "'.";
                }
            });
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
