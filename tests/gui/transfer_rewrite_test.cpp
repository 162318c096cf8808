// The updating mode's pass: how many records it rewrites, that it changes no
// byte of the file, and how a refusal ends it.
#include <gtest/gtest.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include "jet/database.h"
#include "jet/lock_file.h"
#include "jet/lock_manager.h"
#include "jet/table_scan.h"
#include "transfer_test_support.h"

namespace {
std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Rewrite : public ViewerTest {
protected:
    // Opens the updating mode's connection and makes the table current with
    // its query text, as the mode's first read leaves them (the grid plays
    // no part in the pass).
    void Prepare(const char* table)
    {
        dlg.m_db.Open(dlg.m_strDbPath, FALSE, FALSE, "");
        dlg.m_strTable = table;
        dlg.m_strSQL = dlg.BuildQuery(table, &dlg.m_db);
        ASSERT_FALSE(dlg.m_strSQL.IsEmpty());
    }
};
} // namespace

TEST_F(Rewrite, NothingWithoutTheConnectionOrATable)
{
    const std::string path = OpenCopy("rows.mdb");
    ASSERT_TRUE(Select("Four"));
    Click(IDC_READ_ONCE);
    EXPECT_EQ(dlg.RewriteRecords(), 0);  // m_db closed
    dlg.m_db.Open(dlg.m_strDbPath, FALSE, FALSE, "");
    const CString table = dlg.m_strTable;
    dlg.m_strTable.Empty();
    EXPECT_EQ(dlg.RewriteRecords(), 0);
    dlg.m_strTable = table;
    EXPECT_EQ(dlg.RewriteRecords(), 4);
    EXPECT_EQ(Log(), "");
}

TEST_F(Rewrite, CountsRecordsAndCapsAtTheQuerysThousand)
{
    const std::string path = OpenCopy("rows.mdb");
    Prepare("Empty");
    EXPECT_EQ(dlg.RewriteRecords(), 0);
    dlg.m_db.Close();
    Prepare("Three5");
    const std::string before = FileBytes(path);
    EXPECT_EQ(dlg.RewriteRecords(), 3);
    dlg.m_db.Close();
    Prepare("Big1500");
    EXPECT_EQ(dlg.RewriteRecords(), 1000);
    EXPECT_EQ(dlg.RewriteRecords(), 1000);
    dlg.m_db.Close();
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(Log(), "");
}

// Every type, text the program's code page cannot show, and a file made by
// Access: writing back what was read changes no byte.
TEST_F(Rewrite, LeavesEveryByteOfTheFileAsItWas)
{
    struct Case {
        const char* fixture;
        const char* table;
        const char* sql;  // instead of the table's own query text
    };
    for (const Case& c : {Case{"types.mdb", "AllTypes", nullptr},
                          // Its ID is an auto-number, which would end the pass at once.
                          Case{"real/jackcess-V2003-testUnicodeComp.mdb", "Table",
                               "SELECT TOP 1000 [Unicode] FROM [Table]"},
                          Case{"NflSummary.mdb", "Games", nullptr},
                          Case{"v2003.mdb", "Orders", nullptr},
                          Case{"rows.mdb", "Big1500", nullptr}}) {
        SCOPED_TRACE(c.fixture);
        dlg.m_editLog.SetWindowText("");
        const std::string path = OpenCopy(c.fixture);
        Prepare(c.table);
        if (c.sql) dlg.m_strSQL = c.sql;
        const std::string before = FileBytes(path);
        EXPECT_GT(dlg.RewriteRecords(), 0);
        EXPECT_GT(dlg.RewriteRecords(), 0);
        dlg.m_db.Close();
        EXPECT_EQ(FileBytes(path), before);
        EXPECT_EQ(Log(), "");
    }
}

TEST_F(Rewrite, TheGridsTextsPlayNoPart)
{
    const std::string path = OpenCopy("rows.mdb");
    ASSERT_TRUE(Select("Four"));
    Click(IDC_READ_ONCE);
    Prepare("Four");
    const std::string before = FileBytes(path);
    dlg.m_grid.SetItemText(0, 1, "changed in the grid");
    dlg.m_grid.DeleteAllItems();
    EXPECT_EQ(dlg.RewriteRecords(), 4);
    dlg.m_db.Close();
    EXPECT_EQ(FileBytes(path), before);
}

TEST_F(Rewrite, AnAutoNumberFieldEndsThePassAtItsFirstRecord)
{
    OpenCopy("autonumber.mdb");
    Prepare("Scores");
    EXPECT_EQ(dlg.RewriteRecords(), 0);
    EXPECT_EQ(Log(), "DAO--Exception: Field cannot be updated.\r\n");
}

// Another user reading the second data page: the first update of a record
// there waits, gives up, and the pass ends with the records done before it.
TEST_F(Rewrite, ALockedRecordEndsThePassWithTheRecordsBeforeItAndOneLogLine)
{
    const std::string path = OpenCopy("rows.mdb");
    Prepare("Big1500");
    dlg.m_db.Engine().set_lock_timeout(std::chrono::milliseconds(200));
    jet::Database other(path);
    const auto rows = jet::scan_row_locations(other.pager(), other.table_definition("Big1500"), 1000);
    int firstPage = 0;
    while (firstPage < static_cast<int>(rows.size()) && rows[firstPage].page == rows[0].page) ++firstPage;
    ASSERT_LT(firstPage, 1000);
    other.pager().locks()->lock_page(rows[firstPage].page, jet::LockMode::Shared);
    EXPECT_EQ(dlg.RewriteRecords(), firstPage);
    other.pager().locks()->unlock_page(rows[firstPage].page, jet::LockMode::Shared);
    const std::string log = Log();
    EXPECT_EQ(log.rfind("DAO--Exception: Could not update; currently locked by user 'Admin' on machine '", 0), 0u)
        << log;
    EXPECT_EQ(log.find("\r\n"), log.size() - 2);
}

// A lock file that cannot be used (a folder under its name): the pass
// changes nothing, and its refusal is logged once.
TEST_F(Rewrite, WithoutAUsableLockFileThePassIsRefusedAndLogged)
{
    const std::string path = OpenCopy("rows.mdb");
    ASSERT_TRUE(std::filesystem::create_directory(std::filesystem::u8path(jet::lock_file::path_for(path))));
    Prepare("Four");
    const std::string before = FileBytes(path);
    EXPECT_EQ(dlg.RewriteRecords(), 0);
    dlg.m_db.Close();
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(Log(), "DAO--Exception: Could not lock file.\r\n");
}
