// CWnd: the C++ object of a window, and the window-message entries of message maps.
//
// A CWnd is tied to its window by the thread's handle map: Attach/Detach make or
// drop that tie; SubclassWindow also routes the window's messages through the
// object (AfxWndProc -> WindowProc -> OnWndMsg -> message map, else
// DefWindowProc -> the window's original procedure). Windows made by Create/
// CreateEx and dialogs are subclassed from their first message on.
//
// Reflection: notifications a child sends to its parent (WM_COMMAND from a
// control, WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR*, WM_HSCROLL, ...)
// are first offered to the child's own CWnd through OnChildNotify; the default
// OnChildNotify looks them up in the child's map under ON_*_REFLECT entries. Only
// if the child does not take one does the parent's own map see it.
#pragma once
#include "afxhandlemap.h"
#include "afxmsgmap.h"
#include "afxstr.h"
#include "afxtypes.h"

class CDC;
class CMenu;
class CScrollBar;
class CDataExchange;

class CWnd;
// The object's window handle, NULL for a null object.
inline HWND AfxSafeHwnd(const CWnd* pWnd);
// A temporary CDC for a device context handle (see CDC::FromHandle).
CDC* AfxDCFromHandle(HDC hDC);
// CTLCOLOR_* of the WM_CTLCOLOR* message being handled.
UINT AfxCtlColorType();

class CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
public:
    HWND m_hWnd;

    CWnd();
    ~CWnd() override;

    operator HWND() const { return m_hWnd; }

    // ---- the handle map ----
    // The permanent object of the window, else a temporary one (see afxhandlemap.h).
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);
    BOOL Attach(HWND hWndNew);
    HWND Detach();
    // Attaches the object and routes the window's messages through it.
    BOOL SubclassWindow(HWND hWnd);

    // ---- creation and destruction ----
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    virtual BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID);
    virtual BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                          const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();

    // ---- message handling ----
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The window's original procedure (or the system default) for the message.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // DefWindowProc with the message now being handled.
    LRESULT Default();
    static const MSG* GetCurrentMessage();

    // Called by message loops for keyboard and mouse messages of this window and
    // of its children (innermost first); TRUE means the message was used up.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Walks from pMsg->hwnd up the parent chain to hWndStop (included), calling
    // PreTranslateMessage of every window that has a permanent object.
    static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);

    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A notification this window sent to its parent, offered back to it first.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The default of OnChildNotify: the ON_*_REFLECT entries of this window's map.
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Offers a message to the permanent object of hWndChild through OnChildNotify.
    static BOOL ReflectMessage(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam,
                               LRESULT* pResult = nullptr);
    // The same with the message now being handled.
    static BOOL ReflectLastMsg(HWND hWndChild, LRESULT* pResult = nullptr);

    // ---- tool tips (tooltips.cpp) ----
    // Lets the thread's tool-tip control show tips for this window's tools.
    BOOL EnableToolTips(BOOL bEnable = TRUE);
    // The tool at the point (client coordinates): fills *pTI (window, id,
    // rectangle, text or LPSTR_TEXTCALLBACK) and gives a hit code, -1 for none.
    virtual INT_PTR OnToolHitTest(CPoint point, TOOLINFO* pTI) const;

    virtual void PreSubclassWindow();
    // Called after the window's last message (WM_NCDESTROY), once the object is detached.
    virtual void PostNcDestroy();
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // ---- window operations ----
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // As SendMessage; a window of this thread whose procedure is still the
    // framework's gets the message straight from here, without the system's
    // round trip (which costs a list's text as much as the list's own work).
    // A procedure that code outside the class layer puts in front of the
    // framework's is seen from the next message the system delivers to the
    // thread, or the next one sent through SendMessage.
    LRESULT SendOwnMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    { return ::PostMessageA(m_hWnd, message, wParam, lParam); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    BOOL IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

    void SetWindowText(LPCSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
    int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const
    { return ::GetWindowTextA(m_hWnd, lpszStringBuf, nMaxCount); }
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }

    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
    // Removes then adds style bits; with nFlags, also SetWindowPos(nFlags | SWP_NOSIZE | SWP_NOMOVE |
    // SWP_NOZORDER | SWP_NOACTIVATE). FALSE when the style was already so.
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);

    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
    void ScreenToClient(LPRECT lpRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE)
    { ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint); }
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE)
    { MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint); }
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
    { return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy, nFlags); }

    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }

    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void ValidateRect(LPCRECT lpRect) { ::ValidateRect(m_hWnd, lpRect); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, HRGN hrgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE)
    { return ::RedrawWindow(m_hWnd, lpRectUpdate, hrgnUpdate, flags); }

    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer)
    { return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer); }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

    HICON SetIcon(HICON hIcon, BOOL bBigIcon)
    { return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon))); }
    HICON GetIcon(BOOL bBigIcon) const
    { return reinterpret_cast<HICON>(SendMessage(WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL, 0)); }
    void SetFont(HFONT hFont, BOOL bRedraw = TRUE)
    { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw); }
    HFONT GetFontHandle() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }

    // The window's menu, not reset (bRevert FALSE) or reset to the default (TRUE).
    CMenu* GetSystemMenu(BOOL bRevert) const;

    // ---- default handlers, for derived handlers to call as their base ----
    // Each passes the current message on to DefWindowProc; the owner-draw,
    // colour and scroll ones first offer it to the child that sent it.
    afx_msg int OnCreate(LPCREATESTRUCTA) { return static_cast<int>(Default()); }
    afx_msg void OnDestroy() { Default(); }
    afx_msg void OnNcDestroy() { Default(); }
    afx_msg void OnClose() { Default(); }
    afx_msg void OnPaint() { Default(); }
    afx_msg BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
    afx_msg void OnSize(UINT, int, int) { Default(); }
    afx_msg void OnWindowPosChanged(WINDOWPOS*) { Default(); }
    afx_msg void OnWindowPosChanging(WINDOWPOS*) { Default(); }
    afx_msg void OnShowWindow(BOOL, UINT) { Default(); }
    afx_msg void OnTimer(UINT) { Default(); }
    afx_msg void OnSysCommand(UINT, LPARAM) { Default(); }
    afx_msg HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
    afx_msg void OnSetFocus(CWnd*) { Default(); }
    afx_msg void OnKillFocus(CWnd*) { Default(); }
    afx_msg UINT OnGetDlgCode() { return static_cast<UINT>(Default()); }
    afx_msg void OnKeyDown(UINT, UINT, UINT) { Default(); }
    afx_msg void OnKeyUp(UINT, UINT, UINT) { Default(); }
    afx_msg void OnChar(UINT, UINT, UINT) { Default(); }
    afx_msg void OnSysKeyDown(UINT, UINT, UINT) { Default(); }
    afx_msg void OnMouseMove(UINT, CPoint) { Default(); }
    afx_msg void OnLButtonDown(UINT, CPoint) { Default(); }
    afx_msg void OnLButtonUp(UINT, CPoint) { Default(); }
    afx_msg void OnLButtonDblClk(UINT, CPoint) { Default(); }
    afx_msg void OnRButtonDown(UINT, CPoint) { Default(); }
    afx_msg void OnRButtonUp(UINT, CPoint) { Default(); }
    afx_msg BOOL OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
    afx_msg BOOL OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
    afx_msg void OnCancelMode() { Default(); }
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

protected:
    WNDPROC m_pfnSuper;  // the window's procedure before subclassing

    DECLARE_MESSAGE_MAP()

    friend LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    friend LRESULT CALLBACK AfxCbtHookProc(int nCode, WPARAM wParam, LPARAM lParam);
};

inline HWND AfxSafeHwnd(const CWnd* pWnd) { return pWnd ? pWnd->m_hWnd : nullptr; }

// The window procedure of every subclassed window.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
// Routes one message to a window object: records it as the current message,
// calls WindowProc, reports exceptions that escape a handler (CWinThread::
// ProcessWndProcException) and detaches the object after WM_NCDESTROY.
LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
// The next window created on this thread is attached to pWnd and subclassed from
// its first message on, and its handle is written to *phWndAttached (which is
// left NULL if no window gets attached); AfxUnhookWindowCreate ends that (TRUE
// if the hook saw the window).
void AfxHookWindowCreate(CWnd* pWnd, HWND* phWndAttached);
BOOL AfxUnhookWindowCreate();
// Ends a creation through the hook that gave no window, without touching an
// object that is already gone: afterwards pWnd's PostNcDestroy has run exactly
// once, so that an object that deletes itself there is neither leaked nor used
// after its deletion.
void AfxEndFailedCreate(CWnd* pWnd, BOOL bHookSawWindow, HWND hWndAttached);

// A scroll bar control (the argument of the scroll handlers).
class CScrollBar : public CWnd {
    DECLARE_DYNAMIC(CScrollBar)
};

// ---- window-message signatures (see afxmsgmap.h) ------------------------------

#define AFX_SIG_WND(name, fnType, call)                                         \
    struct name {                                                               \
        AFX_SIG_HANDLER(fnType);                                                \
        template <auto F>                                                       \
        static BOOL Call(CCmdTarget* p, WPARAM w, LPARAM l, LRESULT* r)         \
        {                                                                       \
            AFX_SIG_CHECK(F);                                                   \
            auto* t = AfxHandlerTarget<F>(p);                                   \
            (void)w; (void)l;                                                   \
            call;                                                               \
            return TRUE;                                                        \
        }                                                                       \
    }

#define AFX_LOWORD_I(l) static_cast<int>(static_cast<short>(LOWORD(l)))
#define AFX_HIWORD_I(l) static_cast<int>(static_cast<short>(HIWORD(l)))

AFX_SIG_WND(AfxSig_v_v, void(), (t->*F)(); *r = 0);
AFX_SIG_WND(AfxSig_i_CREATE, int(LPCREATESTRUCTA), *r = (t->*F)(reinterpret_cast<LPCREATESTRUCTA>(l)));
AFX_SIG_WND(AfxSig_b_DC, BOOL(CDC*), *r = (t->*F)(AfxDCFromHandle(reinterpret_cast<HDC>(w))));
AFX_SIG_WND(AfxSig_v_size, void(UINT, int, int), (t->*F)(static_cast<UINT>(w), AFX_LOWORD_I(l), AFX_HIWORD_I(l)); *r = 0);
AFX_SIG_WND(AfxSig_v_POS, void(WINDOWPOS*), (t->*F)(reinterpret_cast<WINDOWPOS*>(l)); *r = 0);
AFX_SIG_WND(AfxSig_v_bu, void(BOOL, UINT), (t->*F)(static_cast<BOOL>(w), static_cast<UINT>(l)); *r = 0);
AFX_SIG_WND(AfxSig_v_u, void(UINT), (t->*F)(static_cast<UINT>(w)); *r = 0);
AFX_SIG_WND(AfxSig_v_ul, void(UINT, LPARAM), (t->*F)(static_cast<UINT>(w), l); *r = 0);
AFX_SIG_WND(AfxSig_h_v, HCURSOR(), *r = reinterpret_cast<LRESULT>((t->*F)()));
AFX_SIG_WND(AfxSig_v_W, void(CWnd*), (t->*F)(CWnd::FromHandle(reinterpret_cast<HWND>(w))); *r = 0);
AFX_SIG_WND(AfxSig_u_v, UINT(), *r = (t->*F)());
AFX_SIG_WND(AfxSig_v_key, void(UINT, UINT, UINT),
            (t->*F)(static_cast<UINT>(w), LOWORD(l), HIWORD(l)); *r = 0);
AFX_SIG_WND(AfxSig_v_mouse, void(UINT, CPoint), (t->*F)(static_cast<UINT>(w), CPoint(l)); *r = 0);
AFX_SIG_WND(AfxSig_b_wheel, BOOL(UINT, short, CPoint),
            *r = (t->*F)(LOWORD(w), static_cast<short>(HIWORD(w)), CPoint(l)));
AFX_SIG_WND(AfxSig_b_setcursor, BOOL(CWnd*, UINT, UINT),
            *r = (t->*F)(CWnd::FromHandle(reinterpret_cast<HWND>(w)), LOWORD(l), HIWORD(l)));
AFX_SIG_WND(AfxSig_v_scroll, void(UINT, UINT, CScrollBar*),
            (t->*F)(LOWORD(w), HIWORD(w), static_cast<CScrollBar*>(CWnd::FromHandle(reinterpret_cast<HWND>(l)))); *r = 0);
AFX_SIG_WND(AfxSig_v_drawitem, void(int, LPDRAWITEMSTRUCT),
            (t->*F)(static_cast<int>(w), reinterpret_cast<LPDRAWITEMSTRUCT>(l)); *r = TRUE);
AFX_SIG_WND(AfxSig_v_measureitem, void(int, LPMEASUREITEMSTRUCT),
            (t->*F)(static_cast<int>(w), reinterpret_cast<LPMEASUREITEMSTRUCT>(l)); *r = TRUE);
AFX_SIG_WND(AfxSig_h_ctlcolor, HBRUSH(CDC*, CWnd*, UINT),
            *r = reinterpret_cast<LRESULT>((t->*F)(AfxDCFromHandle(reinterpret_cast<HDC>(w)),
                CWnd::FromHandle(reinterpret_cast<HWND>(l)), AfxCtlColorType())));
// Reflected forms: the child handles its own notification.
AFX_SIG_WND(AfxSig_v_DRAWITEM_R, void(LPDRAWITEMSTRUCT), (t->*F)(reinterpret_cast<LPDRAWITEMSTRUCT>(l)); *r = TRUE);
AFX_SIG_WND(AfxSig_v_MEASUREITEM_R, void(LPMEASUREITEMSTRUCT), (t->*F)(reinterpret_cast<LPMEASUREITEMSTRUCT>(l)); *r = TRUE);
AFX_SIG_WND(AfxSig_v_scroll_R, void(UINT, UINT), (t->*F)(LOWORD(w), HIWORD(w)); *r = 0);

// HBRUSH CtlColor(CDC*, UINT): a NULL brush leaves the message to the parent.
struct AfxSig_h_CTLCOLOR_R {
    AFX_SIG_HANDLER(HBRUSH(CDC*, UINT));
    template <auto F>
    static BOOL Call(CCmdTarget* p, WPARAM w, LPARAM, LRESULT* r)
    {
        AFX_SIG_CHECK(F);
        HBRUSH hbr = (AfxHandlerTarget<F>(p)->*F)(AfxDCFromHandle(reinterpret_cast<HDC>(w)), AfxCtlColorType());
        *r = reinterpret_cast<LRESULT>(hbr);
        return hbr != nullptr;
    }
};

// ---- window-message entries ---------------------------------------------------

#define ON_WM_CREATE() AFX_WM_ENTRY(WM_CREATE, AfxSig_i_CREATE, OnCreate)
#define ON_WM_DESTROY() AFX_WM_ENTRY(WM_DESTROY, AfxSig_v_v, OnDestroy)
#define ON_WM_NCDESTROY() AFX_WM_ENTRY(WM_NCDESTROY, AfxSig_v_v, OnNcDestroy)
#define ON_WM_CLOSE() AFX_WM_ENTRY(WM_CLOSE, AfxSig_v_v, OnClose)
#define ON_WM_PAINT() AFX_WM_ENTRY(WM_PAINT, AfxSig_v_v, OnPaint)
#define ON_WM_ERASEBKGND() AFX_WM_ENTRY(WM_ERASEBKGND, AfxSig_b_DC, OnEraseBkgnd)
#define ON_WM_SIZE() AFX_WM_ENTRY(WM_SIZE, AfxSig_v_size, OnSize)
#define ON_WM_WINDOWPOSCHANGED() AFX_WM_ENTRY(WM_WINDOWPOSCHANGED, AfxSig_v_POS, OnWindowPosChanged)
#define ON_WM_WINDOWPOSCHANGING() AFX_WM_ENTRY(WM_WINDOWPOSCHANGING, AfxSig_v_POS, OnWindowPosChanging)
#define ON_WM_SHOWWINDOW() AFX_WM_ENTRY(WM_SHOWWINDOW, AfxSig_v_bu, OnShowWindow)
#define ON_WM_TIMER() AFX_WM_ENTRY(WM_TIMER, AfxSig_v_u, OnTimer)
#define ON_WM_SYSCOMMAND() AFX_WM_ENTRY(WM_SYSCOMMAND, AfxSig_v_ul, OnSysCommand)
#define ON_WM_QUERYDRAGICON() AFX_WM_ENTRY(WM_QUERYDRAGICON, AfxSig_h_v, OnQueryDragIcon)
#define ON_WM_SETFOCUS() AFX_WM_ENTRY(WM_SETFOCUS, AfxSig_v_W, OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_WM_ENTRY(WM_KILLFOCUS, AfxSig_v_W, OnKillFocus)
#define ON_WM_GETDLGCODE() AFX_WM_ENTRY(WM_GETDLGCODE, AfxSig_u_v, OnGetDlgCode)
#define ON_WM_KEYDOWN() AFX_WM_ENTRY(WM_KEYDOWN, AfxSig_v_key, OnKeyDown)
#define ON_WM_KEYUP() AFX_WM_ENTRY(WM_KEYUP, AfxSig_v_key, OnKeyUp)
#define ON_WM_CHAR() AFX_WM_ENTRY(WM_CHAR, AfxSig_v_key, OnChar)
#define ON_WM_SYSKEYDOWN() AFX_WM_ENTRY(WM_SYSKEYDOWN, AfxSig_v_key, OnSysKeyDown)
#define ON_WM_MOUSEMOVE() AFX_WM_ENTRY(WM_MOUSEMOVE, AfxSig_v_mouse, OnMouseMove)
#define ON_WM_LBUTTONDOWN() AFX_WM_ENTRY(WM_LBUTTONDOWN, AfxSig_v_mouse, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_WM_ENTRY(WM_LBUTTONUP, AfxSig_v_mouse, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_WM_ENTRY(WM_LBUTTONDBLCLK, AfxSig_v_mouse, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_WM_ENTRY(WM_RBUTTONDOWN, AfxSig_v_mouse, OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_WM_ENTRY(WM_RBUTTONUP, AfxSig_v_mouse, OnRButtonUp)
#define ON_WM_MOUSEWHEEL() AFX_WM_ENTRY(WM_MOUSEWHEEL, AfxSig_b_wheel, OnMouseWheel)
#define ON_WM_SETCURSOR() AFX_WM_ENTRY(WM_SETCURSOR, AfxSig_b_setcursor, OnSetCursor)
#define ON_WM_CANCELMODE() AFX_WM_ENTRY(WM_CANCELMODE, AfxSig_v_v, OnCancelMode)
#define ON_WM_HSCROLL() AFX_WM_ENTRY(WM_HSCROLL, AfxSig_v_scroll, OnHScroll)
#define ON_WM_VSCROLL() AFX_WM_ENTRY(WM_VSCROLL, AfxSig_v_scroll, OnVScroll)
#define ON_WM_DRAWITEM() AFX_WM_ENTRY(WM_DRAWITEM, AfxSig_v_drawitem, OnDrawItem)
#define ON_WM_MEASUREITEM() AFX_WM_ENTRY(WM_MEASUREITEM, AfxSig_v_measureitem, OnMeasureItem)
#define ON_WM_CTLCOLOR() \
    AFX_WM_ENTRY(WM_CTLCOLORMSGBOX, AfxSig_h_ctlcolor, OnCtlColor) \
    AFX_WM_ENTRY(WM_CTLCOLOREDIT, AfxSig_h_ctlcolor, OnCtlColor) \
    AFX_WM_ENTRY(WM_CTLCOLORLISTBOX, AfxSig_h_ctlcolor, OnCtlColor) \
    AFX_WM_ENTRY(WM_CTLCOLORBTN, AfxSig_h_ctlcolor, OnCtlColor) \
    AFX_WM_ENTRY(WM_CTLCOLORDLG, AfxSig_h_ctlcolor, OnCtlColor) \
    AFX_WM_ENTRY(WM_CTLCOLORSCROLLBAR, AfxSig_h_ctlcolor, OnCtlColor) \
    AFX_WM_ENTRY(WM_CTLCOLORSTATIC, AfxSig_h_ctlcolor, OnCtlColor)

// Reflected window messages: the control handles what it sent to its parent.
// (WM_CTLCOLOR* all arrive at one WM_REFLECT_BASE + WM_CTLCOLOR entry.)
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif
#define ON_WM_DRAWITEM_REFLECT() AFX_WM_ENTRY(WM_REFLECT_BASE + WM_DRAWITEM, AfxSig_v_DRAWITEM_R, DrawItem)
#define ON_WM_MEASUREITEM_REFLECT() \
    AFX_WM_ENTRY(WM_REFLECT_BASE + WM_MEASUREITEM, AfxSig_v_MEASUREITEM_R, MeasureItem)
#define ON_WM_CTLCOLOR_REFLECT() AFX_WM_ENTRY(WM_REFLECT_BASE + WM_CTLCOLOR, AfxSig_h_CTLCOLOR_R, CtlColor)
#define ON_WM_HSCROLL_REFLECT() AFX_WM_ENTRY(WM_REFLECT_BASE + WM_HSCROLL, AfxSig_v_scroll_R, HScroll)
#define ON_WM_VSCROLL_REFLECT() AFX_WM_ENTRY(WM_REFLECT_BASE + WM_VSCROLL, AfxSig_v_scroll_R, VScroll)
