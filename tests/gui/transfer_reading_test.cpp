// Reading records into the grid: rows fitted at the top, every cell set from
// the field's value, and the grid drawn whole after rows came and went.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "transfer_fixture.h"

namespace {
using Lines = std::vector<std::string>;

class GridRows : public TransferTest {
protected:
    // Grid rows whose last column holds the marks old0..old<n-1>, under the
    // table's columns and that one column more.
    void MarkRows(const char* table, int n)
    {
        transfer::BuildColumns(m_grid, db, table, fields);
        const int extra = static_cast<int>(Columns(m_grid).size());
        m_grid.InsertColumn(extra, "mark", LVCFMT_LEFT, 40);
        for (int i = 0; i < n; ++i) {
            m_grid.InsertItem(i, "");
            m_grid.SetItemText(i, extra, ("old" + std::to_string(i)).c_str());
        }
    }
    Lines Column(int col)
    {
        Lines cells;
        for (int r = 0; r < Rows(m_grid); ++r) cells.push_back(Cell(m_grid, r, col));
        return cells;
    }
};
} // namespace

TEST_F(GridRows, SurplusRowsGoFromTheTopAndMissingOnesComeInAtTheTop)
{
    Open("rows.mdb");
    MarkRows("Four", 10);
    {
        ListMessageSpy spy(m_grid.m_hWnd);
        EXPECT_EQ(Fill("SELECT TOP 1000 [N], [Word] FROM Four"), 4);
        Lines expected;
        for (int i = 0; i < 6; ++i) expected.insert(expected.end(), {"GETITEMCOUNT", "DELETEITEM 0"});
        expected.insert(expected.end(), {"GETITEMCOUNT", "GETITEMCOUNT"});
        for (int r = 0; r < 4; ++r) expected.insert(expected.end(), {"SETITEMTEXT " + std::to_string(r) + ",0",
                                                                      "SETITEMTEXT " + std::to_string(r) + ",1"});
        EXPECT_EQ(spy.lines, expected);
    }
    EXPECT_EQ(Column(2), Lines({"old6", "old7", "old8", "old9"}));
    EXPECT_EQ(Column(1), Lines({"one", "two", "three", "four"}));

    MarkRows("Five", 2);
    {
        ListMessageSpy spy(m_grid.m_hWnd);
        EXPECT_EQ(Fill(transfer::BuildQuery("Five", fields)), 5);
        Lines expected = {"GETITEMCOUNT"};
        for (int i = 0; i < 3; ++i) expected.insert(expected.end(), {"GETITEMCOUNT", "INSERTITEM 0"});
        expected.push_back("GETITEMCOUNT");
        EXPECT_EQ(Lines(spy.lines.begin(), spy.lines.begin() + 8), expected);
        EXPECT_EQ(spy.lines.size(), 8u + 5 * 2);
    }
    EXPECT_EQ(Column(2), Lines({"", "", "", "old0", "old1"}));
    EXPECT_EQ(Column(0), Lines({"1", "2", "3", "4", "5"}));
}

// Rows and columns put on while the grid does not draw: afterwards it is
// whole to be drawn again, with its scroll range set, and it draws changes
// again; a grid that was hidden stays hidden.
TEST_F(GridRows, TheGridDrawsAgainAfterRowsComeAndGo)
{
    Open("rows.mdb");
    m_grid.ShowWindow(SW_HIDE);
    EXPECT_GT(Read("Four"), 0);
    EXPECT_FALSE(::IsWindowVisible(m_grid.m_hWnd));
    m_grid.ShowWindow(SW_SHOW);
    m_grid.UpdateWindow();
    for (const char* table : {"Big1500", "Four"}) {
        const int nRows = Read(table);
        EXPECT_GT(nRows, 0) << table;
        ASSERT_TRUE(::IsWindowVisible(m_grid.m_hWnd)) << table;
        SCROLLINFO range{};
        range.cbSize = sizeof range;
        range.fMask = SIF_RANGE;
        EXPECT_EQ(::GetScrollInfo(m_grid.m_hWnd, SB_VERT, &range) ? range.nMax : -1, nRows - 1) << table;
        RECT client, dirty;
        ::GetClientRect(m_grid.m_hWnd, &client);
        ASSERT_TRUE(::GetUpdateRect(m_grid.m_hWnd, &dirty, FALSE)) << table;
        EXPECT_TRUE(::EqualRect(&client, &dirty)) << table;
        m_grid.UpdateWindow();
        ASSERT_FALSE(::GetUpdateRect(m_grid.m_hWnd, &dirty, FALSE));
        m_grid.SetItemText(0, 1, "changed");
        EXPECT_TRUE(::GetUpdateRect(m_grid.m_hWnd, &dirty, FALSE)) << table;
        m_grid.UpdateWindow();
    }
}

TEST_F(GridRows, EveryFieldTypeAsItsCellText)
{
    Open("types.mdb");
    ASSERT_EQ(Read("AllTypes"), 4);
    ASSERT_EQ(Rows(m_grid), 4);
    const std::string u = kUnknown;
    const Lines row1 = {"1", "255", "-32768", "70000", u, "0.250", "2.500", "12/07/26 03:07PM", "hello"};
    const Lines row2 = {"0", "0", "32767", "-1", u, "-1.500", "-0.000", "02/29/00 12:00AM", "", "short memo"};
    const Lines row4 = {"1", "128", "1", "2147483647", u, "0.100", "1234567.891", "12/31/99 11:59PM",
                        AnsiFromUtf8("M\xC3\xBCller caf\xC3\xA9")};
    for (size_t c = 0; c < row1.size(); ++c) EXPECT_EQ(Cell(m_grid, 0, static_cast<int>(c)), row1[c]) << c;
    for (size_t c = 0; c < row2.size(); ++c) EXPECT_EQ(Cell(m_grid, 1, static_cast<int>(c)), row2[c]) << c;
    for (size_t c = 0; c < row4.size(); ++c) EXPECT_EQ(Cell(m_grid, 3, static_cast<int>(c)), row4[c]) << c;
    // Memos in full; OLE, binary, GUID and decimal values have no format.
    const std::string memo1 = Cell(m_grid, 0, 9);
    EXPECT_EQ(memo1.size(), 5000u);
    EXPECT_EQ(memo1.substr(0, 3), "ABC");
    EXPECT_EQ(memo1.substr(4992), "ABCDEFGH");
    EXPECT_EQ(Cell(m_grid, 3, 9).size(), 100000u);
    for (int r : {0, 1, 3})
        for (int c = 10; c < 14; ++c) EXPECT_EQ(Cell(m_grid, r, c), u) << r << "," << c;
    // Row 3: a yes/no field has no null; every other field shows "null".
    EXPECT_EQ(Cell(m_grid, 2, 0), "0");
    for (int c = 1; c < 14; ++c) EXPECT_EQ(Cell(m_grid, 2, c), "null") << c;
}
