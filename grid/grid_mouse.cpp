// Mouse handling: the current cell follows clicks; scrolling takes the focus.
#include "grid_list_ctrl.h"

int CDLGridListCtrl::ColumnFromPoint(int nRow, CPoint point) const
{
    if (nRow < 0) return -1;
    CRect rcRow;
    if (!GetItemRect(nRow, &rcRow, LVIR_BOUNDS) || !rcRow.PtInRect(point)) return -1;
    const int nColumns = GetColumnCount();
    int x = rcRow.left;
    for (int c = 0; c < nColumns; ++c) {
        const int nWidth = GetColumnWidth(c);
        // A point on a border belongs to the column on its left.
        if (x <= point.x && point.x <= x + nWidth) return c;
        x += nWidth;
    }
    return -1;
}

void CDLGridListCtrl::OnLButtonDown(UINT nFlags, CPoint point)
{
    const int nRow = HitTest(point);
    const int nCol = ColumnFromPoint(nRow, point);
    if (nRow < 0 || nCol < 0) {
        m_nSelCol = -1;
        // A keyboard move whose click finds no cell (the row went, or the
        // list scrolled) is over too: the next click is the user's own.
        m_bSyntheticClick = FALSE;
        CListCtrl::OnLButtonDown(nFlags, point);
        return;
    }
    const BOOL bWasHighlighted = IsCellHighlighted(nRow, nCol);
    const BOOL bFullRow = (m_dwGridStyle & GLS_FULLROWSELECT) != 0;
    // Selecting in another column first drops the selection of all rows.
    if (!bFullRow && m_nSelCol != nCol) SelectAllRows(FALSE);
    m_nFocusCol = m_nSelCol = bFullRow ? -1 : nCol;

    CListCtrl::OnLButtonDown(nFlags, point);

    CRect rcRow;
    if (GetItemRect(nRow, &rcRow, LVIR_BOUNDS)) RedrawWindow(&rcRow, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    if (!m_bSyntheticClick && (m_dwGridStyle & GLS_EDITABLE)) {
        if ((m_dwGridStyle & GLS_EDITONCLICK) || bWasHighlighted) EditCell(nRow, nCol);
    }
    m_bSyntheticClick = FALSE;
}

void CDLGridListCtrl::OnRButtonDown(UINT nFlags, CPoint point)
{
    CListCtrl::OnRButtonDown(nFlags, point);
    const int nRow = HitTest(point);
    if (nRow < 0) return;
    const int nCol = ColumnFromPoint(nRow, point);
    if (nCol < 0) return;
    if (!IsCellHighlighted(nRow, nCol)) m_nFocusCol = m_nSelCol = nCol;
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CDLGridListCtrl::OnLButtonUp(UINT nFlags, CPoint point)
{
    const int nHot = SetHotItem(-1);
    if (nHot >= 0) Update(nHot);
    CListCtrl::OnLButtonUp(nFlags, point);
}

void CDLGridListCtrl::TakeFocus()
{
    if (::GetFocus() != m_hWnd) SetFocus();
}

void CDLGridListCtrl::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    TakeFocus();
    CListCtrl::OnHScroll(nSBCode, nPos, pScrollBar);
}

void CDLGridListCtrl::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    // An in-place spinner reports its steps as vertical scrolling: not ours.
    if (pScrollBar != nullptr && pScrollBar->IsKindOf(RUNTIME_CLASS(CSpinButtonCtrl))) return;
    TakeFocus();
    CListCtrl::OnVScroll(nSBCode, nPos, pScrollBar);
}

BOOL CDLGridListCtrl::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt)
{
    TakeFocus();
    return CListCtrl::OnMouseWheel(nFlags, zDelta, pt);
}
