// Locking between users of one file, within one process (each open of the
// database is a user of its own): the lock file, and pages held by another
// user. tests/jet/processes.sh runs the same between processes.
#include "writer_fixture.h"

#include "jet/lock_file.h"
#include "jet/table_scan.h"

using namespace jettest;

namespace {

std::string ldb_of(const std::string& file) { return jet::lock_file::path_for(file); }

bool exists(const std::string& file) { return std::filesystem::exists(std::filesystem::u8path(file)); }

// The computer name as a lock-file entry holds it.
std::string stored_machine_name()
{
    std::string name;
    for (const char c : jet::computer_name())
        if (static_cast<unsigned char>(c) < 0x80 && name.size() < 31) name.push_back(c);
    return name;
}

std::uint32_t first_record_page(jet::Database& db, const std::string& table)
{
    return jet::scan_row_locations(db.pager(), db.table_definition(table), 1).at(0).page;
}

}  // namespace

TEST(LockFile, NamedAfterTheDatabase)
{
    EXPECT_EQ(jet::lock_file::path_for("/data/summary.mdb"), "/data/summary.ldb");
    EXPECT_EQ(jet::lock_file::path_for("C:\\rel.2\\summary"), "C:\\rel.2\\summary.ldb");
    EXPECT_EQ(jet::lock_file::path_for("a.b/c"), "a.b/c.ldb");
}

TEST(LockFile, OneEntryPerOpenUntilTheLastCloses)
{
    TempDir tmp;
    const std::string file = tmp.copy("rows.mdb");
    const std::string ldb = ldb_of(file);
    auto first = std::make_unique<jet::Database>(file);
    ASSERT_TRUE(exists(ldb));
    auto second = std::make_unique<jet::Database>(file);
    const std::vector<std::uint8_t> bytes = read_file(std::filesystem::u8path(ldb));
    ASSERT_EQ(bytes.size(), 128u);
    for (int slot = 0; slot < 2; ++slot) {
        jet::lock_file::Entry e;
        ASSERT_TRUE(jet::lock_file::read_entry(ldb, static_cast<unsigned>(slot) + 1, e));
        EXPECT_EQ(e.machine, stored_machine_name());
        EXPECT_EQ(e.user, "Admin");
        // NUL-padded 32-byte fields
        EXPECT_EQ(bytes[static_cast<std::size_t>(slot) * 64 + 32 + 5], 0);
        EXPECT_EQ(bytes[static_cast<std::size_t>(slot) * 64 + 63], 0);
    }
    first.reset();
    EXPECT_TRUE(exists(ldb));  // the second user is still there
    // A new user takes the slot given back.
    auto third = std::make_unique<jet::Database>(file);
    EXPECT_EQ(read_file(std::filesystem::u8path(ldb)).size(), 128u);
    third.reset();
    second.reset();
    EXPECT_FALSE(exists(ldb));
}

TEST(LockFile, LeftOverByACrashedUser)
{
    TempDir tmp;
    const std::string file = tmp.copy("rows.mdb");
    const std::string ldb = ldb_of(file);
    ASSERT_TRUE(jet::lock_file::write_entry(ldb, 1, "GONE", "Admin"));
    ASSERT_TRUE(jet::lock_file::write_entry(ldb, 2, "ALSOGONE", "Admin"));
    {
        jet::Database db(file);  // their users are free: the first is taken again
        EXPECT_EQ(db.pager().locks()->user(), 1u);
        jet::lock_file::Entry e;
        ASSERT_TRUE(jet::lock_file::read_entry(ldb, 1, e));
        EXPECT_EQ(e.machine, stored_machine_name());
    }
    EXPECT_FALSE(exists(ldb));
}

TEST(PageLocks, UpdateOfAPageAnotherUserHolds)
{
    TempDir tmp;
    const std::string file = tmp.copy("rows.mdb");
    jet::Database holder(file);
    jet::Database db(file);
    db.set_lock_timeout(std::chrono::milliseconds(200));
    const std::uint32_t page = first_record_page(holder, "Five");
    jet::Dynaset d = db.open_dynaset("SELECT * FROM Five");
    holder.pager().locks()->lock_page(page, jet::LockMode::Exclusive);
    d.edit();
    d.set_value(1, d.value(1));
    const jet::Error e = error_of([&] { d.update(); });
    EXPECT_EQ(e.number(), jet::kCouldNotUpdateLockedBy);
    EXPECT_EQ(e.description(),
              "Could not update; currently locked by user 'Admin' on machine '" + stored_machine_name() + "'.");
    // Readers take no lock and read on.
    EXPECT_EQ(db.open_snapshot("SELECT * FROM Five").size(), 5u);
    holder.pager().locks()->unlock_page(page, jet::LockMode::Exclusive);
    EXPECT_FALSE(d.update());
    EXPECT_EQ(records(db, "Five").size(), 5u);
}

TEST(PageLocks, ReadersShareAPageThatWritersWaitFor)
{
    TempDir tmp;
    const std::string file = tmp.copy("rows.mdb");
    jet::Database reader(file);
    jet::Database db(file);
    db.set_lock_timeout(std::chrono::milliseconds(100));
    const std::uint32_t page = first_record_page(reader, "Five");
    reader.pager().locks()->lock_page(page, jet::LockMode::Shared);
    EXPECT_EQ(records(db, "Five").size(), 5u);
    jet::Dynaset d = db.open_dynaset("SELECT * FROM Five");
    d.edit();
    d.set_value(1, text_value(u"uno"));
    EXPECT_EQ(error_of([&] { d.update(); }).number(), jet::kCouldNotUpdateLockedBy);
    reader.pager().locks()->unlock_page(page, jet::LockMode::Shared);
    EXPECT_TRUE(d.update());
    EXPECT_EQ(records(db, "Five")[0][1].text(), u"uno");
}
