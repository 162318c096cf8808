// The updating mode's pass in the dialog: what it needs, that the grid plays
// no part, and the log line of a refusal.
#include <gtest/gtest.h>
#include <filesystem>
#include "jet/sharing/lock_file.h"
#include "viewer_test_support.h"

namespace {
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

// A lock file that cannot be used (a folder under its name): the pass
// changes nothing, and its refusal is logged once.
TEST_F(Rewrite, WithoutAUsableLockFileThePassIsRefusedAndLogged)
{
    const std::string path = OpenCopy("rows.mdb");
    // The folder of an earlier run may still stand where the lock file goes.
    const std::filesystem::path ldb = std::filesystem::u8path(jet::lock_file::path_for(path));
    std::filesystem::remove_all(ldb);
    ASSERT_TRUE(std::filesystem::create_directory(ldb));
    Prepare("Four");
    const std::string before = FileBytes(path);
    EXPECT_EQ(dlg.RewriteRecords(), 0);
    dlg.m_db.Close();
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(Log(), "DAO--Exception: Could not lock file.\r\n");
}
