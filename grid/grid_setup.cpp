// Construction, window set-up and tear-down, and the base behaviour of the
// grid's hooks.
#include "grid_list_ctrl.h"

IMPLEMENT_DYNAMIC(CDLGridListCtrl, CListCtrl)

BEGIN_MESSAGE_MAP(CDLGridListCtrl, CListCtrl)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_SIZE()
ON_WM_MEASUREITEM_REFLECT()
ON_NOTIFY_REFLECT(LVN_INSERTITEM, OnInsertItemNotify)
ON_NOTIFY_REFLECT(LVN_DELETEITEM, OnDeleteItemNotify)
ON_NOTIFY_REFLECT(LVN_ITEMCHANGED, OnItemChangedNotify)
ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, OnColumnClickNotify)
ON_NOTIFY_REFLECT(LVN_BEGINLABELEDIT, OnBeginLabelEditNotify)
ON_NOTIFY_REFLECT(LVN_ENDLABELEDIT, OnEndLabelEditNotify)
ON_NOTIFY_REFLECT(LVN_GETDISPINFO, OnGetDispInfoNotify)
ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTA, 0, UINT_MAX, OnToolTipText)
ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTW, 0, UINT_MAX, OnToolTipText)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_RBUTTONDOWN()
ON_WM_KEYDOWN()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

CDLGridListCtrl::CDLGridListCtrl()
    : m_nFocusCol(-1),
      m_nSelCol(-1),
      m_dwGridStyle(0),
      m_nExtraRowHeight(4),
      m_pFlatHeader(nullptr),
      m_bSyntheticClick(FALSE),
      m_crDefSelBk(::GetSysColor(COLOR_HIGHLIGHT)),
      m_crDefSelText(::GetSysColor(COLOR_HIGHLIGHTTEXT)),
      m_crDefText(::GetSysColor(COLOR_BTNTEXT)),
      m_crDefBk(::GetSysColor(COLOR_WINDOW))
{
    m_penGrid.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
}

CDLGridListCtrl::~CDLGridListCtrl()
{
    m_penGrid.DeleteObject();
    DestroyFlatHeader();
}

namespace {

// Report view, owner-drawn rows, no label editing, children clipped.
constexpr DWORD kStylesRemoved = LVS_TYPEMASK | LVS_EDITLABELS;
constexpr DWORD kStylesAdded = LVS_REPORT | LVS_OWNERDRAWFIXED | WS_CLIPCHILDREN;

} // namespace

void CDLGridListCtrl::PreSubclassWindow()
{
    CListCtrl::PreSubclassWindow();
    ModifyStyle(kStylesRemoved, kStylesAdded, 0);
    AttachFlatHeader();

    // The list asks for the row height again when its position changes.
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    if (!rcWindow.IsRectEmpty()) {
        WINDOWPOS wp{};
        wp.hwnd = m_hWnd;
        wp.cx = rcWindow.Width();
        wp.cy = rcWindow.Height();
        wp.flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
        SendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
    }
    EnableToolTips(TRUE);
}

int CDLGridListCtrl::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    lpCreateStruct->style = (lpCreateStruct->style & ~kStylesRemoved) | kStylesAdded;
    if (CListCtrl::OnCreate(lpCreateStruct) == -1) return -1;
    AttachFlatHeader();
    return 0;
}

void CDLGridListCtrl::OnDestroy()
{
    CListCtrl::OnDestroy();
    m_penGrid.DeleteObject();
    DestroyFlatHeader();
}

void CDLGridListCtrl::OnSize(UINT nType, int cx, int cy)
{
    CListCtrl::OnSize(nType, cx, cy);
    HWND hHeader = ListView_GetHeader(m_hWnd);
    if (hHeader != nullptr) ::InvalidateRect(hHeader, nullptr, TRUE);
}

void CDLGridListCtrl::GetCellText(int nRow, int nCol, CString& strText)
{
    strText = GetItemText(nRow, nCol);
}

void CDLGridListCtrl::EditCell(int nRow, int nCol)
{
    EnsureCellVisible(nRow, nCol);
}

void CDLGridListCtrl::OnEndEdit(int nRow, int /*nCol*/, LPCTSTR /*pszText*/)
{
    SetFocus();
    CRect rcRow;
    if (GetItemRect(nRow, &rcRow, LVIR_BOUNDS))
        RedrawWindow(&rcRow, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CDLGridListCtrl::OnEndEditEx(int nRow, int nCol, LPCTSTR pszText, DWORD /*dwValue1*/, DWORD /*dwValue2*/)
{
    OnEndEdit(nRow, nCol, pszText);
}

void CDLGridListCtrl::OnColumnClick(int /*nCol*/) {}

void CDLGridListCtrl::OnItemStateChanged(int /*nRow*/, int /*nCol*/, UINT /*nOldState*/, UINT /*nNewState*/)
{
}

void CDLGridListCtrl::OnItemStateSet(int /*nRow*/, int /*nCol*/, UINT /*nNewState*/) {}

void CDLGridListCtrl::OnItemChanged(int /*nRow*/, int /*nCol*/) {}
