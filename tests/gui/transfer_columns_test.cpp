// Grid columns from a table definition, and the query text that goes with them.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "transfer_test_support.h"

namespace {
class Transfer : public ViewerTest {
protected:
    CDaoDatabase& Open(const std::string& fixture)
    {
        db.Open(files.Copy(fixture).c_str(), FALSE, FALSE, "");
        return db;
    }
    CDaoDatabase db;
};
} // namespace

TEST_F(Transfer, ColumnsTakeFormatAndWidthFromTheFieldType)
{
    Open("types.mdb");
    ListMessageSpy spy(dlg.m_grid.m_hWnd);
    dlg.BuildColumns("AllTypes", &db);
    const std::vector<GridColumn> columns = Columns(dlg.m_grid);
    const GridColumn expected[] = {
        {"ColBoolean", LVCFMT_RIGHT, 40}, {"ColByte", LVCFMT_RIGHT, 40},  {"ColInt", LVCFMT_RIGHT, 40},
        {"ColLong", LVCFMT_RIGHT, 40},    {"ColMoney", LVCFMT_RIGHT, 40}, {"ColFloat", LVCFMT_RIGHT, 50},
        {"ColDouble", LVCFMT_RIGHT, 50},  {"ColDate", LVCFMT_LEFT, 80},   {"ColText", LVCFMT_LEFT, 105},
        {"ColMemo", LVCFMT_LEFT, 100},    {"ColOle", LVCFMT_RIGHT, 40},   {"ColBinary", LVCFMT_RIGHT, 40},
        {"ColGuid", LVCFMT_RIGHT, 40},    {"ColNumeric", LVCFMT_RIGHT, 40},
    };
    ASSERT_EQ(columns.size(), 14u);
    for (size_t i = 0; i < columns.size(); ++i) {
        EXPECT_EQ(columns[i].title, expected[i].title);
        EXPECT_EQ(columns[i].format, expected[i].format) << expected[i].title;
        EXPECT_EQ(columns[i].width, expected[i].width) << expected[i].title;
    }
    // An empty grid: all rows, then column 0 until none is left (one more
    // message finds none), then the new columns in field order.
    std::vector<std::string> lines = {"DELETEALLITEMS", "DELETECOLUMN 0"};
    for (int i = 0; i < 14; ++i) lines.push_back("INSERTCOLUMN " + std::to_string(i));
    EXPECT_EQ(spy.lines, lines);
}

TEST_F(Transfer, TextWidthIsFiveTimesItsSizeUpTo105)
{
    Open("rows.mdb");
    dlg.BuildColumns("Box Score", &db);  // Team TEXT(3)
    EXPECT_EQ(Columns(dlg.m_grid)[0].width, 15);
    dlg.BuildColumns("Big1500", &db);  // Label TEXT(20)
    EXPECT_EQ(Columns(dlg.m_grid)[1].width, 100);
    dlg.BuildColumns("Four", &db);  // Word TEXT(10)
    EXPECT_EQ(Columns(dlg.m_grid)[1].width, 50);
    Open("real/jackcess-V1997-test2.mdb");  // text fields up to 255 characters
    dlg.BuildColumns("MSP_PROJECTS", &db);
    for (const GridColumn& c : Columns(dlg.m_grid)) EXPECT_LE(c.width, 105) << c.title;
}

TEST_F(Transfer, AtMost240ColumnsAndAMatchingQuery)
{
    Open("wide.mdb");
    dlg.BuildColumns("Wide255", &db);
    const std::vector<GridColumn> columns = Columns(dlg.m_grid);
    ASSERT_EQ(columns.size(), 240u);
    EXPECT_EQ(columns[239].title, "F240");

    std::string expected = "SELECT TOP 1000 [F001]";
    char name[8];
    for (int i = 2; i <= 240; ++i) {
        snprintf(name, sizeof name, "F%03d", i);
        expected += std::string(", [") + name + "]";
    }
    expected += " FROM Wide255";
    EXPECT_EQ(std::string(dlg.BuildQuery("Wide255", &db)), expected);
}

TEST_F(Transfer, NoDatabaseLeavesTheGridAnEmptyNameEmptiesIt)
{
    dlg.m_grid.InsertColumn(0, "A", LVCFMT_LEFT, 30);
    dlg.m_grid.InsertColumn(1, "B", LVCFMT_LEFT, 30);
    dlg.m_grid.InsertItem(0, "a");
    CDaoDatabase closed;
    dlg.BuildColumns("Four", &closed);
    dlg.BuildColumns("Four", nullptr);
    EXPECT_EQ(Columns(dlg.m_grid).size(), 2u);
    EXPECT_EQ(Rows(dlg.m_grid), 1);
    EXPECT_EQ(std::string(dlg.BuildQuery("Four", &closed)), "");
    EXPECT_EQ(std::string(dlg.BuildQuery("Four", nullptr)), "");

    Open("rows.mdb");
    dlg.BuildColumns("", &db);
    EXPECT_EQ(Columns(dlg.m_grid).size(), 0u);
    EXPECT_EQ(Rows(dlg.m_grid), 0);
}

TEST_F(Transfer, AMissingTableThrowsWithTheGridEmptied)
{
    Open("rows.mdb");
    dlg.BuildColumns("Four", &db);
    dlg.m_grid.InsertItem(0, "x");
    try {
        dlg.BuildColumns("Gone", &db);
        ADD_FAILURE() << "no exception";
    } catch (CDaoException* e) {
        EXPECT_EQ(std::string(e->m_pErrorInfo->m_strDescription), "Item not found in this collection.");
        e->Delete();
    }
    EXPECT_EQ(Columns(dlg.m_grid).size(), 0u);
    EXPECT_EQ(Rows(dlg.m_grid), 0);
}

TEST_F(Transfer, QueryNamesEveryFieldInBracketsAndTheTableBareWhenItCan)
{
    Open("rows.mdb");
    EXPECT_EQ(std::string(dlg.BuildQuery("T1", &db)), "SELECT TOP 1000 [A], [X Y], [Z] FROM T1");
    // A table name with a blank is bracketed, so that the table can be read.
    EXPECT_EQ(std::string(dlg.BuildQuery("Box Score", &db)),
              "SELECT TOP 1000 [Team], [Q1], [Q2], [Q3], [Q4], [Final Score] FROM [Box Score]");
    EXPECT_EQ(std::string(dlg.BuildQuery("Three5", &db)), "SELECT TOP 1000 [C1], [C2], [C3], [C4], [C5] FROM Three5");
}
