// Keeps the grid (and, when asked, its header) from drawing while rows or
// columns are taken off and put on, and has it drawn whole afterwards. A
// drawing list repaints and rescrolls for every row inserted, and lays out
// its header and scroll bars again for every column (under Wine a thousand
// rows take half a minute, and a column some ten milliseconds).
#pragma once

#include "afx.h"

#include <commctrl.h>

class CHeldRedraw {
public:
    explicit CHeldRedraw(CWnd& wnd) : m_wnd(wnd) {}
    void Hold(bool bHeader = false)
    {
        if (m_bHeld) return;
        m_wnd.SendMessage(WM_SETREDRAW, FALSE, 0);
        // The window itself is not drawn meanwhile either: a list that keeps
        // drawing its scroll bars draws them at every change of their range
        // when it is let draw again (under Wine three times, some ten
        // milliseconds each); held, they are drawn once, with the rest.
        m_bWasVisible = (m_wnd.GetStyle() & WS_VISIBLE) != 0;
        if (m_bWasVisible) ::DefWindowProcA(m_wnd.m_hWnd, WM_SETREDRAW, FALSE, 0);
        if (bHeader) m_hHeader = ListView_GetHeader(m_wnd.m_hWnd);
        if (m_hHeader) ::SendMessageA(m_hHeader, WM_SETREDRAW, FALSE, 0);
        m_bHeld = true;
    }
    ~CHeldRedraw()
    {
        if (!m_bHeld) return;
        if (m_hHeader) ::SendMessageA(m_hHeader, WM_SETREDRAW, TRUE, 0);
        m_wnd.SendMessage(WM_SETREDRAW, TRUE, 0);
        if (m_bWasVisible) ::DefWindowProcA(m_wnd.m_hWnd, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(m_wnd.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    CHeldRedraw(const CHeldRedraw&) = delete;
    CHeldRedraw& operator=(const CHeldRedraw&) = delete;

private:
    CWnd& m_wnd;
    HWND m_hHeader = nullptr;
    bool m_bHeld = false;
    bool m_bWasVisible = false;
};
