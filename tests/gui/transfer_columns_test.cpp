// Grid columns from a table definition, and the query text that names the
// same fields.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "transfer_fixture.h"

namespace {
class ColumnLayout : public TransferTest {
protected:
    void Lay(const char* table) { transfer::BuildColumns(m_grid, db, table, fields); }
};
} // namespace

TEST_F(ColumnLayout, ColumnsTakeFormatAndWidthFromTheFieldType)
{
    Open("types.mdb");
    ListMessageSpy spy(m_grid.m_hWnd);
    Lay("AllTypes");
    const std::vector<GridColumn> columns = Columns(m_grid);
    const GridColumn expected[] = {
        {"ColBoolean", LVCFMT_RIGHT, 40}, {"ColByte", LVCFMT_RIGHT, 40},  {"ColInt", LVCFMT_RIGHT, 40},
        {"ColLong", LVCFMT_RIGHT, 40},    {"ColMoney", LVCFMT_RIGHT, 40}, {"ColFloat", LVCFMT_RIGHT, 50},
        {"ColDouble", LVCFMT_RIGHT, 50},  {"ColDate", LVCFMT_LEFT, 80},   {"ColText", LVCFMT_LEFT, 105},
        {"ColMemo", LVCFMT_LEFT, 100},    {"ColOle", LVCFMT_RIGHT, 40},   {"ColBinary", LVCFMT_RIGHT, 40},
        {"ColGuid", LVCFMT_RIGHT, 40},    {"ColNumeric", LVCFMT_RIGHT, 40},
    };
    ASSERT_EQ(columns.size(), 14u);
    ASSERT_EQ(fields.size(), 14u);
    for (size_t i = 0; i < columns.size(); ++i) {
        EXPECT_EQ(columns[i].title, expected[i].title);
        EXPECT_EQ(std::string(fields[i].m_strName), expected[i].title);
        EXPECT_EQ(columns[i].format, expected[i].format) << expected[i].title;
        EXPECT_EQ(columns[i].width, expected[i].width) << expected[i].title;
    }
    // An empty grid: all rows, then column 0 until none is left (one more
    // message finds none), then the new columns in field order.
    std::vector<std::string> lines = {"DELETEALLITEMS", "DELETECOLUMN 0"};
    for (int i = 0; i < 14; ++i) lines.push_back("INSERTCOLUMN " + std::to_string(i));
    EXPECT_EQ(spy.lines, lines);
}

TEST_F(ColumnLayout, TextWidthIsFiveTimesItsSizeUpTo105)
{
    Open("rows.mdb");
    Lay("Box Score");  // Team TEXT(3)
    EXPECT_EQ(Columns(m_grid)[0].width, 15);
    Lay("Big1500");  // Label TEXT(20)
    EXPECT_EQ(Columns(m_grid)[1].width, 100);
    Lay("Four");  // Word TEXT(10)
    EXPECT_EQ(Columns(m_grid)[1].width, 50);
    Open("real/jackcess-V1997-test2.mdb");  // text fields up to 255 characters
    Lay("MSP_PROJECTS");
    for (const GridColumn& c : Columns(m_grid)) EXPECT_LE(c.width, 105) << c.title;
}

// The definition read for the columns gives the query text its fields.
TEST_F(ColumnLayout, AtMost240ColumnsAndAMatchingQuery)
{
    Open("wide.mdb");
    Lay("Wide255");
    const std::vector<GridColumn> columns = Columns(m_grid);
    ASSERT_EQ(columns.size(), 240u);
    EXPECT_EQ(columns[239].title, "F240");

    std::string expected = "SELECT TOP 1000 [F001]";
    char name[8];
    for (int i = 2; i <= 240; ++i) {
        snprintf(name, sizeof name, "F%03d", i);
        expected += std::string(", [") + name + "]";
    }
    expected += " FROM Wide255";
    EXPECT_EQ(std::string(transfer::BuildQuery("Wide255", fields)), expected);
}

TEST_F(ColumnLayout, AnEmptyNameEmptiesTheGridAMissingTableThrowsWithItEmptied)
{
    Open("rows.mdb");
    for (const char* table : {"", "Gone"}) {
        Lay("Four");
        m_grid.InsertItem(0, "x");
        try {
            Lay(table);
            EXPECT_STREQ(table, "") << "no exception";
        } catch (CDaoException* e) {
            EXPECT_STREQ(table, "Gone");
            EXPECT_EQ(std::string(e->m_pErrorInfo->m_strDescription), "Item not found in this collection.");
            e->Delete();
        }
        EXPECT_EQ(Columns(m_grid).size(), 0u) << table;
        EXPECT_EQ(Rows(m_grid), 0) << table;
    }
}

TEST_F(ColumnLayout, QueryNamesEveryFieldInBracketsAndTheTableBareWhenItCan)
{
    const struct {
        const char* fixture;
        const char* table;
        const char* sql;
    } cases[] = {
        {"rows.mdb", "T1", "SELECT TOP 1000 [A], [X Y], [Z] FROM T1"},
        // A table name with a blank is bracketed, so that the table can be read.
        {"rows.mdb", "Box Score", "SELECT TOP 1000 [Team], [Q1], [Q2], [Q3], [Q4], [Final Score] FROM [Box Score]"},
        {"rows.mdb", "Three5", "SELECT TOP 1000 [C1], [C2], [C3], [C4], [C5] FROM Three5"},
        // The words of SQL are known in any case; a plain name that is none stands bare.
        {"reserved.mdb", "oRDER", "SELECT TOP 1000 [Quarter], [Description], [PlayId] FROM [oRDER]"},
        {"reserved.mdb", "Scores", "SELECT TOP 1000 [ScoreId], [Team], [Points], [Updated] FROM Scores"},
    };
    for (const auto& c : cases) {
        Open(c.fixture);
        EXPECT_EQ(std::string(transfer::BuildQuery(c.table, transfer::ReadTableFields(db, c.table))), c.sql);
    }
}
