// Shared pieces of the in-place editor tests: a grid with editing on whose edit
// request makes the editor a test chooses, and which records every end-of-edit
// notification in full; and a dialog fixture around it.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "afx.h"
#include "grid_list_ctrl.h"
#include "grid_test_support.h"

// An editing grid as a program built on the grid would write it.
class CEditingGrid : public CDLGridListCtrl {
public:
    struct EndEdit {
        int nRow = -1;
        int nCol = -1;
        bool bNullText = false;
        std::string strText;
        // The notification as the grid received it.
        HWND hWndFrom = nullptr;
        UINT_PTR idFrom = 0;
        UINT nCode = 0;
        UINT nMask = 0;
        int cchTextMax = -1;
        LPARAM lParam = 0;
        SYSTEMTIME stTime = {}; // *lParam, for the date-time editor
        bool bWatchedAlive = false; // m_hWndWatched was a window at the time
        bool bEditorAlive = false;  // the window that sent it (m_hWndEditor) still was
    };

    CEditingGrid() { m_dwGridStyle = GLS_EDITABLE; }

    // Called by EditCell after the base: makes the editor of the test.
    std::function<void(int nRow, int nCol)> m_makeEditor;
    std::vector<EndEdit> m_endEdits;
    std::vector<WPARAM> m_commands; // WM_COMMAND wParams that reached the grid
    bool m_bTimeInLParam = false;
    HWND m_hWndWatched = nullptr;
    HWND m_hWndEditor = nullptr;

    void EditCell(int nRow, int nCol) override;
    void OnEndEdit(int nRow, int nCol, LPCTSTR pszText) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

// A shown, active dialog holding an editing grid of 6 columns of 100 pixels and
// 8 rows.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void Pump() { PumpThroughDialog(m_dlg.m_hWnd); }
    CRect CellLabel(int nRow, int nCol) const;
    // The window's rectangle in the grid's client coordinates.
    CRect RectInGrid(HWND hWnd) const;
    // A key press (down and up) posted to the window, with its scan code.
    void PostKey(HWND hWnd, UINT nVirtKey);
    // Characters posted to the window as typed.
    void Type(HWND hWnd, const char* pszText);
    // A left click at the point (client coordinates of the window).
    void ClickAt(HWND hWnd, CPoint point);
    void FocusGrid();
    // The grid's child windows other than its header.
    int EditorWindowCount() const;

    CEditingGrid m_grid;
    CGridTestDlg m_dlg{m_grid};
};
