// Texts set again unchanged leave the row as painted, and a row draws only
// the cells its target lets through.
#include "grid_test_support.h"

namespace {

class GridTextTest : public GridTest {
protected:
    bool RowNeedsPainting()
    {
        RECT r;
        return ::GetUpdateRect(m_grid.m_hWnd, &r, FALSE) != FALSE;
    }
};

} // namespace

TEST_F(GridTextTest, OnlyAChangedTextReachesTheList)
{
    AddColumns(3);
    AddRows(3);
    m_grid.UpdateWindow();
    ASSERT_FALSE(RowNeedsPainting());
    EXPECT_TRUE(m_grid.SetItemText(1, 1, "r1c1"));  // what it holds: nothing to repaint
    EXPECT_FALSE(RowNeedsPainting());
    EXPECT_TRUE(m_grid.SetItemText(1, 0, "r1c0"));
    EXPECT_FALSE(RowNeedsPainting());

    // Longer, shorter and empty texts are changes.
    for (const char* text : {"r1c1x", "r1c", "", "r1c1"}) {
        m_grid.UpdateWindow();
        EXPECT_TRUE(m_grid.SetItemText(1, 1, text));
        EXPECT_EQ(std::string(m_grid.GetItemText(1, 1)), text);
        EXPECT_TRUE(RowNeedsPainting()) << text;
    }
    // Long texts are passed on as they are.
    const std::string longText(700, 'L');
    m_grid.SetItemText(2, 2, longText.c_str());
    m_grid.SetItemText(2, 2, longText.c_str());
    EXPECT_EQ(std::string(m_grid.GetItemText(2, 2)), longText);
    // A row that does not exist is still the list's to refuse.
    EXPECT_FALSE(m_grid.SetItemText(7, 0, "none"));
}

TEST_F(GridTextTest, ARowDrawsOnlyTheCellsInsideTheTargetsClip)
{
    AddColumns(10, 80);
    AddRows(1);
    CRect rcClient;
    m_grid.GetClientRect(&rcClient);
    CCanvas canvas(rcClient.Width(), rcClient.Height());

    // The canvas is as wide as the grid: the columns beyond it are not drawn.
    const auto columnsInView = [&] {
        std::vector<int> inView;
        for (int c = 0; c < 10; ++c) {
            CRect r;
            m_grid.GetSubItemRect(0, c, LVIR_BOUNDS, r);
            if (c == 0 || r.left <= canvas.Width()) inView.push_back(c);
        }
        return inView;
    };
    std::vector<int> inView = columnsInView();
    ASSERT_LT(inView.size(), 10u);
    m_grid.m_drawnColumns.clear();
    DrawRow(canvas, 0);
    EXPECT_EQ(m_grid.m_drawnColumns, inView);

    // Through a clip of the first 170 pixels: columns 0 to 2 (2 starts at 160).
    ::IntersectClipRect(canvas.GetDC(), 0, 0, 170, rcClient.Height());
    m_grid.m_drawnColumns.clear();
    DrawRow(canvas, 0);
    EXPECT_EQ(m_grid.m_drawnColumns, std::vector<int>({0, 1, 2}));

    // Columns put in another order on screen: the ones in view are drawn.
    int order[10] = {0, 9, 8, 1, 2, 3, 4, 5, 6, 7};
    ::SendMessage(m_grid.m_hWnd, LVM_SETCOLUMNORDERARRAY, 10, reinterpret_cast<LPARAM>(order));
    ::SelectClipRgn(canvas.GetDC(), nullptr);
    inView = columnsInView();
    ASSERT_EQ(inView.back(), 9);
    m_grid.m_drawnColumns.clear();
    DrawRow(canvas, 0);
    EXPECT_EQ(m_grid.m_drawnColumns, inView);
}

namespace {

// What the list is made to do to its rows and texts, each followed by a
// check that every text the grid holds is the list's text of that cell, and
// that a new text set afterwards still reaches the list.
struct TextChange {
    const char* name;
    void (*apply)(CDLGridListCtrl& grid);
};

// Reverses the rows: their data pointers were made in row order.
int CALLBACK ByTextDescending(LPARAM a, LPARAM b, LPARAM) { return a < b ? 1 : a > b ? -1 : 0; }

const TextChange kTextChanges[] = {
    {"SetItemText", [](CDLGridListCtrl& g) { g.SetItemText(1, 2, "changed"); }},
    {"SetItemTextSameTwice", [](CDLGridListCtrl& g) { g.SetItemText(2, 1, "x"); g.SetItemText(2, 1, "x"); }},
    {"InsertItemAtTop", [](CDLGridListCtrl& g) { g.InsertItem(0, "top"); }},
    {"InsertItemWithoutText", [](CDLGridListCtrl& g) { g.InsertItem(LVIF_PARAM, 1, nullptr, 0, 0, 0, 0); }},
    {"DeleteItem", [](CDLGridListCtrl& g) { g.DeleteItem(0); }},
    {"DeleteAllItems", [](CDLGridListCtrl& g) { g.DeleteAllItems(); g.InsertItem(0, "again"); }},
    {"SetItemWithText", [](CDLGridListCtrl& g) { g.SetItem(1, 1, LVIF_TEXT, "set", 0, 0, 0, 0); }},
    {"SetItemTextWide", [](CDLGridListCtrl& g) {
         LVITEMW item{};
         item.iSubItem = 2;
         item.pszText = const_cast<LPWSTR>(L"wide");
         g.SendMessage(LVM_SETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
     }},
    {"SetItemTextCallback", [](CDLGridListCtrl& g) { g.SetItemText(1, 0, LPSTR_TEXTCALLBACKA); }},
    {"SortItems", [](CDLGridListCtrl& g) {
         g.SendMessage(LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&ByTextDescending));
     }},
    {"InsertColumnFirst", [](CDLGridListCtrl& g) { g.InsertColumn(0, "new", LVCFMT_LEFT, 40); }},
    {"DeleteColumn", [](CDLGridListCtrl& g) { g.DeleteColumn(1); }},
    {"ForeignItemData", [](CDLGridListCtrl& g) { g.SetItemData(2, 0); }},
};

class GridHeldTextTest : public GridTextTest, public ::testing::WithParamInterface<TextChange> {};

} // namespace

TEST_P(GridHeldTextTest, TheGridsTextsStayTheListsTexts)
{
    AddColumns(3);
    AddRows(4);
    GetParam().apply(m_grid);

    const int nColumns = m_grid.GetColumnCount();
    for (int r = 0; r < m_grid.GetItemCount(); ++r)
        for (int c = 0; c < nColumns; ++c)
            if (LPCSTR pszHeld = m_grid.GetHeldText(r, c)) {
                EXPECT_EQ(std::string(pszHeld), std::string(m_grid.GetItemText(r, c))) << "row " << r << ", column " << c;
            }
    // Texts set through the grid are held again, whatever came before.
    m_grid.SetItemText(0, 0, "held");
    if (m_grid.GetItemData(0) != 0) {
        EXPECT_STREQ(m_grid.GetHeldText(0, 0), "held");
    }
    // Whatever the grid held, a new text and then the old one both reach the list.
    for (int r = 0; r < m_grid.GetItemCount(); ++r)
        for (int c = 0; c < nColumns; ++c) {
            const std::string before(m_grid.GetItemText(r, c));
            m_grid.SetItemText(r, c, "after");
            EXPECT_EQ(std::string(m_grid.GetItemText(r, c)), "after") << "row " << r << ", column " << c;
            m_grid.SetItemText(r, c, before.c_str());
            EXPECT_EQ(std::string(m_grid.GetItemText(r, c)), before) << "row " << r << ", column " << c;
        }
    // A text set twice reaches the list once: nothing is left to repaint.
    if (m_grid.GetItemCount() > 0) {
        m_grid.SetItemText(0, 0, "twice");
        m_grid.UpdateWindow();
        m_grid.SetItemText(0, 0, "twice");
        EXPECT_FALSE(RowNeedsPainting());
    }
}

INSTANTIATE_TEST_SUITE_P(Changes, GridHeldTextTest, ::testing::ValuesIn(kTextChanges),
                         [](const ::testing::TestParamInfo<TextChange>& info) { return std::string(info.param.name); });

// A new text in a row's first cell asks for that cell to be drawn, not the
// row, and leaves what was to be drawn already as it was (cases: nothing
// else pending, another cell of the row pending).
TEST_F(GridTextTest, ANewFirstCellTextRedrawsThatCellOnly)
{
    AddColumns(4, 60);
    AddRows(3);
    for (const bool otherPending : {false, true}) {
        SCOPED_TRACE(otherPending ? "another cell pending" : "nothing pending");
        m_grid.UpdateWindow();
        ASSERT_FALSE(RowNeedsPainting());
        const CRect rcOther = m_grid.GetCellRect(1, 2);
        if (otherPending) ::InvalidateRect(m_grid.m_hWnd, rcOther, FALSE);
        EXPECT_TRUE(m_grid.SetItemText(1, 0, otherPending ? "changed twice" : "changed"));
        CRect rcExpected = m_grid.GetCellRect(1, 0);
        if (otherPending) ::UnionRect(&rcExpected, &rcExpected, &rcOther);
        CRect rcPending;
        ::GetUpdateRect(m_grid.m_hWnd, &rcPending, FALSE);
        EXPECT_TRUE(rcPending == rcExpected) << rcPending.left << "," << rcPending.top << "," << rcPending.right << ","
                                             << rcPending.bottom;
    }
}
