#include "afxfiledlg.h"
#include "afxapp.h"
#include <cstring>

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                         LPCSTR lpszFilter, CWnd* pParentWnd)
    : m_ofn(), m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd), m_szFileName()
{
    if (lpszFileName) lstrcpynA(m_szFileName, lpszFileName, static_cast<int>(sizeof m_szFileName));
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = static_cast<DWORD>(sizeof m_szFileName);
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
    if (lpszDefExt) {
        m_strDefExt = lpszDefExt;
        m_ofn.lpstrDefExt = m_strDefExt;
    }
    if (lpszFilter) {
        // "Text|pattern|...|" becomes "Text\0pattern\0...\0\0".
        m_strFilter = lpszFilter;
        m_strFilter += '|';
        for (int i = 0; i < m_strFilter.GetLength(); ++i)
            if (m_strFilter[i] == '|') m_strFilter.SetAt(i, '\0');
        m_ofn.lpstrFilter = m_strFilter;
    }
}

INT_PTR CFileDialog::DoModal()
{
    CWnd* pOwner = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    m_ofn.hwndOwner = AfxSafeHwnd(pOwner);
    m_ofn.hInstance = AfxGetInstanceHandle();
    const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}
