// Wrappers of the standard controls: CStatic, CButton, CEdit, CListBox.
#pragma once
#include "afxwnd.h"

class CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
public:
    HICON SetIcon(HICON hIcon)
    { return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(hIcon), 0)); }
    HICON GetIcon() const { return reinterpret_cast<HICON>(SendMessage(STM_GETICON, 0, 0)); }
};

class CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
public:
};

class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    UINT GetLimitText() const { return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT)); }
    void SetLimitText(UINT nMax) { SendMessage(EM_SETLIMITTEXT, nMax); }
    // EM_SETSEL, then (unless bNoScroll) EM_SCROLLCARET.
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void GetSel(int& nStartChar, int& nEndChar) const;
    // EM_REPLACESEL: replaces the selection (inserts at the caret when there is none).
    void ReplaceSel(LPCSTR lpszNewText, BOOL bCanUndo = FALSE)
    { SendMessage(EM_REPLACESEL, bCanUndo, reinterpret_cast<LPARAM>(lpszNewText)); }
};

class CListBox : public CWnd {
    DECLARE_DYNAMIC(CListBox)
public:
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int nSelect) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(nSelect))); }
    int AddString(LPCSTR lpszItem)
    { return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszItem))); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int GetTextLen(int nIndex) const { return static_cast<int>(SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(nIndex))); }
    int GetText(int nIndex, LPSTR lpszBuffer) const
    { return static_cast<int>(SendMessage(LB_GETTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpszBuffer))); }
    void GetText(int nIndex, CString& rString) const;
    int FindStringExact(int nIndexStart, LPCSTR lpszFind) const
    { return static_cast<int>(SendMessage(LB_FINDSTRINGEXACT, static_cast<WPARAM>(nIndexStart), reinterpret_cast<LPARAM>(lpszFind))); }
};
