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

INT_PTR CDLGridListCtrl::OnToolHitTest(CPoint point, TOOLINFO* pTI) const
{
    if (!(GetStyle() & LVS_REPORT)) return -1;
    LVHITTESTINFO hit{};
    hit.pt = point;
    const_cast<CDLGridListCtrl*>(this)->SubItemHitTest(&hit);
    if (hit.iItem < 0) return -1;

    CString strText;
    const_cast<CDLGridListCtrl*>(this)->GetCellText(hit.iItem, hit.iSubItem, strText);
    CRect rcCell(0, 0, 0, 0);
    if (hit.iSubItem == 0) {
        // The list's bounds of sub-item 0 are the whole row; the cell is the
        // icon and the label of column 0.
        CRect rcIcon(0, 0, 0, 0);
        GetSubItemRect(hit.iItem, 0, LVIR_LABEL, rcCell);
        GetSubItemRect(hit.iItem, 0, LVIR_ICON, rcIcon);
        rcCell.left = rcIcon.left;
    } else {
        GetSubItemRect(hit.iItem, hit.iSubItem, LVIR_BOUNDS, rcCell);
    }
    if (GetStringWidth(strText) < rcCell.Width()) return -1;

    const UINT_PTR nId = CellToolId(hit.iItem, hit.iSubItem);
    pTI->rect = rcCell;
    pTI->hwnd = m_hWnd;
    pTI->uId = nId;
    pTI->lpszText = LPSTR_TEXTCALLBACK;
    return static_cast<INT_PTR>(nId);
}

BOOL CDLGridListCtrl::OnToolTipText(UINT /*nID*/, NMHDR* pNMHDR, LRESULT* pResult)
{
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
