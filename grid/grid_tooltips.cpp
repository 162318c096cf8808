// Tool tips with the full text of cells whose text does not fit.
#include <vector>

#include "grid_list_ctrl.h"

namespace {

// Tool identifiers: (row * 1024) + (column & 0x3FF) + 1; 0 means no tool.
UINT_PTR CellToolId(int nRow, int nCol)
{
    return static_cast<UINT_PTR>(static_cast<UINT>(nRow) * 1024u + (static_cast<UINT>(nCol) & 0x3FFu) + 1u);
}

constexpr int kTipTextSize = 80; // szText of the notification, terminator included

} // namespace

BOOL CDLGridListCtrl::IsCellTextCut(int nRow, int nCol, const CString& strText) const
{
    // Measured as DrawItem draws: in the list's font, against the rectangle
    // the text is drawn in. A text wider than that ends in an ellipsis.
    CClientDC dc(const_cast<CDLGridListCtrl*>(this));
    const HFONT hFont = GetFontHandle();
    const HGDIOBJ hOldFont = hFont != nullptr ? dc.SelectObject(hFont) : nullptr;
    CRect rcText;
    const BOOL bCut = GetCellTextRect(nRow, nCol, GetCellRect(nRow, nCol), &dc, rcText)
                          ? dc.GetTextExtent(strText).cx > rcText.Width()
                          : !strText.IsEmpty(); // too narrow to show any of it
    if (hOldFont != nullptr) dc.SelectObject(hOldFont);
    return bCut;
}

INT_PTR CDLGridListCtrl::OnToolHitTest(CPoint point, TOOLINFO* pTI) const
{
    if (!(GetStyle() & LVS_REPORT)) return -1;
    LVHITTESTINFO hit{};
    hit.pt = point;
    const_cast<CDLGridListCtrl*>(this)->SubItemHitTest(&hit);
    if (hit.iItem < 0) return -1;

    CString strText;
    const_cast<CDLGridListCtrl*>(this)->GetCellText(hit.iItem, hit.iSubItem, strText);
    if (!IsCellTextCut(hit.iItem, hit.iSubItem, strText)) return -1;
    // The tool covers the sub-item's bounds; those of sub-item 0 are the
    // whole row, so there it is the cell itself.
    CRect rcCell = GetCellRect(hit.iItem, hit.iSubItem);
    if (hit.iSubItem != 0) GetSubItemRect(hit.iItem, hit.iSubItem, LVIR_BOUNDS, rcCell);

    const UINT_PTR nId = CellToolId(hit.iItem, hit.iSubItem);
    pTI->rect = rcCell;
    pTI->hwnd = m_hWnd;
    pTI->uId = nId;
    pTI->lpszText = LPSTR_TEXTCALLBACK;
    return static_cast<INT_PTR>(nId);
}

BOOL CDLGridListCtrl::OnToolTipText(UINT /*nID*/, NMHDR* pNMHDR, LRESULT* pResult)
{
    // Only the cell tools are ours. A tool named by its window (such as the
    // header's own whole-window tool, whose request comes to us as the
    // header's parent) carries a handle as its id, not a cell.
    const UINT nFlags = pNMHDR->code == TTN_NEEDTEXTA ? reinterpret_cast<const NMTTDISPINFOA*>(pNMHDR)->uFlags
                                                       : reinterpret_cast<const NMTTDISPINFOW*>(pNMHDR)->uFlags;
    if (nFlags & TTF_IDISHWND) return FALSE;
    const UINT_PTR nId = pNMHDR->idFrom;
    if (nId == 0) return FALSE;
    const UINT nRow = static_cast<UINT>(nId - 1) >> 10;
    const int nCol = static_cast<int>((nId - 1) & 0x3FF);
    if (nRow >= static_cast<UINT>(GetItemCount())) return FALSE;

    CString strText;
    GetCellText(static_cast<int>(nRow), nCol, strText);
    if (pNMHDR->code == TTN_NEEDTEXTA) {
        NMTTDISPINFOA* pInfo = reinterpret_cast<NMTTDISPINFOA*>(pNMHDR);
        lstrcpynA(pInfo->szText, strText, kTipTextSize);
    } else {
        NMTTDISPINFOW* pInfo = reinterpret_cast<NMTTDISPINFOW*>(pNMHDR);
        std::vector<wchar_t> wide(static_cast<size_t>(strText.GetLength()) + 1, L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, strText, -1, wide.data(), static_cast<int>(wide.size()));
        lstrcpynW(pInfo->szText, wide.data(), kTipTextSize);
    }
    *pResult = 0;
    return TRUE;
}
