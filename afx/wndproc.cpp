// CWnd message routing: the window procedure, creation hook, message maps,
// default handling and reflection of child notifications.
#include <new>
#include "afxapp.h"
#include "afxdc.h"
#include "afxstate.h"
#include "afxtooltip.h"

// ---- window procedure ---------------------------------------------------------

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    ++AfxGetThreadState()->m_nWindowChanges;
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd) return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
    return AfxCallWndProc(pWnd, hWnd, nMsg, wParam, lParam);
}

namespace {
LRESULT ReportEscaped(CException* e, const MSG* pMsg)
{
    if (CWinThread* thread = AfxGetThread()) return thread->ProcessWndProcException(e, pMsg);
    e->ReportError(MB_ICONEXCLAMATION);
    return 0;
}
} // namespace

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    AFX_THREAD_STATE* state = AfxGetThreadState();
    MSG saved = state->m_lastSentMsg;
    state->m_lastSentMsg.hwnd = hWnd;
    state->m_lastSentMsg.message = nMsg;
    state->m_lastSentMsg.wParam = wParam;
    state->m_lastSentMsg.lParam = lParam;

    LRESULT result = 0;
    // Nothing may unwind through the system's frames: an exception that leaves a
    // handler is reported here and the message counts as handled.
    try {
        result = pWnd->WindowProc(nMsg, wParam, lParam);
    } catch (CException* e) {
        result = ReportEscaped(e, &state->m_lastSentMsg);
        e->Delete();
    } catch (const std::bad_alloc&) {
        CMemoryException e(FALSE);
        result = ReportEscaped(&e, &state->m_lastSentMsg);
    } catch (...) {
        CException e(FALSE);
        result = ReportEscaped(&e, &state->m_lastSentMsg);
    }

    if (nMsg == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == pWnd) {
        // The window is gone: hand it back its own procedure and let the object go.
        if (pWnd->m_pfnSuper &&
            reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC)) == &AfxWndProc)
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pWnd->m_pfnSuper));
        pWnd->m_pfnSuper = nullptr;
        pWnd->Detach();
        pWnd->PostNcDestroy();
    }
    state->m_lastSentMsg = saved;
    return result;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    // The receiver may subclass a window of this thread (a tooltip its tool).
    ++AfxGetThreadState()->m_nWindowChanges;
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendOwnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The permanent map is the calling thread's: finding this object there
    // means the window belongs to this thread. A window found so once is not
    // asked again (a call to the system, about 0.1 us under Wine, for each
    // cell of a reading tick) until the thread's windows may have changed.
    AFX_THREAD_STATE* state = AfxGetThreadState();
    if (m_hWnd != nullptr && state->m_pWndSentOwn == this && state->m_hWndSentOwn == m_hWnd &&
        state->m_nSentOwnAt == state->m_nWindowChanges)
        return AfxCallWndProc(this, m_hWnd, message, wParam, lParam);
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this &&
        reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)) == &AfxWndProc) {
        state->m_pWndSentOwn = this;
        state->m_hWndSentOwn = m_hWnd;
        state->m_nSentOwnAt = state->m_nWindowChanges;
        return AfxCallWndProc(this, m_hWnd, message, wParam, lParam);
    }
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

// ---- subclassing windows from their creation on --------------------------------

LRESULT CALLBACK AfxCbtHookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    AFX_THREAD_STATE* state = AfxGetThreadState();
    if (nCode == HCBT_CREATEWND && state->m_pWndInit) {
        CWnd* pWnd = state->m_pWndInit;
        HWND* phWndAttached = state->m_phWndInit;
        state->m_pWndInit = nullptr;
        state->m_phWndInit = nullptr;
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        if (pWnd->Attach(hWnd)) {
            *phWndAttached = hWnd;
            pWnd->PreSubclassWindow();
            WNDPROC old = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
            if (old != &AfxWndProc) pWnd->m_pfnSuper = old;
            ++state->m_nWindowChanges;
        }
    }
    return ::CallNextHookEx(state->m_hHookCbt, nCode, wParam, lParam);
}

void AfxHookWindowCreate(CWnd* pWnd, HWND* phWndAttached)
{
    AFX_THREAD_STATE* state = AfxGetThreadState();
    if (!state->m_hHookCbt)
        state->m_hHookCbt = ::SetWindowsHookExA(WH_CBT, &AfxCbtHookProc, nullptr, ::GetCurrentThreadId());
    *phWndAttached = nullptr;
    state->m_pWndInit = pWnd;
    state->m_phWndInit = phWndAttached;
}

BOOL AfxUnhookWindowCreate()
{
    AFX_THREAD_STATE* state = AfxGetThreadState();
    if (state->m_hHookCbt) {
        ::UnhookWindowsHookEx(state->m_hHookCbt);
        state->m_hHookCbt = nullptr;
    }
    state->m_phWndInit = nullptr;
    if (state->m_pWndInit) {
        state->m_pWndInit = nullptr;
        return FALSE;
    }
    return TRUE;
}

void AfxEndFailedCreate(CWnd* pWnd, BOOL bHookSawWindow, HWND hWndAttached)
{
    if (!bHookSawWindow) {
        // No window was ever made for the object: its clean-up falls to us.
        pWnd->PostNcDestroy();
        return;
    }
    // A window that got as far as its destruction had WM_NCDESTROY, which
    // detached the object and ran PostNcDestroy; the object may be deleted and
    // is not touched. Only the handle map can tell whether that happened: a
    // creation refused right at its start (by a hook) ends with no message.
    if (hWndAttached && CWnd::FromHandlePermanent(hWndAttached) == pWnd) {
        pWnd->Detach();
        pWnd->PostNcDestroy();
    }
}

// ---- message maps ----------------------------------------------------------------

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

const MSG* CWnd::GetCurrentMessage() { return &AfxGetThreadState()->m_lastSentMsg; }

UINT AfxCtlColorType()
{
    UINT message = AfxGetThreadState()->m_lastSentMsg.message;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) return message - WM_CTLCOLORMSGBOX;
    return CTLCOLOR_DLG;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& m = AfxGetThreadState()->m_lastSentMsg;
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

namespace {
// The child a reflectable notification comes from, else NULL.
HWND NotifyingChild(HWND hWndParent, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        return dis && dis->CtlType != ODT_MENU ? dis->hwndItem : nullptr;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        return mis && mis->CtlType != ODT_MENU ? ::GetDlgItem(hWndParent, static_cast<int>(mis->CtlID)) : nullptr;
    }
    case WM_DELETEITEM:
        return lParam ? reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_COMPAREITEM:
        return lParam ? reinterpret_cast<COMPAREITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
    case WM_HSCROLL: case WM_VSCROLL: case WM_CHARTOITEM: case WM_VKEYTOITEM:
        return reinterpret_cast<HWND>(lParam);
    case WM_PARENTNOTIFY:
        return LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY ? reinterpret_cast<HWND>(lParam) : nullptr;
    default:
        return nullptr;
    }
}
} // namespace

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *pResult = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) return lParam && OnNotify(wParam, lParam, pResult);

    if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(GetMessageMap(), message, 0, 0)) {
        LRESULT r = 0;
        if (e->pfnDispatch(this, wParam, lParam, &r)) {
            *pResult = r;
            return TRUE;
        }
        return FALSE;
    }
    // No handler of our own: the child that sent the notification may take it.
    if (HWND hWndChild = NotifyingChild(m_hWnd, message, wParam, lParam))
        return ReflectMessage(hWndChild, message, wParam, lParam, pResult);
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    int nCode = HIWORD(wParam);
    HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
    if (hWndCtrl) {
        if (ReflectMessage(hWndCtrl, WM_COMMAND, wParam, lParam)) return TRUE;
    } else {
        nCode = 0;  // menu items and accelerators are plain commands
    }
    return OnCmdMsg(nID, nCode, wParam, lParam);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr->hwndFrom && ReflectMessage(hdr->hwndFrom, WM_NOTIFY, wParam, lParam, pResult)) return TRUE;
    const AFX_MSGMAP_ENTRY* e =
        FindMessageEntry(GetMessageMap(), WM_NOTIFY, hdr->code, static_cast<UINT>(hdr->idFrom));
    if (!e) return FALSE;
    LRESULT r = 0;
    if (!e->pfnDispatch(this, wParam, lParam, &r)) return FALSE;
    *pResult = r;
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const AFX_MSGMAP_ENTRY* e = nullptr;
    switch (message) {
    case WM_COMMAND:
        e = FindMessageEntry(GetMessageMap(), WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0);
        break;
    case WM_NOTIFY:
        if (lParam)
            e = FindMessageEntry(GetMessageMap(), WM_REFLECT_BASE + WM_NOTIFY,
                                 reinterpret_cast<NMHDR*>(lParam)->code, 0);
        break;
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
        e = FindMessageEntry(GetMessageMap(), WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0);
        break;
    default:
        e = FindMessageEntry(GetMessageMap(), WM_REFLECT_BASE + message, 0, 0);
        break;
    }
    if (!e) return FALSE;
    LRESULT r = 0;
    if (!e->pfnDispatch(this, wParam, lParam, &r)) return FALSE;
    if (pResult) *pResult = r;
    return TRUE;
}

BOOL CWnd::ReflectMessage(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    CWnd* pChild = FromHandlePermanent(hWndChild);
    if (!pChild) return FALSE;
    LRESULT r = 0;
    if (!pChild->OnChildNotify(message, wParam, lParam, &r)) return FALSE;
    if (pResult) *pResult = r;
    return TRUE;
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult)
{
    const MSG& m = AfxGetThreadState()->m_lastSentMsg;
    return ReflectMessage(hWndChild, m.message, m.wParam, m.lParam, pResult);
}

// ---- pre-translation ---------------------------------------------------------------

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    AfxRelayToolTipMessage(pMsg);
    for (HWND h = pMsg->hwnd; h; h = ::GetParent(h)) {
        if (CWnd* pWnd = FromHandlePermanent(h))
            if (pWnd->PreTranslateMessage(pMsg)) return TRUE;
        if (h == hWndStop) break;
    }
    return FALSE;
}

// ---- default handlers that reflect -----------------------------------------------

void CWnd::OnHScroll(UINT, UINT, CScrollBar* pScrollBar)
{
    if (!pScrollBar || !ReflectLastMsg(pScrollBar->m_hWnd)) Default();
}

void CWnd::OnVScroll(UINT, UINT, CScrollBar* pScrollBar)
{
    if (!pScrollBar || !ReflectLastMsg(pScrollBar->m_hWnd)) Default();
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct->CtlType == ODT_MENU || !ReflectLastMsg(lpDrawItemStruct->hwndItem)) Default();
}

void CWnd::OnMeasureItem(int, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    HWND hWndChild = lpMeasureItemStruct->CtlType == ODT_MENU
                         ? nullptr
                         : ::GetDlgItem(m_hWnd, static_cast<int>(lpMeasureItemStruct->CtlID));
    if (!hWndChild || !ReflectLastMsg(hWndChild)) Default();
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT)
{
    LRESULT r = 0;
    if (pWnd && ReflectLastMsg(pWnd->m_hWnd, &r)) return reinterpret_cast<HBRUSH>(r);
    return reinterpret_cast<HBRUSH>(Default());
}
