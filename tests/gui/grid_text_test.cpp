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
    std::vector<int> inView;
    for (int c = 0; c < 10; ++c) {
        CRect r;
        m_grid.GetSubItemRect(0, c, LVIR_BOUNDS, r);
        if (c == 0 || r.left <= canvas.Width()) inView.push_back(c);
    }
    ASSERT_LT(inView.size(), 10u);
    m_grid.m_drawnColumns.clear();
    DrawRow(canvas, 0);
    EXPECT_EQ(m_grid.m_drawnColumns, inView);

    // Through a clip of the first 170 pixels: columns 0 to 2 (2 starts at 160).
    ::IntersectClipRect(canvas.GetDC(), 0, 0, 170, rcClient.Height());
    m_grid.m_drawnColumns.clear();
    DrawRow(canvas, 0);
    EXPECT_EQ(m_grid.m_drawnColumns, std::vector<int>({0, 1, 2}));
}
