#include "transfer_test_support.h"

std::vector<GridColumn> Columns(CListCtrl& grid)
{
    std::vector<GridColumn> columns;
    for (int i = 0;; ++i) {
        char title[256] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.pszText = title;
        column.cchTextMax = sizeof title;
        if (!grid.GetColumn(i, &column)) break;
        columns.push_back({title, column.fmt & LVCFMT_JUSTIFYMASK, column.cx});
    }
    return columns;
}

int Rows(CListCtrl& grid) { return grid.GetItemCount(); }

std::string Cell(CListCtrl& grid, int row, int col) { return std::string(grid.GetItemText(row, col)); }

ListMessageSpy* ListMessageSpy::s_spy = nullptr;

ListMessageSpy::ListMessageSpy(HWND hWnd) : m_hWnd(hWnd)
{
    s_spy = this;
    m_pfnPrev = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListMessageSpy::Proc)));
}

ListMessageSpy::~ListMessageSpy()
{
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrev));
    s_spy = nullptr;
}

LRESULT CALLBACK ListMessageSpy::Proc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ListMessageSpy* spy = s_spy;
    if (spy->m_depth == 0) {
        const auto* item = reinterpret_cast<const LVITEMA*>(lParam);
        std::string line;
        switch (msg) {
        case LVM_GETITEMCOUNT: line = "GETITEMCOUNT"; break;
        case LVM_DELETEITEM: line = "DELETEITEM " + std::to_string(wParam); break;
        case LVM_DELETEALLITEMS: line = "DELETEALLITEMS"; break;
        case LVM_DELETECOLUMN: line = "DELETECOLUMN " + std::to_string(wParam); break;
        case LVM_INSERTCOLUMNA: line = "INSERTCOLUMN " + std::to_string(wParam); break;
        case LVM_INSERTITEMA: line = "INSERTITEM " + std::to_string(item->iItem); break;
        case LVM_SETITEMTEXTA: line = "SETITEMTEXT " + std::to_string(wParam) + "," + std::to_string(item->iSubItem); break;
        default: break;
        }
        if (!line.empty()) spy->lines.push_back(line);
    }
    ++spy->m_depth;
    LRESULT result = ::CallWindowProcA(spy->m_pfnPrev, hWnd, msg, wParam, lParam);
    --spy->m_depth;
    return result;
}
