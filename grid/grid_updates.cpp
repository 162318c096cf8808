// Cell texts set again unchanged. A reading tick sets every cell of up to
// 1000 rows, and on a quiet database nearly every text is the one the cell
// already holds; the list would still redraw the row each time. Comparing
// first is far cheaper than that redraw.
#include "grid_list_ctrl.h"
#include <cstring>

namespace {
// Longer texts are passed on without comparing.
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

LRESULT CDLGridListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case LVM_SETITEMTEXTA:
        if (lParam != 0 && IsSameCellText(wParam, *reinterpret_cast<const LVITEMA*>(lParam))) return TRUE;
        break;
    default:
        break;
    }
    return CListCtrl::WindowProc(message, wParam, lParam);
}
