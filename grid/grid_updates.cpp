// Cell texts set again unchanged. A reading tick sets every cell of up to
// 1000 rows, and on a quiet database nearly every text is the one the cell
// already holds; the list would still redraw the row each time. Each row
// keeps the texts the grid last gave the list (CItemData::m_texts), and a
// text equal to the held one goes no further. A cell whose text the grid
// does not hold (a text set through the wide messages, a callback text, a
// row without the grid's data) is compared with the list's own text.
#include "grid_list_ctrl.h"
#include <cstring>

namespace {
// Longer texts are passed on without asking the list for its own.
constexpr size_t kCompareLimit = 512;
} // namespace

BOOL CDLGridListCtrl::IsSameCellText(WPARAM wParam, const LVITEMA& item)
{
    if (item.pszText == nullptr || item.pszText == LPSTR_TEXTCALLBACKA) return FALSE;
    const size_t nLength = std::strlen(item.pszText);
    if (nLength >= kCompareLimit) return FALSE;
    char szHeld[kCompareLimit + 2];
    LVITEMA get{};
    get.iSubItem = item.iSubItem;
    get.pszText = szHeld;
    // Room for one character more: a longer held text comes back longer.
    get.cchTextMax = static_cast<int>(nLength) + 2;
    const LRESULT nHeld = DefWindowProc(LVM_GETITEMTEXTA, wParam, reinterpret_cast<LPARAM>(&get));
    return nHeld == static_cast<LRESULT>(nLength) && std::memcmp(szHeld, item.pszText, nLength) == 0;
}

CCellTexts* CDLGridListCtrl::RowTexts(int nRow)
{
    if (!m_bRowsKnown) {
        // Rows moved or were given other data behind the grid's back: the
        // list says again which row carries which data.
        const int nCount = GetItemCount();
        m_rowData.assign(nCount > 0 ? static_cast<size_t>(nCount) : 0, nullptr);
        for (int r = 0; r < nCount; ++r) {
            CObject* pData = reinterpret_cast<CObject*>(GetItemData(r));
            if (pData != nullptr && pData->IsKindOf(RUNTIME_CLASS(CItemData)))
                m_rowData[static_cast<size_t>(r)] = static_cast<CItemData*>(pData);
        }
        m_bRowsKnown = TRUE;
    }
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_rowData.size()) return nullptr;
    CItemData* pData = m_rowData[static_cast<size_t>(nRow)];
    if (pData == nullptr) return nullptr;
    CCellTexts& texts = pData->m_texts;
    if (texts.m_nLayout != m_nColumnLayout) {
        texts.Reset(0);
        texts.m_nLayout = m_nColumnLayout;
    }
    return &texts;
}

// The list redraws the whole row for a new text in its first column; the
// grid draws cell by cell, and only that cell changed. What was to be drawn
// of the row before stays so.
LRESULT CDLGridListCtrl::SetFirstCellText(WPARAM wParam, LPARAM lParam)
{
    const int nRow = static_cast<int>(wParam);
    CRect rcRow(0, 0, 0, 0), rcClient, rcShown;
    GetClientRect(rcClient);
    if (!::IsWindowVisible(m_hWnd) || !GetItemRect(nRow, rcRow, LVIR_BOUNDS) ||
        !::IntersectRect(&rcShown, &rcRow, &rcClient))
        return CListCtrl::WindowProc(LVM_SETITEMTEXTA, wParam, lParam);
    // The band of the row across the whole window: what the list asks to be
    // drawn of the row may reach past the row's bounds.
    rcRow.left = rcClient.left;
    rcRow.right = rcClient.right;
    HRGN hBefore = ::CreateRectRgn(0, 0, 0, 0);
    HRGN hRow = ::CreateRectRgnIndirect(rcRow);
    if (hBefore == nullptr || hRow == nullptr) {
        if (hBefore != nullptr) ::DeleteObject(hBefore);
        if (hRow != nullptr) ::DeleteObject(hRow);
        return CListCtrl::WindowProc(LVM_SETITEMTEXTA, wParam, lParam);
    }
    const int nBefore = ::GetUpdateRgn(m_hWnd, hBefore, FALSE);
    const LRESULT nResult = CListCtrl::WindowProc(LVM_SETITEMTEXTA, wParam, lParam);
    // One request to the window system takes back what the list asked for
    // beyond the cell: the band, less the cell and less what was pending.
    const CRect rcCell = GetCellRect(nRow, 0);
    HRGN hCell = ::CreateRectRgnIndirect(rcCell);
    // (Where that cannot be worked out, the whole row is drawn.)
    if (hCell != nullptr && nBefore != ERROR && ::CombineRgn(hRow, hRow, hCell, RGN_DIFF) != ERROR &&
        (nBefore == NULLREGION || ::CombineRgn(hRow, hRow, hBefore, RGN_DIFF) != ERROR))
        ::RedrawWindow(m_hWnd, nullptr, hRow, RDW_VALIDATE | RDW_NOCHILDREN);
    if (hCell != nullptr) ::DeleteObject(hCell);
    ::DeleteObject(hRow);
    ::DeleteObject(hBefore);
    return nResult;
}

LRESULT CDLGridListCtrl::SetCellTextMessage(WPARAM wParam, LPARAM lParam)
{
    const LVITEMA& item = *reinterpret_cast<const LVITEMA*>(lParam);
    const int nRow = static_cast<int>(wParam);
    const bool bText = item.pszText != nullptr && item.pszText != LPSTR_TEXTCALLBACKA;
    CCellTexts* pTexts = RowTexts(nRow);
    if (pTexts != nullptr && bText) {
        if (const char* pszHeld = pTexts->Find(item.iSubItem)) {
            if (std::strcmp(pszHeld, item.pszText) == 0) return TRUE;
        } else if (IsSameCellText(wParam, item)) {
            pTexts->Set(item.iSubItem, item.pszText);
            return TRUE;
        }
    } else if (IsSameCellText(wParam, item)) {
        return TRUE;
    }
    const LRESULT nResult = item.iSubItem == 0 ? SetFirstCellText(wParam, lParam)
                                               : CListCtrl::WindowProc(LVM_SETITEMTEXTA, wParam, lParam);
    // The list's notifications may have taken rows off meanwhile: the row is
    // looked up again.
    if (nResult && (pTexts = RowTexts(nRow)) != nullptr) {
        if (bText)
            pTexts->Set(item.iSubItem, item.pszText);
        else
            pTexts->Truncate(item.iSubItem);
    }
    return nResult;
}

LRESULT CDLGridListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case LVM_SETITEMTEXTA:
        if (lParam == 0) break;
        return SetCellTextMessage(wParam, lParam);
    case WM_PAINT:
        return PaintWithFacts(wParam, lParam);
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW: {
        // The new row's text reaches the grid's LVN_INSERTITEM handler
        // through m_pszInsertText; a row the handler did not see leaves the
        // grid's record of rows behind.
        const LVITEMA* pItem = reinterpret_cast<const LVITEMA*>(lParam);
        LPCSTR pszSaved = m_pszInsertText;
        BOOL bSavedSeen = m_bInsertSeen;
        m_pszInsertText = nullptr;
        if (message == LVM_INSERTITEMA && pItem != nullptr) {
            if (!(pItem->mask & LVIF_TEXT) || pItem->pszText == nullptr)
                m_pszInsertText = "";
            else if (pItem->pszText != LPSTR_TEXTCALLBACKA)
                m_pszInsertText = pItem->pszText;
        }
        m_bInsertSeen = FALSE;
        const LRESULT nResult = CListCtrl::WindowProc(message, wParam, lParam);
        if (nResult >= 0 && !m_bInsertSeen) m_bRowsKnown = FALSE;
        m_pszInsertText = pszSaved;
        m_bInsertSeen = bSavedSeen;
        return nResult;
    }
    case LVM_DELETEITEM: {
        const size_t nBefore = m_rowData.size();
        const LRESULT nResult = CListCtrl::WindowProc(message, wParam, lParam);
        if (nResult && m_rowData.size() + 1 != nBefore) m_bRowsKnown = FALSE;
        return nResult;
    }
    case LVM_DELETEALLITEMS: {
        const LRESULT nResult = CListCtrl::WindowProc(message, wParam, lParam);
        if (nResult) {
            m_rowData.clear();
            m_bRowsKnown = TRUE;
        }
        return nResult;
    }
    case LVM_SETITEMA:
    case LVM_SETITEMW: {
        const LRESULT nResult = CListCtrl::WindowProc(message, wParam, lParam);
        const LVITEMA* pItem = reinterpret_cast<const LVITEMA*>(lParam);
        if (!nResult || pItem == nullptr) return nResult;
        if ((pItem->mask & LVIF_PARAM) && !m_bAttaching) m_bRowsKnown = FALSE;
        if (pItem->mask & LVIF_TEXT) {
            if (CCellTexts* pTexts = RowTexts(pItem->iItem)) {
                if (message == LVM_SETITEMA && pItem->pszText != nullptr && pItem->pszText != LPSTR_TEXTCALLBACKA)
                    pTexts->Set(pItem->iSubItem, pItem->pszText);
                else
                    pTexts->Truncate(pItem->iSubItem);
            }
        }
        return nResult;
    }
    case LVM_SETITEMTEXTW: {
        const LRESULT nResult = CListCtrl::WindowProc(message, wParam, lParam);
        const LVITEMW* pItem = reinterpret_cast<const LVITEMW*>(lParam);
        if (nResult && pItem != nullptr)
            if (CCellTexts* pTexts = RowTexts(static_cast<int>(wParam))) pTexts->Truncate(pItem->iSubItem);
        return nResult;
    }
    case LVM_SORTITEMS:
    case LVM_SORTITEMSEX: {
        const LRESULT nResult = CListCtrl::WindowProc(message, wParam, lParam);
        m_bRowsKnown = FALSE;
        return nResult;
    }
    case LVM_INSERTCOLUMNA:
    case LVM_INSERTCOLUMNW:
    case LVM_DELETECOLUMN: {
        // The list moves its texts along to other columns: what the rows
        // hold no longer says which column has which text.
        const LRESULT nResult = CListCtrl::WindowProc(message, wParam, lParam);
        ++m_nColumnLayout;
        return nResult;
    }
    default:
        break;
    }
    return CListCtrl::WindowProc(message, wParam, lParam);
}
