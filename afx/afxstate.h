// Per-thread state of the window layer (internal to the class layer's sources).
#pragma once
#include "afxwnd.h"

class CWinThread;

struct AFX_THREAD_STATE {
    MSG m_lastSentMsg = {};          // the message being handled (CWnd::Default)
    CWnd* m_pWndInit = nullptr;      // the window object being created (AfxHookWindowCreate)
    HWND* m_phWndInit = nullptr;     // where the hook records the window it attached
    HHOOK m_hHookCbt = nullptr;
    CWinThread* m_pCurrentWinThread = nullptr;
    int m_nModalLoops = 0;           // nesting of the class layer's own modal loops
    // Counts what may change which procedure a window of this thread has or
    // which object it belongs to: a message from the system (whose handler
    // may subclass), an attach, a detach, a subclassing.
    unsigned m_nWindowChanges = 0;
    // The window whose own message was last delivered directly, and the
    // count it was checked at (CWnd::SendOwnMessage).
    const CWnd* m_pWndSentOwn = nullptr;
    HWND m_hWndSentOwn = nullptr;
    unsigned m_nSentOwnAt = 0;
};

AFX_THREAD_STATE* AfxGetThreadState();

using AfxWndMap = CHandleMap<HWND, CWnd, &CWnd::m_hWnd>;
