// "Repair DB": a compaction that replaces the database, the failures that
// leave it as it was, and the modes and connection around it.
#include <gtest/gtest.h>
#include <fstream>
#include "jet/database/database.h"
#include "reading_modes.h"
#include "viewer_test_support.h"

namespace {
bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The rows of a table as one text, read through the engine.
std::string Contents(const std::string& path, const char* table)
{
    jet::Database db(path);
    jet::Snapshot s = db.open_table(table);
    std::string text;
    for (; !s.is_eof(); s.move_next()) {
        for (int i = 0; i < s.field_count(); ++i) {
            const jet::Value v = s.value(i);
            text += v.kind() == jet::ValueKind::Text ? std::string(v.text().begin(), v.text().end())
                                                     : std::to_string(static_cast<int>(v.kind()));
            text += '|';
        }
        text += '\n';
    }
    return text;
}

// Each test's database lies in the test's own folder, whose name has a dot
// in it (suite.test): a dot in a folder name must not matter.
class Repair : public ViewerTest {
protected:
    void TearDown() override
    {
        if (dlg.m_db.IsOpen()) dlg.m_db.Close();
        ViewerTest::TearDown();
    }
    std::string Box() const { return TestApp().boxes.empty() ? "" : TestApp().boxes.back().text; }
};
} // namespace

TEST_F(Repair, CompactsTheLabelledDatabaseInPlaceAndSaysNothing)
{
    const std::string path = OpenCopy("NflSummary.mdb");
    const std::string before = Contents(path, "Games");
    const size_t size = FileBytes(path).size();
    Click(IDC_REPAIR_DB);
    EXPECT_TRUE(TestApp().boxes.empty()) << Box();
    EXPECT_EQ(Log(), "");
    EXPECT_FALSE(Exists(std::string(transfer::CompactTempName(path.c_str()))));
    EXPECT_EQ(Contents(path, "Games"), before);
    EXPECT_LE(FileBytes(path).size(), size);
    // The program reads the compacted file as before.
    ASSERT_TRUE(Select("Games"));
    Click(IDC_READ_ONCE);
    EXPECT_EQ(Rows(dlg.m_grid), 272);
}

TEST_F(Repair, AnEmptyLabelDoesNothing)
{
    OpenCopy("rows.mdb");
    dlg.m_stcPath.SetWindowText("");
    Click(IDC_REPAIR_DB);
    EXPECT_TRUE(TestApp().boxes.empty());
    EXPECT_EQ(Log(), "");
}

TEST_F(Repair, ALeftOverTemporaryFileIsReportedAndKept)
{
    const std::string path = OpenCopy("rows.mdb");
    const std::string temp = std::string(transfer::CompactTempName(path.c_str()));
    { std::ofstream(temp) << "left over"; }
    const std::string before = FileBytes(path);
    TestApp().answers = {IDOK};
    Click(IDC_REPAIR_DB);
    ASSERT_EQ(TestApp().boxes.size(), 1u);
    EXPECT_EQ(Box(), "Unable to Compact Database:\n Database already exists.");
    EXPECT_EQ(TestApp().boxes[0].type, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_EQ(FileBytes(temp), "left over");
    EXPECT_EQ(FileBytes(path), before);
}

TEST_F(Repair, ADatabaseAnotherUserHasOpenIsLeftAlone)
{
    const std::string path = OpenCopy("rows.mdb");
    jet::Database other(path);
    const std::string before = FileBytes(path);
    TestApp().answers = {IDOK};
    Click(IDC_REPAIR_DB);
    ASSERT_EQ(TestApp().boxes.size(), 1u);
    EXPECT_EQ(Box(), "Unable to Compact Database:\n Could not use '" + path + "'; file already in use.");
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_FALSE(Exists(std::string(transfer::CompactTempName(path.c_str()))));
}

// A database that cannot be replaced (another program has it, not for
// reading or writing, but without allowing it to be replaced) stays whole,
// and the box names the compacted copy kept beside it.
TEST_F(Repair, AReplacementThatFailsKeepsTheDatabaseAndNamesTheCompactedCopy)
{
    const std::string path = OpenCopy("rows.mdb");
    const std::string temp = std::string(transfer::CompactTempName(path.c_str()));
    const std::string before = FileBytes(path);
    HANDLE hHolder = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                   nullptr);
    ASSERT_NE(hHolder, INVALID_HANDLE_VALUE);
    TestApp().answers = {IDOK};
    Click(IDC_REPAIR_DB);
    ::CloseHandle(hHolder);
    ASSERT_EQ(TestApp().boxes.size(), 1u);
    const std::string lead = "Unable to Compact Database:\n ";
    const std::string tail = "\nThe compacted database was kept as '" + temp + "'.";
    EXPECT_EQ(Box().rfind(lead, 0), 0u) << Box();
    ASSERT_GT(Box().size(), lead.size() + tail.size()) << Box();
    EXPECT_EQ(Box().substr(Box().size() - tail.size()), tail);
    EXPECT_EQ(FileBytes(path), before);
    ASSERT_TRUE(Exists(temp));
    EXPECT_EQ(Contents(temp, "Big1500"), Contents(path, "Big1500"));
}

TEST_F(Repair, StopsTheModesAndReopensOnlyAConnectionThatWasStillOpen)
{
    const std::string path = OpenCopy("rows.mdb");
    ASSERT_TRUE(Select("Four"));
    Click(IDC_READING);
    TestApp().answers = {IDYES};
    Click(IDC_UPDATING);
    ASSERT_TRUE(dlg.m_db.IsOpen());
    Click(IDC_REPAIR_DB);
    EXPECT_FALSE(dlg.m_bReading);
    EXPECT_FALSE(dlg.m_bUpdating);
    EXPECT_TRUE(dlg.m_lstTables.IsWindowEnabled());
    EXPECT_FALSE(dlg.m_db.IsOpen());  // closed by stopping the updating mode
    EXPECT_EQ(TestApp().boxes.size(), 1u);

    // Open without a mode: closed for the compaction, opened again after it.
    dlg.m_db.Open(dlg.m_strDbPath, FALSE, FALSE, "");
    Click(IDC_REPAIR_DB);
    EXPECT_EQ(TestApp().boxes.size(), 1u) << Box();
    EXPECT_TRUE(dlg.m_db.IsOpen());
    EXPECT_EQ(std::string(dlg.m_strTable), "Four");
    EXPECT_EQ(Log(), "");
}
