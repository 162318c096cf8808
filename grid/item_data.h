// Per-row and per-cell data of the grid. A row's CItemData is the list item's
// lParam; it owns one CSubItemData per column that has cell data.
#pragma once

#include "afxcoll.h"
#include "cell_texts.h"

class CSubItemData : public CObject {
    DECLARE_DYNAMIC(CSubItemData)
public:
    CSubItemData();

    COLORREF m_crText;    // text colour when the cell is not highlighted
    COLORREF m_crBk;      // background when the cell is not highlighted
    COLORREF m_crSelText; // text colour when highlighted
    COLORREF m_crSelBk;   // background when highlighted
    DWORD m_dwUser1;      // carried along when a cell is copied
    DWORD m_dwUser2;
    int m_nImage; // small image list index, negative for none
};

class CItemData : public CObject {
    DECLARE_DYNAMIC(CItemData)
public:
    CItemData();
    ~CItemData() override;
    CItemData(const CItemData&) = delete;
    CItemData& operator=(const CItemData&) = delete;

    // The cell of a column, or null when the column has none.
    CSubItemData* GetCell(int nCol) const;
    // Replaces the column's cell by a copy of the template. FALSE for a null template.
    BOOL SetCell(int nCol, const CSubItemData* pTemplate);
    // Removes and destroys the column's cell. FALSE when there was none.
    BOOL DeleteCell(int nCol);
    void DeleteAllCells();

    DWORD m_dwUser1;
    DWORD m_dwUser2;
    CMapWordToOb m_mapCells; // column -> CSubItemData, owned
    CCellTexts m_texts;      // the row's texts as last given to the list
};
