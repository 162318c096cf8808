// The cell model: per-row data created and freed with the list's rows, the
// cell getters with their fallbacks, and cell images.
#include "grid_list_ctrl.h"

int CDLGridListCtrl::GetColumnCount() const
{
    return AskedOnce(m_pPaint != nullptr ? &m_pPaint->nColumns : nullptr, [&] {
        HWND hHeader = ListView_GetHeader(m_hWnd);
        if (hHeader == nullptr) return 0;
        const int nCount = Header_GetItemCount(hHeader);
        return nCount < 0 ? 0 : nCount;
    });
}

void CDLGridListCtrl::SelectAllRows(BOOL bSelect)
{
    SetItemState(-1, bSelect ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

CSubItemData* CDLGridListCtrl::GetCellData(int nRow, int nCol) const
{
    // While the list paints no row comes or goes: the grid's record of them
    // says without a message.
    if (m_pPaint != nullptr && m_bRowsKnown && nRow >= 0 && static_cast<size_t>(nRow) < m_rowData.size()) {
        CItemData* pRow = m_rowData[static_cast<size_t>(nRow)];
        return pRow != nullptr ? pRow->GetCell(nCol) : nullptr;
    }
    CObject* pData = reinterpret_cast<CObject*>(GetItemData(nRow));
    if (pData == nullptr || !pData->IsKindOf(RUNTIME_CLASS(CItemData))) return nullptr;
    return static_cast<CItemData*>(pData)->GetCell(nCol);
}

COLORREF CDLGridListCtrl::GetCellTextColor(int nRow, int nCol) const
{
    const CSubItemData* pCell = GetCellData(nRow, nCol);
    return pCell != nullptr ? pCell->m_crText : GetTextColor();
}

COLORREF CDLGridListCtrl::GetCellBkColor(int nRow, int nCol) const
{
    const CSubItemData* pCell = GetCellData(nRow, nCol);
    return pCell != nullptr ? pCell->m_crBk : GetBkColor();
}

COLORREF CDLGridListCtrl::GetCellSelTextColor(int nRow, int nCol) const
{
    const CSubItemData* pCell = GetCellData(nRow, nCol);
    return pCell != nullptr ? pCell->m_crSelText : ::GetSysColor(COLOR_HIGHLIGHTTEXT);
}

COLORREF CDLGridListCtrl::GetCellSelBkColor(int nRow, int nCol) const
{
    const CSubItemData* pCell = GetCellData(nRow, nCol);
    return pCell != nullptr ? pCell->m_crSelBk : ::GetSysColor(COLOR_HIGHLIGHT);
}

int CDLGridListCtrl::GetCellImage(int nRow, int nCol) const
{
    const CSubItemData* pCell = GetCellData(nRow, nCol);
    return pCell != nullptr ? pCell->m_nImage : -1;
}

void CDLGridListCtrl::SetCellImage(int nRow, int nCol, int nImage)
{
    const int nRowFirst = nRow < 0 ? 0 : nRow;
    const int nRowEnd = nRow < 0 ? GetItemCount() : nRow + 1;
    const int nColFirst = nCol < 0 ? 0 : nCol;
    const int nColEnd = nCol < 0 ? GetColumnCount() : nCol + 1;
    for (int r = nRowFirst; r < nRowEnd; ++r) {
        for (int c = nColFirst; c < nColEnd; ++c) {
            if (CSubItemData* pCell = GetCellData(r, c)) pCell->m_nImage = nImage;
        }
    }

    // A range of cells has no single icon area: repaint the whole list then.
    constexpr UINT kRedraw = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;
    if (nRow < 0 || nCol < 0) {
        RedrawWindow(nullptr, nullptr, kRedraw);
        return;
    }
    CRect rcIcon;
    if (GetSubItemRect(nRow, nCol, LVIR_ICON, rcIcon)) RedrawWindow(&rcIcon, nullptr, kRedraw);
}

void CDLGridListCtrl::OnInsertItemNotify(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const NMLISTVIEW* pNotify = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    if (pNotify == nullptr) return;
    const int nRow = pNotify->iItem;

    CItemData* pData = new CItemData;
    if (m_bRowsKnown) {
        if (nRow >= 0 && static_cast<size_t>(nRow) <= m_rowData.size())
            m_rowData.insert(m_rowData.begin() + nRow, pData);
        else
            m_bRowsKnown = FALSE;
    }
    m_bInsertSeen = TRUE;
    m_bAttaching = TRUE;
    SetItem(nRow, 0, LVIF_PARAM, nullptr, 0, 0, 0, reinterpret_cast<LPARAM>(pData));
    m_bAttaching = FALSE;

    // Nothing between here and the end changes the columns: they are counted once.
    const int nColumns = GetColumnCount();
    CSubItemData cell;
    for (int c = 0; c < nColumns; ++c) {
        cell.m_nImage = -1;
        if (c == 0) {
            LVITEM item{};
            item.mask = LVIF_IMAGE;
            item.iItem = nRow;
            if (GetItem(&item)) cell.m_nImage = item.iImage;
        }
        cell.m_crText = m_crDefText;
        cell.m_crBk = m_crDefBk;
        cell.m_crSelText = m_crDefSelText;
        cell.m_crSelBk = m_crDefSelBk;
        pData->SetCell(c, &cell);
    }

    // The new row's sub-items are empty; its own text is the one inserted,
    // when the grid saw it go by.
    pData->m_texts.m_nLayout = m_nColumnLayout;
    pData->m_texts.Reset(nColumns);
    if (m_pszInsertText != nullptr)
        pData->m_texts.Set(0, m_pszInsertText);
    else
        pData->m_texts.Truncate(0);
}

void CDLGridListCtrl::OnDeleteItemNotify(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const NMLISTVIEW* pNotify = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    if (pNotify == nullptr) return;
    if (m_bRowsKnown) {
        const int nRow = pNotify->iItem;
        const void* pDeleted = reinterpret_cast<const void*>(pNotify->lParam);
        if (nRow >= 0 && static_cast<size_t>(nRow) < m_rowData.size() &&
            (m_rowData[static_cast<size_t>(nRow)] == nullptr || m_rowData[static_cast<size_t>(nRow)] == pDeleted))
            m_rowData.erase(m_rowData.begin() + nRow);
        else
            m_bRowsKnown = FALSE;
    }
    // Only the grid's own row data is freed; data of another class belongs to
    // whoever put it there.
    CObject* pData = reinterpret_cast<CObject*>(pNotify->lParam);
    if (pData != nullptr && pData->IsKindOf(RUNTIME_CLASS(CItemData))) delete pData;
}

void CDLGridListCtrl::OnItemChangedNotify(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const NMLISTVIEW* pNotify = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    if (pNotify == nullptr) return;
    if (pNotify->uChanged & LVIF_IMAGE) {
        LVITEM item{};
        item.mask = LVIF_IMAGE;
        item.iItem = pNotify->iItem;
        item.iSubItem = pNotify->iSubItem;
        if (GetItem(&item)) SetCellImage(pNotify->iItem, pNotify->iSubItem, item.iImage);
    }
    if (pNotify->uChanged & LVIF_STATE) {
        OnItemStateSet(pNotify->iItem, pNotify->iSubItem, pNotify->uNewState);
        OnItemStateChanged(pNotify->iItem, pNotify->iSubItem, pNotify->uOldState, pNotify->uNewState);
    }
    OnItemChanged(pNotify->iItem, pNotify->iSubItem);
}
