// The grid's cell model: row and cell data created and freed with the list's
// rows, and the getters' fallbacks.
#include "grid_free_tracker.h"
#include "grid_test_support.h"

namespace {

CItemData* RowData(const CDLGridListCtrl& grid, int nRow)
{
    return DYNAMIC_DOWNCAST(CItemData, reinterpret_cast<CObject*>(grid.GetItemData(nRow)));
}

class CForeignData : public CObject {
    DECLARE_DYNAMIC(CForeignData)
};
IMPLEMENT_DYNAMIC(CForeignData, CObject)

using GridModelTest = GridTest;

TEST_F(GridModelTest, NewRowGetsCellsInGridColoursWithTheRowImageInColumnZero)
{
    HIMAGELIST hImages = ImageList_Create(16, 16, ILC_COLOR32, 4, 0);
    for (int i = 0; i < 4; ++i) ImageList_AddIcon(hImages, ::LoadIcon(nullptr, IDI_APPLICATION));
    m_grid.SetImageList(hImages, LVSIL_SMALL);
    // The list's own colours differ from the grid's defaults: cells take the grid's.
    m_grid.SetTextColor(RGB(1, 2, 3));
    m_grid.SetBkColor(RGB(4, 5, 6));
    AddColumns(3);
    m_grid.InsertItem(LVIF_TEXT | LVIF_IMAGE, 0, "row", 0, 0, 2, 0);

    CItemData* pData = RowData(m_grid, 0);
    ASSERT_NE(pData, nullptr);
    EXPECT_EQ(pData->m_mapCells.GetCount(), 3);
    for (int c = 0; c < 3; ++c) {
        const CSubItemData* pCell = m_grid.GetCellData(0, c);
        ASSERT_NE(pCell, nullptr) << c;
        EXPECT_EQ(pCell->m_crText, m_grid.m_crDefText);
        EXPECT_EQ(pCell->m_crBk, m_grid.m_crDefBk);
        EXPECT_EQ(pCell->m_crSelText, m_grid.m_crDefSelText);
        EXPECT_EQ(pCell->m_crSelBk, m_grid.m_crDefSelBk);
        EXPECT_EQ(m_grid.GetCellImage(0, c), c == 0 ? 2 : -1);
    }
    EXPECT_EQ(m_grid.GetCellTextColor(0, 1), ::GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(m_grid.GetCellBkColor(0, 1), ::GetSysColor(COLOR_WINDOW));
    m_grid.DeleteAllItems();
    m_grid.SetImageList(nullptr, LVSIL_SMALL);
    ImageList_Destroy(hImages);
}

TEST_F(GridModelTest, RowBeforeAnyColumnHasNoCellsAndGettersFallBack)
{
    m_grid.SetTextColor(RGB(10, 20, 30));
    m_grid.SetBkColor(RGB(40, 50, 60));
    m_grid.InsertItem(0, "row");
    // A column inserted later gets no cell in the existing row.
    AddColumns(2);

    CItemData* pData = RowData(m_grid, 0);
    ASSERT_NE(pData, nullptr);
    EXPECT_TRUE(pData->m_mapCells.IsEmpty());
    EXPECT_EQ(m_grid.GetCellData(0, 0), nullptr);
    EXPECT_EQ(m_grid.GetCellTextColor(0, 0), RGB(10, 20, 30));
    EXPECT_EQ(m_grid.GetCellBkColor(0, 1), RGB(40, 50, 60));
    EXPECT_EQ(m_grid.GetCellSelTextColor(0, 0), ::GetSysColor(COLOR_HIGHLIGHTTEXT));
    EXPECT_EQ(m_grid.GetCellSelBkColor(0, 0), ::GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(m_grid.GetCellImage(0, 0), -1);
    // Rows that do not exist fall back the same way.
    EXPECT_EQ(m_grid.GetCellData(5, 0), nullptr);
    EXPECT_EQ(m_grid.GetCellImage(5, 0), -1);
}

TEST_F(GridModelTest, DeletingRowsFreesEachRowAndCellExactlyOnce)
{
    AddColumns(3);
    AddRows(4);
    std::vector<const void*> objects;
    for (int r = 0; r < 4; ++r) {
        objects.push_back(RowData(m_grid, r));
        for (int c = 0; c < 3; ++c) objects.push_back(m_grid.GetCellData(r, c));
    }
    Watch(objects);
    m_grid.DeleteItem(1);
    EXPECT_EQ(FreeCount(4), 1); // the data of row 1 and its cells
    EXPECT_EQ(FreeCount(5) + FreeCount(6) + FreeCount(7), 3);
    EXPECT_EQ(FreeCount(0), 0);
    m_grid.DeleteAllItems();
    const int nWatched = WatchedCount();
    StopWatching();
    EXPECT_EQ(m_grid.GetItemCount(), 0);
    for (int i = 0; i < nWatched; ++i) EXPECT_EQ(FreeCount(i), 1) << "object " << i;
}

TEST_F(GridModelTest, DestroyingTheGridFreesItsRows)
{
    AddColumns(2);
    AddRows(3);
    std::vector<const void*> objects;
    for (int r = 0; r < 3; ++r) objects.push_back(RowData(m_grid, r));
    Watch(objects);
    m_dlg.DestroyWindow();
    Pump();
    const int nWatched = WatchedCount();
    StopWatching();
    for (int i = 0; i < nWatched; ++i) EXPECT_EQ(FreeCount(i), 1) << "row " << i;
}

TEST_F(GridModelTest, ForeignItemDataGivesNoCellsAndIsNotFreedByTheGrid)
{
    AddColumns(2);
    AddRows(1);
    CItemData* pOwn = RowData(m_grid, 0);
    CForeignData foreign;
    m_grid.SetItemData(0, reinterpret_cast<DWORD_PTR>(&foreign));
    EXPECT_EQ(m_grid.GetCellData(0, 0), nullptr);
    EXPECT_EQ(m_grid.GetCellImage(0, 1), -1);
    // Deleting the row leaves the foreign object to its owner (here the stack).
    m_grid.DeleteItem(0);
    delete pOwn;
}

TEST_F(GridModelTest, ImageSetThroughTheListReachesTheCellAndItsIconIsRepainted)
{
    HIMAGELIST hImages = ImageList_Create(16, 16, ILC_COLOR32, 4, 0);
    for (int i = 0; i < 4; ++i) ImageList_AddIcon(hImages, ::LoadIcon(nullptr, IDI_APPLICATION));
    m_grid.SetImageList(hImages, LVSIL_SMALL);
    AddColumns(2);
    AddRows(2);
    Pump();
    m_grid.ValidateRect(nullptr);
    m_grid.m_drawnRows.clear();
    m_grid.SetItem(1, 0, LVIF_IMAGE, nullptr, 3, 0, 0, 0);
    // Repainted at once, before any message is pumped.
    EXPECT_EQ(m_grid.m_drawnRows, std::vector<int>{1});
    EXPECT_EQ(m_grid.GetCellImage(1, 0), 3);
    EXPECT_EQ(m_grid.GetCellImage(0, 0), 0);
    EXPECT_EQ(m_grid.GetCellImage(1, 1), -1);
    m_grid.DeleteAllItems();
    m_grid.SetImageList(nullptr, LVSIL_SMALL);
    ImageList_Destroy(hImages);
}

TEST_F(GridModelTest, SetCellImageCoversRowsAndColumnsThatHaveCells)
{
    AddColumns(3);
    AddRows(3);
    m_grid.SetCellImage(1, 2, 5);
    EXPECT_EQ(m_grid.GetCellImage(1, 2), 5);
    EXPECT_EQ(m_grid.GetCellImage(1, 1), -1);
    m_grid.SetCellImage(-1, 0, 7); // every row, column 0
    for (int r = 0; r < 3; ++r) EXPECT_EQ(m_grid.GetCellImage(r, 0), 7);
    EXPECT_EQ(m_grid.GetCellImage(0, 1), -1);
    m_grid.SetCellImage(2, -1, 9); // every column of row 2
    for (int c = 0; c < 3; ++c) EXPECT_EQ(m_grid.GetCellImage(2, c), 9);
    // A column added later has no cells: nothing to set there.
    AddColumns(1);
    m_grid.SetCellImage(-1, -1, 4);
    EXPECT_EQ(m_grid.GetCellImage(0, 0), 4);
    EXPECT_EQ(m_grid.GetCellData(0, 3), nullptr);
}

TEST_F(GridModelTest, StateChangesReachTheHooksInOrder)
{
    AddColumns(2);
    AddRows(2);
    m_grid.m_itemHooks.clear();
    m_grid.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    const std::vector<std::string> expected = {"set 1,0 " + std::to_string(LVIS_SELECTED),
                                               "changed 1,0 0->" + std::to_string(LVIS_SELECTED), "item 1,0"};
    EXPECT_EQ(m_grid.m_itemHooks, expected);
}

TEST(ItemDataTest, SetCellKeepsOneCopyOfTheLatestTemplate)
{
    CItemData data;
    CSubItemData first;
    first.m_crText = RGB(1, 1, 1);
    CSubItemData second;
    second.m_crText = RGB(2, 2, 2);
    second.m_crBk = RGB(3, 3, 3);
    second.m_crSelText = RGB(4, 4, 4);
    second.m_crSelBk = RGB(5, 5, 5);
    second.m_dwUser1 = 6;
    second.m_dwUser2 = 7;
    second.m_nImage = 8;
    EXPECT_TRUE(data.SetCell(4, &first));
    EXPECT_TRUE(data.SetCell(4, &second));
    EXPECT_EQ(data.m_mapCells.GetCount(), 1);
    const CSubItemData* pCell = data.GetCell(4);
    ASSERT_NE(pCell, nullptr);
    EXPECT_NE(pCell, &second);
    EXPECT_EQ(pCell->m_crText, RGB(2, 2, 2));
    EXPECT_EQ(pCell->m_crBk, RGB(3, 3, 3));
    EXPECT_EQ(pCell->m_crSelText, RGB(4, 4, 4));
    EXPECT_EQ(pCell->m_crSelBk, RGB(5, 5, 5));
    EXPECT_EQ(pCell->m_dwUser1, 6u);
    EXPECT_EQ(pCell->m_dwUser2, 7u);
    EXPECT_EQ(pCell->m_nImage, 8);

    EXPECT_FALSE(data.SetCell(5, nullptr));
    EXPECT_EQ(data.GetCell(5), nullptr);
    EXPECT_FALSE(data.DeleteCell(5));
    // A key holding no object is removed but reported as nothing deleted.
    data.m_mapCells.SetAt(6, nullptr);
    EXPECT_FALSE(data.DeleteCell(6));
    CObject* pValue = nullptr;
    EXPECT_FALSE(data.m_mapCells.Lookup(6, pValue));
    EXPECT_TRUE(data.DeleteCell(4));
    EXPECT_TRUE(data.m_mapCells.IsEmpty());
}

TEST(ItemDataTest, RunTimeClassesNameTheDataClasses)
{
    CItemData data;
    CSubItemData cell;
    EXPECT_STREQ(data.GetRuntimeClass()->m_lpszClassName, "CItemData");
    EXPECT_STREQ(cell.GetRuntimeClass()->m_lpszClassName, "CSubItemData");
    EXPECT_STREQ(RUNTIME_CLASS(CDLGridListCtrl)->m_lpszClassName, "CDLGridListCtrl");
    EXPECT_TRUE(RUNTIME_CLASS(CDLGridListCtrl)->IsDerivedFrom(RUNTIME_CLASS(CListCtrl)));
    EXPECT_FALSE(cell.IsKindOf(RUNTIME_CLASS(CItemData)));
    EXPECT_EQ(RUNTIME_CLASS(CItemData)->CreateObject(), nullptr);
}

} // namespace
