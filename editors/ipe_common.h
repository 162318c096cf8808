// What every in-place editor shares: the end-of-edit notification it sends to
// the grid, the parent's font, and allocation that fails with CMemoryException.
#pragma once
#include <new>
#include <utility>

#include "afx.h"

// Sends WM_NOTIFY to the editor's parent (the grid) with an ANSI NMLVDISPINFO:
// hwndFrom = the parent itself (so that the grid's notify handling reflects it to
// its own LVN_ENDLABELEDIT handler), idFrom and wParam = the editor's control id,
// code LVN_ENDLABELEDITA, mask LVIF_TEXT | LVIF_PARAM, the cell, the text (NULL
// for a cancelled edit), its length cchText and the editor's lParam.
void IpeSendEndEdit(CWnd* pEditor, int iItem, int iSubItem, LPSTR pszText, int cchText, LPARAM lParam);

// Sets the parent's font (WM_GETFONT) on the editor, redrawing; a parent without
// a font gives a NULL font.
void IpeTakeParentFont(CWnd* pEditor);

// The pre-translation that the edit and date-time editors share: a key press of
// Enter or Escape is translated and dispatched at once and counts as handled, so
// the dialog around the grid never sees it.
BOOL IpeTranslateEnterEscape(MSG* pMsg);

// WM_CHAR of the edit and date-time editors: Enter and Escape hand the focus
// back to the grid, which ends the edit (Escape first marks it cancelled).
// FALSE for every other character, which the control handles itself.
BOOL IpeEndOnEnterEscape(CWnd* pEditor, UINT nChar, BOOL& bEscape);

// new T(args...), with an allocation failure raised as the framework's
// CMemoryException.
template <class T, class... Args>
T* IpeNew(Args&&... args)
{
    try {
        return new T(std::forward<Args>(args)...);
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    }
}
