// Reading rows into the grid: "Read Once", the first read of a table and the
// periodic read, on copies of the fixtures.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "viewer_test_support.h"

namespace {
using Lines = std::vector<std::string>;

class Reading : public ViewerTest {
protected:
    // Opens rows.mdb's copy, selects the table and presses "Read Once".
    void ReadOnce(const char* table)
    {
        ASSERT_TRUE(Select(table)) << table;
        Click(IDC_READ_ONCE);
    }
    std::vector<std::string> Column(int col)
    {
        std::vector<std::string> cells;
        for (int r = 0; r < Rows(dlg.m_grid); ++r) cells.push_back(Cell(dlg.m_grid, r, col));
        return cells;
    }
};
} // namespace

TEST_F(Reading, ReadOnceShowsTheFirstThousandRecords)
{
    OpenCopy("rows.mdb");
    ReadOnce("Big1500");
    EXPECT_EQ(Rows(dlg.m_grid), 1000);
    EXPECT_EQ(Columns(dlg.m_grid).size(), 4u);
    EXPECT_EQ(std::string(dlg.m_strTable), "Big1500");
    EXPECT_EQ(std::string(dlg.m_strSQL), "SELECT TOP 1000 [Id], [Label], [Amount], [Stamp] FROM Big1500");
    EXPECT_EQ(Cell(dlg.m_grid, 0, 0), "1");
    EXPECT_EQ(Cell(dlg.m_grid, 0, 1), "Row 0001");
    EXPECT_EQ(Cell(dlg.m_grid, 0, 2), "1.250");
    EXPECT_EQ(Cell(dlg.m_grid, 0, 3), "01/01/24 08:00AM");
    EXPECT_EQ(Cell(dlg.m_grid, 999, 0), "1000");
    EXPECT_EQ(Cell(dlg.m_grid, 999, 2), "1250.000");
    EXPECT_EQ(Cell(dlg.m_grid, 999, 3), "09/26/26 08:00AM");
    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(TestApp().boxes.empty());
    EXPECT_EQ(dlg.RefreshTable(), 1000);
}

TEST_F(Reading, AnEmptyTableEmptiesTheGrid)
{
    OpenCopy("rows.mdb");
    ReadOnce("Four");
    ASSERT_EQ(Rows(dlg.m_grid), 4);
    ReadOnce("Empty");
    EXPECT_EQ(Rows(dlg.m_grid), 0);
    EXPECT_EQ(Columns(dlg.m_grid).size(), 3u);
    EXPECT_EQ(std::string(dlg.m_strSQL), "SELECT TOP 1000 [Id], [Name], [Value] FROM Empty");
    EXPECT_EQ(dlg.RefreshTable(), 0);
    EXPECT_EQ(Log(), "");
}

TEST_F(Reading, TheSameTableKeepsItsColumnsAnotherRebuildsThem)
{
    OpenCopy("rows.mdb");
    ReadOnce("Four");
    dlg.m_grid.SetColumnWidth(0, 77);  // as the operator may drag it
    ReadOnce("Four");
    EXPECT_EQ(Columns(dlg.m_grid)[0].width, 77);
    ReadOnce("Three5");
    EXPECT_EQ(Columns(dlg.m_grid).size(), 5u);
    EXPECT_EQ(Columns(dlg.m_grid)[0].width, 40);
    EXPECT_EQ(Column(4), Lines({"15", "25", "35"}));
    // Names are compared with regard to case: another spelling is another table.
    dlg.m_strTable = "three5";
    ReadOnce("Three5");
    EXPECT_EQ(std::string(dlg.m_strTable), "Three5");
}

TEST_F(Reading, ATableNameWithABlankIsRead)
{
    OpenCopy("rows.mdb");
    ReadOnce("Box Score");
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(std::string(dlg.m_strSQL),
              "SELECT TOP 1000 [Team], [Q1], [Q2], [Q3], [Q4], [Final Score] FROM [Box Score]");
    EXPECT_EQ(Column(0), Lines({"ASH", "BRW"}));
    EXPECT_EQ(Column(5), Lines({"24", "20"}));
    EXPECT_EQ(dlg.RefreshTable(), 2);
}

TEST_F(Reading, ATableNamedWithAWordOfSqlIsRead)
{
    OpenCopy("reserved.mdb");
    ReadOnce("Order");
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(std::string(dlg.m_strSQL), "SELECT TOP 1000 [Quarter], [Description], [PlayId] FROM [Order]");
    EXPECT_EQ(Column(1), Lines({"Play 1", "Play 2", "Play 3", "Play 4"}));
    EXPECT_EQ(dlg.RefreshTable(), 4);
    EXPECT_EQ(Log(), "");
}

TEST_F(Reading, RefreshUsesTheUpdatingConnectionWhileItIsOpen)
{
    const std::string path = OpenCopy("rows.mdb");
    ReadOnce("Five");
    dlg.m_db.Open(path.c_str(), FALSE, FALSE, "");
    dlg.m_strDbPath.Empty();  // only m_db can reach the database now
    EXPECT_EQ(dlg.RefreshTable(), 5);
    EXPECT_EQ(Log(), "");

    dlg.m_db.Close();
    EXPECT_EQ(dlg.RefreshTable(), 0);
    EXPECT_EQ(Log(), "DAO--Exception: Could not find file ''.\r\n");
    EXPECT_EQ(Rows(dlg.m_grid), 5) << "the grid keeps what it showed";

    dlg.m_strTable.Empty();
    dlg.m_editLog.SetWindowText("");
    EXPECT_EQ(dlg.RefreshTable(), 0);
    EXPECT_EQ(Log(), "");
}

TEST_F(Reading, ADatabaseThatNoLongerOpensLogsOneLineAndChangesNoColumns)
{
    const std::string path = OpenCopy("rows.mdb");
    ReadOnce("Four");
    ASSERT_TRUE(::DeleteFileA(path.c_str()));
    ReadOnce("Three5");
    EXPECT_EQ(Log(), "DAO--Exception: Could not find file '" + path + "'.\r\n");
    EXPECT_EQ(Columns(dlg.m_grid).size(), 2u);
    EXPECT_EQ(Column(1), Lines({"one", "two", "three", "four"}));
    EXPECT_TRUE(dlg.m_strSQL.IsEmpty());
    // Nothing was laid out: the columns are still Four's, and a later read of
    // Three5 lays its own out.
    EXPECT_EQ(std::string(dlg.m_strTable), "Four");
    files.Copy("rows.mdb");
    ReadOnce("Three5");
    EXPECT_EQ(Columns(dlg.m_grid).size(), 5u);
}

TEST_F(Reading, ATableThatHasGoneIsReportedAndItsColumnsAreLaidOutNextTime)
{
    const std::string path = OpenCopy("catalog.mdb");
    Select("Beta");
    // Another program puts a database without Beta in its place.
    ASSERT_TRUE(::CopyFileA(files.Copy("rows.mdb").c_str(), path.c_str(), FALSE));
    TestApp().answers = {IDOK};
    Click(IDC_READ_ONCE);
    ASSERT_EQ(TestApp().boxes.size(), 1u);
    EXPECT_EQ(TestApp().boxes[0].text, "Item not found in this collection.");
    EXPECT_TRUE(dlg.m_strTable.IsEmpty());
    EXPECT_EQ(Columns(dlg.m_grid).size(), 0u);
}

TEST_F(Reading, ReadOnceWithoutASelectionOnlyAsks)
{
    OpenCopy("rows.mdb");
    ReadOnce("Four");
    dlg.m_lstTables.SetCurSel(-1);
    TestApp().answers = {IDOK};
    {
        ListMessageSpy spy(dlg.m_grid.m_hWnd);
        Click(IDC_READ_ONCE);
        EXPECT_TRUE(spy.lines.empty());
    }
    ASSERT_EQ(TestApp().boxes.size(), 1u);
    EXPECT_EQ(TestApp().boxes[0].text, kSelectFirst);
    EXPECT_EQ(std::string(dlg.m_strTable), "Four");
    EXPECT_EQ(Rows(dlg.m_grid), 4);
}

// The viewer on the demo database with a table read, for the README.
TEST(ReadingScreenshot, DemoDatabaseWithGamesRead)
{
    TestApp().Reset();
    TestApp().answers = {IDOK};
    FixtureCopies files;
    const std::string path = files.Copy("NflSummary.mdb");
    CQuillmereDlg dlg;
    bool saved = false;
    RunModal(dlg, {
        [&] {
            dlg.OpenDatabase(path.c_str());
            dlg.m_editLog.SetWindowText("");
            dlg.m_lstTables.SetCurSel(dlg.m_lstTables.FindStringExact(-1, "Games"));
            dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_READ_ONCE, BN_CLICKED),
                            reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, IDC_READ_ONCE)));
        },
        [&] { dlg.UpdateWindow(); },
        [&] {
            saved = SaveWindowPng(dlg.m_hWnd, QM_READ_SCREENSHOT);
            dlg.EndDialog(IDOK);
        },
    });
    EXPECT_TRUE(saved);
    EXPECT_EQ(dlg.m_strTable, "Games");
}
