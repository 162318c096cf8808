// Tool tips for windows that ask for them (CWnd::EnableToolTips).
//
// One tool-tip control per thread serves every such window. The message loops
// hand each mouse message to AfxRelayToolTipMessage before dispatching it: the
// nearest window under the message that has tool tips enabled is asked for the
// tool at the point (OnToolHitTest); when the tool changes, the control's one
// tool is replaced, and the message is relayed so the control shows and hides
// the tip itself. A tool with callback text asks its window for the text with
// TTN_NEEDTEXT, which the window's message map takes like any WM_NOTIFY.
#include "afxtooltip.h"

namespace {
// Marks a window whose tool tips are enabled; goes away with the window.
const char kToolTipsProp[] = "AfxToolTipsEnabled";

struct ToolTipState {
    bool bEnabledAnywhere = false;
    HWND hWndTip = nullptr;
    HWND hWndTool = nullptr; // window of the control's current tool, NULL for none
    UINT_PTR nToolId = 0;
    INT_PTR nHit = -1;
};

ToolTipState& State()
{
    thread_local ToolTipState state;
    return state;
}

bool IsMouseMessage(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK);
}

// Client-area mouse messages carry client coordinates in lParam; the others
// (non-client and wheel messages) are placed by the cursor position.
bool HasClientPoint(UINT message)
{
    return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && message != WM_MOUSEWHEEL &&
           message != WM_MOUSEHWHEEL;
}

HWND ToolWindowOf(HWND hWnd)
{
    for (HWND h = hWnd; h; h = ::GetParent(h)) {
        if (::GetPropA(h, kToolTipsProp)) return h;
        if (!(::GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) break;
    }
    return nullptr;
}

void RemoveCurrentTool()
{
    ToolTipState& s = State();
    if (s.hWndTool && s.hWndTip && ::IsWindow(s.hWndTip)) {
        TOOLINFOA ti = {};
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.hwnd = s.hWndTool;
        ti.uId = s.nToolId;
        ::SendMessageA(s.hWndTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
    s.hWndTool = nullptr;
    s.nToolId = 0;
    s.nHit = -1;
}

HWND TipWindow(HWND hWndOwner)
{
    ToolTipState& s = State();
    if (s.hWndTip && ::IsWindow(s.hWndTip)) return s.hWndTip;
    // The owner's destruction took the old control and its tool with it.
    s.hWndTool = nullptr;
    s.nHit = -1;
    s.hWndTip =
        ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hWndOwner, nullptr,
                          ::GetModuleHandleA(nullptr), nullptr);
    return s.hWndTip;
}
} // namespace

BOOL CWnd::EnableToolTips(BOOL bEnable)
{
    if (!m_hWnd) return FALSE;
    if (bEnable) {
        State().bEnabledAnywhere = true;
        return ::SetPropA(m_hWnd, kToolTipsProp, reinterpret_cast<HANDLE>(1));
    }
    ::RemovePropA(m_hWnd, kToolTipsProp);
    if (State().hWndTool == m_hWnd) RemoveCurrentTool();
    return TRUE;
}

INT_PTR CWnd::OnToolHitTest(CPoint, TOOLINFO*) const
{
    return -1;
}

void AfxRelayToolTipMessage(const MSG* pMsg)
{
    ToolTipState& s = State();
    if (!s.bEnabledAnywhere || !IsMouseMessage(pMsg->message)) return;

    HWND hWndTool = ToolWindowOf(pMsg->hwnd);
    CWnd* pWnd = hWndTool ? CWnd::FromHandlePermanent(hWndTool) : nullptr;
    if (!pWnd) {
        if (s.hWndTool && s.hWndTip && ::IsWindow(s.hWndTip)) ::SendMessageA(s.hWndTip, TTM_POP, 0, 0);
        RemoveCurrentTool();
        return;
    }

    POINT pt;
    if (HasClientPoint(pMsg->message)) {
        pt.x = static_cast<short>(LOWORD(pMsg->lParam));
        pt.y = static_cast<short>(HIWORD(pMsg->lParam));
        ::MapWindowPoints(pMsg->hwnd, hWndTool, &pt, 1);
    } else {
        pt = pMsg->pt;
        ::ScreenToClient(hWndTool, &pt);
    }

    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    INT_PTR nHit = pWnd->OnToolHitTest(CPoint(pt), &ti);
    if (nHit != -1 && !ti.hwnd) ti.hwnd = hWndTool;

    HWND hWndTip = TipWindow(::GetAncestor(hWndTool, GA_ROOT));
    if (!hWndTip) return;
    if (nHit != s.nHit || (nHit != -1 && (ti.hwnd != s.hWndTool || ti.uId != s.nToolId))) {
        ::SendMessageA(hWndTip, TTM_POP, 0, 0);
        RemoveCurrentTool();
        if (nHit != -1) {
            ::SendMessageA(hWndTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
            ::SendMessageA(hWndTip, TTM_ACTIVATE, TRUE, 0);
            s.hWndTool = ti.hwnd;
            s.nToolId = ti.uId;
            s.nHit = nHit;
        }
    }
    if (s.hWndTool) {
        // The control finds its tool by window and point of the relayed message.
        MSG relay = *pMsg;
        if (HasClientPoint(pMsg->message)) {
            POINT ptTool = pt;
            ::MapWindowPoints(hWndTool, s.hWndTool, &ptTool, 1);
            relay.hwnd = s.hWndTool;
            relay.lParam = MAKELPARAM(ptTool.x, ptTool.y);
        }
        ::SendMessageA(hWndTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
    }
}

HWND AfxGetToolTipWindow()
{
    ToolTipState& s = State();
    return s.hWndTip && ::IsWindow(s.hWndTip) ? s.hWndTip : nullptr;
}
