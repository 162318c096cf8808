// CDLGridListCtrl: an owner-drawn report list with per-row and per-cell data,
// a current cell on top of the list's row selection, keyboard and mouse moves
// between cells, tool tips for truncated cells and hooks for in-place editing.
#pragma once

#include "afxdc.h"
#include "afxgdi.h"
#include "afxcmn.h"
#include "grid_options.h"
#include "item_data.h"
#include <optional>
#include <vector>

class CFlatHdrCtrl;
class CEditIPE;
class CDateTimeIPE;
class CComboBoxIPE;
class CButtonIPE;

class CDLGridListCtrl : public CListCtrl {
    DECLARE_DYNAMIC(CDLGridListCtrl)
public:
    CDLGridListCtrl();
    ~CDLGridListCtrl() override;

    int m_nFocusCol;       // column of the focus cell, -1 for none
    int m_nSelCol;         // column highlighted in selected rows, -1 for none
    DWORD m_dwGridStyle;   // GLS_ options
    int m_nExtraRowHeight; // pixels added to the font height per row
    CFlatHdrCtrl* m_pFlatHeader;
    CPen m_penGrid;         // pen of the grid lines
    BOOL m_bSyntheticClick; // a button press made by the keyboard is pending
    COLORREF m_crDefSelBk;  // colours given to the cells of new rows
    COLORREF m_crDefSelText;
    COLORREF m_crDefText;
    COLORREF m_crDefBk;
    CString m_strSpare1; // kept empty
    CString m_strSpare2;

    // Cell model.
    CSubItemData* GetCellData(int nRow, int nCol) const;
    COLORREF GetCellTextColor(int nRow, int nCol) const;
    COLORREF GetCellBkColor(int nRow, int nCol) const;
    COLORREF GetCellSelTextColor(int nRow, int nCol) const;
    COLORREF GetCellSelBkColor(int nRow, int nCol) const;
    int GetCellImage(int nRow, int nCol) const;
    // A negative row or column stands for all rows or all columns.
    void SetCellImage(int nRow, int nCol, int nImage);
    int GetColumnCount() const;
    void SelectAllRows(BOOL bSelect);
    // The text the grid last gave the list for a cell, null when it holds
    // none for it (the list's own text is then the only one).
    LPCSTR GetHeldText(int nRow, int nCol) { CCellTexts* p = RowTexts(nRow); return p ? p->Find(nCol) : nullptr; }

    // Drawing and hit testing.
    BOOL IsCellHighlighted(int nRow, int nCol) const;
    UINT GetColumnDrawFormat(int nCol) const;
    int ColumnFromPoint(int nRow, CPoint point) const;
    // The cell as DrawCell paints it: the sub-item's label, and for column 0
    // the icon too.
    CRect GetCellRect(int nRow, int nCol) const;
    // Where DrawCellContent puts the text of the cell rcCell: right of the
    // cell's image, less one space at the left and two at the right, measured
    // in the font selected into pDC. FALSE when the cell is too narrow for any
    // text: none is drawn then. The tool tips test against the same rectangle.
    BOOL GetCellTextRect(int nRow, int nCol, const CRect& rcCell, CDC* pDC, CRect& rcText) const;

    // Overrides.
    void PreSubclassWindow() override;
    INT_PTR OnToolHitTest(CPoint point, TOOLINFO* pTI) const override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    // Editor factories; they create nothing unless GLS_EDITABLE is set.
    virtual CComboBoxIPE* CreateComboEditor(int nRow, int nCol, DWORD dwStyle, LPARAM lUnused, int nWidth);
    virtual CEditIPE* CreateEditEditor(int nRow, int nCol, DWORD dwStyle, LPCTSTR pszText, int nWidth);
    virtual CEditIPE* CreateSpinnerEditor(int nRow, int nCol, DWORD dwStyle, int nLower, int nUpper,
                                          LPCTSTR pszText, int nWidth);
    virtual CButtonIPE* CreateButtonEditor(int nRow, int nCol, DWORD dwStyle, LPCTSTR pszCaption, int nWidth,
                                           UINT nID);
    virtual CDateTimeIPE* CreateDateTimeEditor(int nRow, int nCol, DWORD dwStyle, SYSTEMTIME stInitial,
                                               LPCTSTR pszFormat, int nWidth);

    virtual void GetCellText(int nRow, int nCol, CString& strText);
    virtual void EnsureCellVisible(int nRow, int nCol);
    virtual void EditCell(int nRow, int nCol);
    virtual void OnEndEdit(int nRow, int nCol, LPCTSTR pszText);
    virtual void OnEndEditEx(int nRow, int nCol, LPCTSTR pszText, DWORD dwValue1, DWORD dwValue2);
    virtual void OnColumnClick(int nCol);
    virtual void OnItemStateChanged(int nRow, int nCol, UINT nOldState, UINT nNewState);
    virtual void OnItemStateSet(int nRow, int nCol, UINT nNewState);
    virtual void OnItemChanged(int nRow, int nCol);
    virtual void DrawCell(int nRow, int nCol, CDC* pDC);
    virtual void DrawCellBackground(int nRow, int nCol, const CRect& rect, BOOL bHighlighted, CDC* pDC);
    virtual void DrawCellContent(int nRow, int nCol, const CRect& rect, BOOL bHighlighted, CDC* pDC);
    virtual void DrawFocusCell(int nRow, CDC* pDC);

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    afx_msg void OnInsertItemNotify(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnDeleteItemNotify(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnItemChangedNotify(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnColumnClickNotify(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnBeginLabelEditNotify(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnEndLabelEditNotify(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnGetDispInfoNotify(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg BOOL OnToolTipText(UINT nID, NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    DECLARE_MESSAGE_MAP()

    // A text set to what the cell already shows is not passed on: the list
    // would redraw the whole row for nothing (grid_updates.cpp).
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The header takeover: a CFlatHdrCtrl made over the list's header, deleted
    // at WM_DESTROY (grid_editors.cpp).
    void AttachFlatHeader();
    void DestroyFlatHeader();
    // The cell's text does not wholly show: drawn with an ellipsis, or not at
    // all (grid_tooltips.cpp).
    BOOL IsCellTextCut(int nRow, int nCol, const CString& strText) const;
    // Moves the focus cell one column through a posted click.
    void MoveFocusCell(BOOL bRight);
    void TakeFocus();
    BOOL IsSameCellText(WPARAM wParam, const LVITEMA& item);
    LRESULT SetCellTextMessage(WPARAM wParam, LPARAM lParam);
    LRESULT SetFirstCellText(WPARAM wParam, LPARAM lParam);
    // The texts the grid holds for a row, null for a row without its data.
    CCellTexts* RowTexts(int nRow);

    // While the list paints, what cannot change before the paint ends is
    // asked of the list once (each question is a message): the counts, the
    // focused row, the image list, the columns' formats and places, a row's
    // state (grid_draw.cpp). Outside a paint every question goes to the list.
    struct CPaintFacts {
        std::optional<int> nColumns;
        std::optional<int> nItems;
        std::optional<int> nFocused;
        std::optional<HIMAGELIST> hImages;
        std::vector<std::optional<UINT>> formats;  // DT_ alignment by column
        int nStateRow = -1;                         // the row whose state is known
        UINT nStateMask = 0;
        UINT nState = 0;
        int nTopRow = -1;  // the row whose top is known
        int nTop = 0;
        // A column's bounds and label, taken in one row and held with their
        // top and bottom from that row's top.
        struct CPlace {
            std::optional<CRect> rect[2];
        };
        std::vector<CPlace> places;
    };
    // What ask() answers, asked once a paint while the list paints: pKnown
    // is where the paint keeps the answer, null outside a paint.
    template <class T, class Ask> static T AskedOnce(std::optional<T>* pKnown, Ask ask)
    {
        if (pKnown == nullptr) return ask();
        if (!*pKnown) *pKnown = ask();
        return **pKnown;
    }
    LRESULT PaintWithFacts(WPARAM wParam, LPARAM lParam);
    int ItemCountNow() const;
    int FocusedRow() const;
    HIMAGELIST SmallImages() const;
    UINT RowState(int nRow, UINT nMask) const;
    // GetSubItemRect; a column after the first is asked once a paint, its
    // place in other rows following from theirs.
    BOOL SubItemRect(int nRow, int nCol, int nArea, CRect& rect) const;

    // Each row's CItemData in row order, kept with the list's inserts and
    // deletes so that a row's texts are found without asking the list; when
    // rows move otherwise (sorting, data set by others) m_bRowsKnown is
    // FALSE and the list is asked once more (grid_updates.cpp).
    std::vector<CItemData*> m_rowData;
    BOOL m_bRowsKnown = TRUE;
    BOOL m_bAttaching = FALSE;        // the grid itself sets a new row's data
    BOOL m_bInsertSeen = FALSE;       // LVN_INSERTITEM came for the row being inserted
    LPCSTR m_pszInsertText = nullptr; // its text, null when not known
    unsigned m_nColumnLayout = 0;     // counts the columns inserted and deleted
    CPaintFacts* m_pPaint = nullptr;  // while the list paints
};
