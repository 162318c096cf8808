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
};

AFX_THREAD_STATE* AfxGetThreadState();

using AfxWndMap = CHandleMap<HWND, CWnd, &CWnd::m_hWnd>;
