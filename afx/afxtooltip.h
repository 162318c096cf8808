// The framework's tool tips (see tooltips.cpp): windows enable them with
// CWnd::EnableToolTips and describe their tools in CWnd::OnToolHitTest.
#pragma once
#include "afxwnd.h"

// Shows, moves and hides the tip for a message of a message loop; the class
// layer's loops call it for every mouse message before dispatching.
void AfxRelayToolTipMessage(const MSG* pMsg);
// The thread's tool-tip control, NULL while none has been needed.
HWND AfxGetToolTipWindow();
