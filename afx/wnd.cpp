// CWnd: the handle map, subclassing, creation and the plain window operations.
#include "afxdc.h"
#include "afxmenu.h"
#include "afxstate.h"

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)

AFX_THREAD_STATE* AfxGetThreadState()
{
    return &AfxThreadObject<AFX_THREAD_STATE>();
}

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr) {}

CWnd::~CWnd()
{
    if (m_hWnd && AfxWndMap::ForThread().LookupPermanent(m_hWnd) == this) {
        // The object goes before its window: the window goes too.
        DestroyWindow();
    }
}

CWnd* CWnd::FromHandle(HWND hWnd) { return AfxWndMap::ForThread().FromHandle(hWnd); }

CWnd* CWnd::FromHandlePermanent(HWND hWnd) { return AfxWndMap::ForThread().LookupPermanent(hWnd); }

BOOL CWnd::Attach(HWND hWndNew)
{
    if (!hWndNew || m_hWnd || FromHandlePermanent(hWndNew)) return FALSE;
    // A temporary object of the same window would otherwise shadow this one.
    AfxWndMap::ForThread().RemoveHandle(hWndNew);
    m_hWnd = hWndNew;
    AfxWndMap::ForThread().SetPermanent(hWndNew, this);
    ++AfxGetThreadState()->m_nWindowChanges;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (h && FromHandlePermanent(h) == this) AfxWndMap::ForThread().RemoveHandle(h);
    m_hWnd = nullptr;
    ++AfxGetThreadState()->m_nWindowChanges;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd)) return FALSE;
    PreSubclassWindow();
    WNDPROC old = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (old != &AfxWndProc) m_pfnSuper = old;
    ++AfxGetThreadState()->m_nWindowChanges;
    return TRUE;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA&) { return TRUE; }

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

namespace {
// The class of windows whose class the caller leaves open.
LPCSTR DefaultWndClass()
{
    static const char name[] = "QmWnd";
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = name;
        registered = ::RegisterClassA(&wc) != 0;
    }
    return name;
}
} // namespace

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    CREATESTRUCTA cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName ? lpszClassName : DefaultWndClass();
    cs.lpszName = lpszWindowName;
    cs.style = dwStyle;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.hwndParent = AfxSafeHwnd(pParentWnd);
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID));
    cs.hInstance = ::GetModuleHandleA(nullptr);
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    HWND hWndAttached = nullptr;
    AfxHookWindowCreate(this, &hWndAttached);
    HWND hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                  cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    const BOOL bHookSawWindow = AfxUnhookWindowCreate();
    if (!hWnd) {
        // "this" may be deleted from here on (PostNcDestroy).
        AfxEndFailedCreate(this, bHookSawWindow, hWndAttached);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd) return FALSE;
    HWND hWnd = m_hWnd;
    bool permanent = FromHandlePermanent(hWnd) == this;
    BOOL ok = ::DestroyWindow(hWnd);
    // A subclassed window's object was detached at WM_NCDESTROY (and PostNcDestroy may
    // have deleted it: "this" is not touched then). One that was only attached is
    // still in the map and is detached here.
    if (permanent && !::IsWindow(hWnd)) {
        if (CWnd* still = FromHandlePermanent(hWnd)) still->Detach();
    }
    return ok;
}

void CWnd::PreSubclassWindow() {}

void CWnd::PostNcDestroy() {}

void CWnd::DoDataExchange(CDataExchange*) {}

void CWnd::GetWindowText(CString& rString) const
{
    int n = ::GetWindowTextLengthA(m_hWnd);
    int got = ::GetWindowTextA(m_hWnd, rString.GetBufferSetLength(n), n + 1);
    rString.ReleaseBuffer(got);
}

namespace {
BOOL ModifyLong(HWND hWnd, int nIndex, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD style = static_cast<DWORD>(::GetWindowLongA(hWnd, nIndex));
    DWORD updated = (style & ~dwRemove) | dwAdd;
    if (style == updated) return FALSE;
    ::SetWindowLongA(hWnd, nIndex, static_cast<LONG>(updated));
    if (nFlags)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}
} // namespace

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyLong(m_hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags);
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(lpRect), 2);
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert)); }
