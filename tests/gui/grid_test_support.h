// Shared pieces of the grid tests: a dialog with a grid bound to control 1007,
// a grid that records its hooks, message pumping and pixel capture.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "afx.h"
#include "test_app.h"
#include "grid_list_ctrl.h"

// A grid that records the calls of its overridable hooks.
class CRecordingGrid : public CDLGridListCtrl {
public:
    struct Cell {
        int nRow;
        int nCol;
    };
    std::vector<Cell> m_edits;            // EditCell
    std::vector<std::string> m_endEdits;  // OnEndEdit: "row,col,text" ("(null)" for no text)
    std::vector<int> m_columnClicks;      // OnColumnClick
    std::vector<std::string> m_itemHooks; // OnItemStateSet/OnItemStateChanged/OnItemChanged
    std::vector<int> m_drawnRows;         // rows drawn (DrawFocusCell ends each row)
    std::vector<int> m_drawnColumns;      // columns of the cells drawn (DrawCell)

    // When set, the cell text comes from here instead of the list.
    std::function<CString(int nRow, int nCol)> m_textSource;

    void GetCellText(int nRow, int nCol, CString& strText) override;
    void EditCell(int nRow, int nCol) override;
    void OnEndEdit(int nRow, int nCol, LPCTSTR pszText) override;
    void OnColumnClick(int nCol) override;
    void OnItemStateSet(int nRow, int nCol, UINT nNewState) override;
    void OnItemStateChanged(int nRow, int nCol, UINT nOldState, UINT nNewState) override;
    void OnItemChanged(int nRow, int nCol) override;
    void DrawFocusCell(int nRow, CDC* pDC) override;
    void DrawCell(int nRow, int nCol, CDC* pDC) override;
};

// The test dialog: the grid is bound like the viewer binds its grid; OK and
// Cancel are counted instead of ending the dialog.
class CGridTestDlg : public CDialog {
public:
    explicit CGridTestDlg(CDLGridListCtrl& grid) : m_grid(grid) {}
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override { ++m_nOK; }
    void OnCancel() override { ++m_nCancel; }

    CDLGridListCtrl& m_grid;
    int m_nOK = 0;
    int m_nCancel = 0;
};

// Dispatches every queued message the way the dialog's modal loop does
// (pre-translation up to hWndStop first).
void PumpThroughDialog(HWND hWndStop);

// Holds a virtual key down (or releases it) in the thread's keyboard state.
void SetKeyState(int nVirtKey, bool bDown);

// A 32-bit top-down memory surface to draw into and read back.
class CCanvas {
public:
    CCanvas(int nWidth, int nHeight);
    ~CCanvas();
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    HDC GetDC() const { return m_hdc; }
    void Fill(COLORREF cr);
    COLORREF At(int x, int y) const;
    // Copies the window's client area as it is on the screen.
    void CaptureClient(HWND hWnd);
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }

private:
    int m_nWidth;
    int m_nHeight;
    HDC m_hdc;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
    std::uint32_t* m_pBits;
};

// A shown, active dialog with a grid of 600 x 300 pixels.
class GridTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Columns "C0".."Cn-1" of the given width, left-aligned.
    void AddColumns(int nCount, int nWidth = 80);
    // Rows whose cells read "r<row>c<col>".
    void AddRows(int nCount);
    void Pump() { PumpThroughDialog(m_dlg.m_hWnd); }
    // The middle of a cell's label rectangle, in grid client coordinates.
    CPoint CellPoint(int nRow, int nCol) const;
    void Click(int nRow, int nCol, UINT nFlags = 0);
    void PressKey(UINT nVirtKey);
    // Draws one row with the grid's DrawItem into the canvas (client coordinates).
    void DrawRow(CCanvas& canvas, int nRow, UINT nAction = ODA_DRAWENTIRE);
    void FocusGrid();
    std::vector<int> SelectedRows() const;

    CRecordingGrid m_grid;
    CGridTestDlg m_dlg{m_grid};
};
