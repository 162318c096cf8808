// CFileDialog: the system's dialog for choosing a file to open or a name to save under.
#pragma once
#include "afxwnd.h"
#include <commdlg.h>

class CFileDialog {
public:
    // lpszDefExt is appended to a name typed without extension; lpszFileName
    // is the name proposed at first; lpszFilter is a list of "Text|pattern|"
    // pairs ending in "|" (none: every file is shown).
    explicit CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // Runs the dialog modally (owned by the parent, else the main window): IDOK
    // when a file was chosen, IDCANCEL when the dialog was cancelled or failed.
    INT_PTR DoModal();
    // The full path of the chosen file.
    CString GetPathName() const { return CString(m_szFileName); }

    OPENFILENAMEA m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    CString m_strDefExt;
    CString m_strFilter;  // with NUL separators
    char m_szFileName[MAX_PATH];
};
