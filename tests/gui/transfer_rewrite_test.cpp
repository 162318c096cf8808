// The rewrite pass: how many records it rewrites, that it changes no byte of
// the file, and how a refusal ends it.
#include <gtest/gtest.h>
#include <chrono>
#include "jet/database/database.h"
#include "jet/sharing/lock_manager.h"
#include "jet/reading/table_scan.h"
#include "transfer_fixture.h"

namespace {
class RecordRewrite : public TransferTest {
protected:
    // One pass over the table's query text (or the one given); gives the records done.
    int Pass(const char* table, const char* sql = nullptr)
    {
        int nDone = 0;
        transfer::RewriteRecords(db, sql ? CString(sql) : transfer::BuildQuery(table, transfer::ReadTableFields(db, table)),
                                 nDone);
        return nDone;
    }
};
} // namespace

TEST_F(RecordRewrite, CountsRecordsAndCapsAtTheQuerysThousand)
{
    Open("rows.mdb");
    EXPECT_EQ(Pass("Empty"), 0);
    EXPECT_EQ(Pass("Three5"), 3);
    EXPECT_EQ(Pass("Big1500"), 1000);
}

// Every type, text the program's code page cannot show, and a file made by
// Access: writing back what was read changes no byte.
TEST_F(RecordRewrite, LeavesEveryByteOfTheFileAsItWas)
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
        const std::string path = Open(c.fixture);
        const std::string before = FileBytes(path);
        EXPECT_GT(Pass(c.table, c.sql), 0);
        EXPECT_GT(Pass(c.table, c.sql), 0);
        db.Close();
        EXPECT_EQ(FileBytes(path), before);
    }
}

// Another user reading the second data page: the first update of a record
// there waits, gives up, and the pass ends with the records done before it.
TEST_F(RecordRewrite, ALockedRecordEndsThePassWithTheRecordsBeforeIt)
{
    const std::string path = Open("rows.mdb");
    db.Engine().set_lock_timeout(std::chrono::milliseconds(200));
    jet::Database other(path);
    const auto rows = jet::scan_row_locations(other.pager(), other.table_definition("Big1500"), 1000);
    int firstPage = 0;
    while (firstPage < static_cast<int>(rows.size()) && rows[firstPage].page == rows[0].page) ++firstPage;
    ASSERT_LT(firstPage, 1000);
    other.pager().locks()->lock_page(rows[firstPage].page, jet::LockMode::Shared);
    int nDone = 0;
    try {
        transfer::RewriteRecords(db, "SELECT TOP 1000 [Id], [Label], [Amount], [Stamp] FROM Big1500", nDone);
        ADD_FAILURE() << "no exception";
    } catch (CDaoException* e) {
        const std::string text(e->m_pErrorInfo->m_strDescription);
        EXPECT_EQ(text.rfind("Could not update; currently locked by user 'Admin' on machine '", 0), 0u) << text;
        e->Delete();
    }
    other.pager().locks()->unlock_page(rows[firstPage].page, jet::LockMode::Shared);
    EXPECT_EQ(nDone, firstPage);
}
