#include "afxexcept.h"
#include "afxapp.h"
#include <cstring>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)

namespace {
BOOL CopyMessage(LPCSTR text, LPSTR out, UINT nMax)
{
    if (!out || nMax == 0) return FALSE;
    lstrcpynA(out, text, static_cast<int>(nMax));
    return TRUE;
}
} // namespace

void CException::Delete()
{
    if (m_bAutoDelete) delete this;
}

BOOL CException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    if (pnHelpContext) *pnHelpContext = 0;
    if (lpszError && nMaxError) *lpszError = '\0';
    return FALSE;
}

int CException::ReportError(UINT nType, UINT nMessageID) const
{
    char text[512];
    if (GetErrorMessage(text, sizeof text)) return AfxMessageBox(text, nType);
    if (nMessageID) return AfxMessageBox(nMessageID, nType);
    return AfxMessageBox("An unexpected error occurred.", nType);
}

BOOL CMemoryException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    if (pnHelpContext) *pnHelpContext = 0;
    return CopyMessage("Out of memory.", lpszError, nMaxError);
}

void AfxThrowMemoryException()
{
    static CMemoryException s_outOfMemory(FALSE);
    throw &s_outOfMemory;
}
