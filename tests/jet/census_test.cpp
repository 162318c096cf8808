// The census of a lock file: the users and the locks that other handles
// hold, decoded by the lock layout, and compaction refused while the lock
// file shows a user.
#include "writer_fixture.h"

#include "jet/compaction/compact.h"
#include "jet/database/lock_census.h"
#include "jet/sharing/lock_file.h"
#include "jet/sharing/lock_manager.h"
#include "jet/reading/table_scan.h"

using namespace jettest;

namespace {

using jet::CensusKind;
using jet::LockMode;

// A copy of perf.mdb and a handle on its lock file that stands for another
// program's user.
class Census : public ::testing::Test {
protected:
    void SetUp() override
    {
        file = tmp.copy("perf.mdb");
        jet::Database db(file);
        tdef = db.table_definition("Perf20").page;
        first_page = jet::scan_row_locations(db.pager(), db.table_definition("Perf20"), 1).at(0).page;
    }

    // The lock file, created on first use.
    jet::File& ldb()
    {
        if (!ldb_) ldb_ = jet::File::open_or_create(jet::lock_file::path_for(file));
        EXPECT_TRUE(ldb_);
        return *ldb_;
    }

    // Another program's user `slot`: its entry (unless `machine` is empty)
    // and its user lock.
    void join(unsigned slot, const std::string& machine)
    {
        if (!machine.empty()) {
            ASSERT_TRUE(jet::lock_file::write_entry(ldb(), slot, machine, "Admin"));
        }
        ASSERT_TRUE(ldb().try_lock(jet::kUserLockBase + slot, 1, LockMode::Exclusive));
    }

    TempDir tmp;
    std::string file;
    std::uint32_t tdef = 0, first_page = 0;

private:
    std::unique_ptr<jet::File> ldb_;
};

const jet::CensusLock* find(const jet::Census& c, CensusKind kind, unsigned user)
{
    for (const jet::CensusLock& l : c.locks)
        if (l.kind == kind && l.user == user) return &l;
    return nullptr;
}

struct Placed {
    const char* name;
    std::uint64_t base;
    bool on_table;        // at Perf20's definition page, else at `page`
    std::uint32_t page;
    std::uint64_t from;   // the first byte within the page's 512
    std::uint64_t length;
    LockMode mode;
    CensusKind kind;
    unsigned user;
};

class CensusOfALock : public Census, public ::testing::WithParamInterface<Placed> {};

}  // namespace

TEST_P(CensusOfALock, IsDecodedByItsRegion)
{
    const Placed& p = GetParam();
    join(1, "OTHER-PC");
    const std::uint32_t page = p.on_table ? tdef : p.page;
    const std::uint64_t offset = p.base + std::uint64_t{page} * jet::kLockBlock + p.from;
    ASSERT_TRUE(ldb().try_lock(offset, p.length, p.mode));

    const jet::Census c = jet::take_census(file);
    ASSERT_TRUE(c.lock_file);
    ASSERT_EQ(c.users.size(), 1u);
    EXPECT_TRUE(c.users[0].present);
    ASSERT_EQ(c.locks.size(), 1u);
    const jet::CensusLock& l = c.locks[0];
    EXPECT_EQ(l.kind, p.kind);
    EXPECT_EQ(l.mode, p.mode);
    EXPECT_EQ(l.offset, offset);
    EXPECT_EQ(l.length, p.length);
    EXPECT_EQ(l.user, p.user);
    if (p.kind != CensusKind::Other) {
        EXPECT_EQ(l.page, page);
    }
    EXPECT_EQ(l.table, p.on_table ? "Perf20" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Layout, CensusOfALock,
    ::testing::Values(
        // The worked example of the locking paper: 0x2000A601-0x2000A701.
        Placed{"WriteLockOfPage83", jet::kPageLockBase, false, 83, 1, 257, LockMode::Exclusive, CensusKind::Write, 1},
        Placed{"ReadLock", jet::kPageLockBase, false, 9, 4, 1, LockMode::Shared, CensusKind::Read, 4},
        Placed{"TableRead", jet::kTableReadBase, true, 0, 2, 1, LockMode::Shared, CensusKind::TableRead, 2},
        Placed{"DenyRead", jet::kTableReadBase, true, 0, 1, 258, LockMode::Exclusive, CensusKind::TableRead, 2},
        Placed{"TableWrite", jet::kTableWriteBase, true, 0, 3, 1, LockMode::Shared, CensusKind::TableWrite, 3},
        Placed{"DenyWrite", jet::kDenyWriteBase, true, 0, 5, 1, LockMode::Shared, CensusKind::DenyWrite, 5},
        Placed{"BeyondEveryRegion", 0x70000000u, false, 0, 16, 3, LockMode::Exclusive, CensusKind::Other, 0},
        Placed{"BetweenRegions", 0x30000000u, false, 2, 8, 1, LockMode::Shared, CensusKind::Other, 0},
        Placed{"NotShapedAsAWriteLock", jet::kPageLockBase, false, 7, 0, 2, LockMode::Exclusive, CensusKind::Other, 0}),
    [](const ::testing::TestParamInfo<Placed>& info) { return std::string(info.param.name); });

TEST_F(Census, UsersComeFromTheirLocksAndEntries)
{
    join(1, "FIRST-PC");
    ASSERT_TRUE(jet::lock_file::write_entry(ldb(), 2, "GONE-PC", "Admin"));
    join(3, "");
    join(4, "");  // beside 3: the system may report the two as one range

    const jet::Census c = jet::take_census(file);
    ASSERT_EQ(c.users.size(), 4u);
    const bool present[] = {true, false, true, true};
    const char* machine[] = {"FIRST-PC", "GONE-PC", "", ""};
    for (unsigned i = 0; i < 4; ++i) {
        EXPECT_EQ(c.users[i].slot, i + 1);
        EXPECT_EQ(c.users[i].present, present[i]) << "slot " << i + 1;
        EXPECT_EQ(c.users[i].machine, machine[i]);
    }
    EXPECT_TRUE(c.locks.empty()) << "user locks are the users, not locks of their own";
}

TEST_F(Census, AHandleWithLocksOfItsOwnFindsOnlyOtherHandles)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows tells a handle's own locks from others' apart for no test";
#endif
    join(1, "OTHER-PC");
    const std::uint64_t theirs = jet::kPageLockBase + 5 * jet::kLockBlock + 1;
    ASSERT_TRUE(ldb().try_lock(theirs, jet::kLockShared + 1, LockMode::Exclusive));
    const std::unique_ptr<jet::File> mine = jet::File::open_or_create(jet::lock_file::path_for(file));
    ASSERT_TRUE(mine->try_lock(jet::kUserLockBase + 2, 1, LockMode::Exclusive));
    ASSERT_TRUE(mine->try_lock(jet::kPageLockBase + 9 * jet::kLockBlock + 2, 1, LockMode::Shared));

    const std::vector<jet::HeldRange> held = mine->held_ranges(0, UINT64_MAX);
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(held[0].offset, jet::kUserLockBase + 1);
    EXPECT_EQ(held[0].length, 1u);
    EXPECT_EQ(held[1].offset, theirs);
    EXPECT_EQ(held[1].length, jet::kLockShared + 1);
    EXPECT_EQ(held[1].mode, LockMode::Exclusive);
}

TEST_F(Census, ListsTheEngineOwnWriterAndReader)
{
    jet::Database writer(file);
    jet::Dynaset d = writer.open_dynaset("SELECT TOP 1000 * FROM Perf20");
    d.edit();
    d.set_value(1, d.value(1));
    d.update();  // the writer is not idle: it keeps the page's write lock
    {
        jet::Database reader(file);
        const jet::Snapshot s = reader.open_snapshot("SELECT * FROM Perf20");
        const jet::Census c = jet::take_census(file);
        jet::lock_file::Entry ours;
        ASSERT_TRUE(jet::lock_file::read_entry(jet::lock_file::path_for(file), 1, ours));
        ASSERT_EQ(c.users.size(), 2u);
        for (const jet::CensusUser& u : c.users) {
            EXPECT_TRUE(u.present);
            EXPECT_EQ(u.machine, ours.machine);
            EXPECT_EQ(u.user, "Admin");
        }
        const jet::CensusLock* write = find(c, CensusKind::Write, 1);
        ASSERT_TRUE(write);
        EXPECT_EQ(write->page, first_page);
        for (const auto& [kind, user] : {std::pair{CensusKind::TableRead, 1u}, std::pair{CensusKind::TableWrite, 1u},
                                         std::pair{CensusKind::TableRead, 2u}}) {
            const jet::CensusLock* table = find(c, kind, user);
            ASSERT_TRUE(table) << jet::to_string(kind) << " of user " << user;
            EXPECT_EQ(table->table, "Perf20");
        }
        EXPECT_FALSE(find(c, CensusKind::TableWrite, 2)) << "the reader writes nothing";
        EXPECT_FALSE(find(c, CensusKind::Other, 0));
    }
    const jet::Census after = jet::take_census(file);
    ASSERT_EQ(after.users.size(), 2u);
    EXPECT_FALSE(after.users[1].present) << "the reader has gone; its entry stays";
    EXPECT_FALSE(find(after, CensusKind::TableRead, 2));
}

TEST_F(Census, CompactionIsRefusedWhileTheLockFileShowsAUser)
{
    join(1, "OTHER-PC");
    const std::uint64_t write_lock = jet::kPageLockBase + std::uint64_t{first_page} * jet::kLockBlock + 1;
    ASSERT_TRUE(ldb().try_lock(write_lock, jet::kLockShared + 1, LockMode::Exclusive));
    const std::string copy = utf8_of(tmp.path() / "copy.mdb");
    const jet::Error e = error_of([&] { jet::compact(file, copy); });
    EXPECT_EQ(e.number(), jet::kFileInUse);
    EXPECT_EQ(e.description(), "Could not use '" + file + "'; file already in use.");
    EXPECT_FALSE(jet::File::exists(copy));

    ldb().unlock(write_lock, jet::kLockShared + 1);
    ldb().unlock(jet::kUserLockBase + 1, 1);
    EXPECT_NO_THROW(jet::compact(file, copy)) << "once the user has gone, its entry alone is no user";
}
