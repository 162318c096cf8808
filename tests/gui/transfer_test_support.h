// What the transfer tests share: readers of a grid's columns and cells, and
// a spy on the list messages the grid receives.
#pragma once
#include <string>
#include <vector>
#include "afx.h"

constexpr char kUnknown[] = "unknown format specifier ToString()";

struct GridColumn {
    std::string title;
    int format;  // LVCFMT_LEFT or LVCFMT_RIGHT
    int width;
};
std::vector<GridColumn> Columns(CListCtrl& grid);
int Rows(CListCtrl& grid);
std::string Cell(CListCtrl& grid, int row, int col);

// Records the list messages that reach a window from outside it (not those
// it sends itself while handling one), as readable lines such as
// "DELETEITEM 0", "INSERTITEM 0", "SETITEMTEXT 2,1", "GETITEMCOUNT".
class ListMessageSpy {
public:
    explicit ListMessageSpy(HWND hWnd);
    ~ListMessageSpy();
    std::vector<std::string> lines;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hWnd;
    WNDPROC m_pfnPrev;
    int m_depth = 0;
    static ListMessageSpy* s_spy;
};
