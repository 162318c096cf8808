// Keyboard handling: Tab, Left and Right move the focus cell through a posted
// click, Enter requests an edit, Escape drops the row selection.
#include "grid_list_ctrl.h"

namespace {

bool IsKeyDown(int nVirtKey)
{
    return ::GetKeyState(nVirtKey) < 0;
}

} // namespace

void CDLGridListCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    switch (nChar) {
        case VK_TAB:
            MoveFocusCell(!IsKeyDown(VK_SHIFT));
            return;
        case VK_LEFT:
            MoveFocusCell(FALSE);
            return;
        case VK_RIGHT:
            MoveFocusCell(TRUE);
            return;
        case VK_RETURN: {
            const int nRow = GetNextItem(-1, LVNI_FOCUSED);
            if (nRow >= 0 && m_nFocusCol >= 0) EditCell(nRow, m_nFocusCol);
            return;
        }
        case VK_ESCAPE:
            SelectAllRows(FALSE);
            return;
        default:
            CListCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
    }
}

void CDLGridListCtrl::MoveFocusCell(BOOL bRight)
{
    const int nRow = GetNextItem(-1, LVNI_FOCUSED);
    const int c = m_nFocusCol;
    // Without a focused row or focus column there is no cell to move from.
    if (nRow < 0 || c < 0) return;
    UINT nButtons = 0;
    if (IsKeyDown(VK_CONTROL)) nButtons |= MK_CONTROL;
    if (IsKeyDown(VK_SHIFT)) nButtons |= MK_SHIFT;

    CRect rcCell;
    if (!GetSubItemRect(nRow, c, LVIR_LABEL, rcCell)) return;
    CPoint target(rcCell.left, rcCell.top + 2);
    if (bRight) {
        if (c >= GetColumnCount() - 1) return;
        target.x = rcCell.right + 2;
    } else {
        const int nFirst = (m_dwGridStyle & GLS_ROWHEADER) ? 1 : 0;
        if (c <= nFirst) return;
        target.x = rcCell.left - 2;
    }
    if (m_dwGridStyle & GLS_ROWHEADER) {
        CRect rcHeader;
        if (GetSubItemRect(nRow, 0, LVIR_LABEL, rcHeader) && rcHeader.PtInRect(target)) return;
    }

    SelectAllRows(FALSE);
    // Scrolling moves the target cell; the click must follow it.
    CRect rcBefore(0, 0, 0, 0);
    GetItemRect(nRow, &rcBefore, LVIR_BOUNDS);
    EnsureCellVisible(nRow, ColumnFromPoint(nRow, target));
    CRect rcAfter(0, 0, 0, 0);
    GetItemRect(nRow, &rcAfter, LVIR_BOUNDS);
    target.x += rcAfter.left - rcBefore.left;

    m_bSyntheticClick = TRUE;
    const LPARAM lPoint = MAKELPARAM(target.x, target.y);
    PostMessage(WM_LBUTTONDOWN, nButtons, lPoint);
    PostMessage(WM_LBUTTONUP, nButtons, lPoint);
}

BOOL CDLGridListCtrl::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN) {
        const UINT nChar = static_cast<UINT>(pMsg->wParam);
        const UINT nRepCnt = LOWORD(pMsg->lParam);
        const UINT nFlags = HIWORD(pMsg->lParam);
        if (nChar == VK_TAB || nChar == VK_ESCAPE) {
            // The dialog still sees the key afterwards.
            OnKeyDown(nChar, nRepCnt, nFlags);
        } else if (nChar == VK_RETURN && (m_dwGridStyle & GLS_ENTEREDITS)) {
            OnKeyDown(nChar, nRepCnt, nFlags);
            return TRUE;
        }
    }
    return CListCtrl::PreTranslateMessage(pMsg);
}

void CDLGridListCtrl::EnsureCellVisible(int nRow, int nCol)
{
    CRect rcClient;
    GetClientRect(&rcClient);
    CRect rcCell;
    if (!GetSubItemRect(nRow, nCol, LVIR_LABEL, rcCell)) return;
    int dx = 0;
    if (rcCell.right > rcClient.right) {
        dx = rcCell.Width() <= rcClient.Width() ? rcCell.right - rcClient.right : rcCell.left - rcClient.left;
    } else if (rcCell.left < rcClient.left) {
        dx = rcCell.left - rcClient.left;
        if ((m_dwGridStyle & GLS_ROWHEADER) && nCol == 1) {
            // Bring the row header into view too.
            CRect rcHeader(0, 0, 0, 0);
            GetSubItemRect(0, 0, LVIR_LABEL, rcHeader);
            dx -= rcHeader.Width() + 10;
        }
    } else {
        return;
    }
    Scroll(CSize(dx, 0));
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
