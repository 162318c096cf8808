// Locking between users of one file, within one process (each open of the
// database is a user of its own): the lock file, and pages held by another
// user. tests/jet/processes.sh runs the same between processes.
#include "writer_fixture.h"

#include "jet/sharing/lock_file.h"
#include "jet/reading/table_scan.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

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

// A file that took the lock file's name while the last user had it open
// is someone else's: the last user leaves it as it is.
TEST(LockFile, TheLastUserRemovesItsOwnFileNotOneThatTookItsName)
{
    TempDir tmp;
    const std::string file = tmp.copy("rows.mdb");
    const std::filesystem::path ldb = std::filesystem::u8path(ldb_of(file));
    const std::vector<std::uint8_t> theirs(64, 0x5A);
    {
        jet::Database db(file);
        std::filesystem::rename(ldb, tmp.path() / "moved.ldb");
        std::ofstream(ldb, std::ios::binary).write(reinterpret_cast<const char*>(theirs.data()), 64);
    }
    EXPECT_EQ(read_file(ldb), theirs);
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

namespace {

// What stands under the lock file's name when the database is opened.
enum class LockFileIs { AFolder, APipe, ALinkToAnotherFile, TheDatabaseItself };
const char* const kLockFileKinds[] = {"AFolder", "APipe", "ALinkToAnotherFile", "TheDatabaseItself"};

// Makes it beside the copy of rows.mdb (named rows.ldb for TheDatabaseItself);
// returns the database's path, empty when the file system cannot make it.
// `other` is set to a file that must stay as it is, or left empty.
std::string make_database_beside(TempDir& tmp, LockFileIs what, std::string& other)
{
    if (what == LockFileIs::TheDatabaseItself) return tmp.copy("rows.mdb", "rows.ldb");
    const std::string file = tmp.copy("rows.mdb");
    const std::filesystem::path ldb = std::filesystem::u8path(ldb_of(file));
    std::error_code failed;
    if (what == LockFileIs::AFolder) std::filesystem::create_directory(ldb, failed);
    if (what == LockFileIs::APipe) {
#ifdef _WIN32
        return {};
#else
        if (::mkfifo(ldb.c_str(), 0666) != 0) return {};
#endif
    }
    if (what == LockFileIs::ALinkToAnotherFile) {
        other = tmp.copy("rows.mdb", "precious.bin");
        std::filesystem::create_symlink(std::filesystem::u8path(other), ldb, failed);
    }
    return failed ? std::string() : file;
}

class UnusableLockFile : public ::testing::TestWithParam<LockFileIs> {};

}  // namespace

// Without a lock file it can use, a user could neither see the others' locks
// nor show its own: the database is read, every change is refused, and
// nothing under the lock file's name is written, followed or deleted.
TEST_P(UnusableLockFile, LeavesTheDatabaseToBeRead)
{
    TempDir tmp;
    std::string other;
    const std::string file = make_database_beside(tmp, GetParam(), other);
    if (file.empty()) GTEST_SKIP() << "the file system cannot make that";
    const std::filesystem::path ldb = std::filesystem::u8path(ldb_of(file));
    const std::filesystem::file_type kind = std::filesystem::symlink_status(ldb).type();
    const std::vector<std::uint8_t> before = read_file(std::filesystem::u8path(file));
    const std::vector<std::uint8_t> others_before = other.empty() ? before : read_file(std::filesystem::u8path(other));
    {
        jet::Database db(file);
        EXPECT_EQ(records(db, "Five").size(), 5u);
        EXPECT_FALSE(db.writable());
        jet::Dynaset d = db.open_dynaset("SELECT * FROM Five");
        const jet::Error e = error_of([&] { d.edit(); });
        EXPECT_EQ(e.number(), jet::kCouldNotLockFile);
        EXPECT_EQ(e.description(), "Could not lock file.");
    }
    EXPECT_EQ(std::filesystem::symlink_status(ldb).type(), kind);
    EXPECT_EQ(read_file(std::filesystem::u8path(file)), before);
    if (!other.empty()) {
        EXPECT_EQ(read_file(std::filesystem::u8path(other)), others_before);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnusableLockFile,
                         ::testing::Values(LockFileIs::AFolder, LockFileIs::APipe, LockFileIs::ALinkToAnotherFile,
                                           LockFileIs::TheDatabaseItself),
                         [](const auto& info) { return std::string(kLockFileKinds[static_cast<int>(info.param)]); });

namespace {

// Another name for the database file rows.mdb.
enum class OtherName { LinkToTheFile, LinkToItsFolder, HardLink };
const char* const kOtherNames[] = {"LinkToTheFile", "LinkToItsFolder", "HardLink"};

// Makes the name; empty when the file system cannot.
std::string other_name(TempDir& tmp, OtherName how, const std::string& file)
{
    const std::filesystem::path real = std::filesystem::u8path(file);
    std::error_code failed;
    std::filesystem::path name;
    switch (how) {
    case OtherName::LinkToTheFile:
        name = tmp.path() / "alias.mdb";
        std::filesystem::create_symlink(real, name, failed);
        break;
    case OtherName::LinkToItsFolder:
        std::filesystem::create_directory_symlink(tmp.path(), tmp.path() / "aliased.dir", failed);
        name = tmp.path() / "aliased.dir" / real.filename();
        break;
    case OtherName::HardLink:
        name = tmp.path() / "alias.mdb";
        std::filesystem::create_hard_link(real, name, failed);
        break;
    }
    return failed ? std::string() : utf8_of(name);
}

std::size_t lock_files_in(const std::filesystem::path& dir)
{
    std::size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == ".ldb") ++n;
    return n;
}

class NamesOfOneFile : public ::testing::TestWithParam<OtherName> {};

}  // namespace

// Two users of one file under two names see each other: they share one lock
// file (and a page one holds stops the other's update), or, where they
// cannot, the later one only reads.
TEST_P(NamesOfOneFile, FindEachOther)
{
    TempDir tmp;
    const std::string file = tmp.copy("rows.mdb");
    const std::string name = other_name(tmp, GetParam(), file);
    if (name.empty()) GTEST_SKIP() << "the file system cannot make that name";
    const std::vector<std::uint8_t> before = read_file(std::filesystem::u8path(file));
    jet::Database holder(file);
    jet::Database db(name);
    db.set_lock_timeout(std::chrono::milliseconds(100));
    EXPECT_EQ(lock_files_in(tmp.path()), 1u);
    holder.pager().locks()->lock_page(first_record_page(holder, "Five"), jet::LockMode::Exclusive);
    jet::Dynaset d = db.open_dynaset("SELECT * FROM Five");
    const int expected = GetParam() == OtherName::HardLink ? jet::kCouldNotLockFile : jet::kCouldNotUpdateLockedBy;
    const jet::Error e = error_of([&] {
        d.edit();
        d.set_value(1, text_value(u"changed"));
        d.update();
    });
    EXPECT_EQ(e.number(), expected) << e.description();
    EXPECT_EQ(read_file(std::filesystem::u8path(file)), before);
}

INSTANTIATE_TEST_SUITE_P(Names, NamesOfOneFile,
                         ::testing::Values(OtherName::LinkToTheFile, OtherName::LinkToItsFolder, OtherName::HardLink),
                         [](const auto& info) { return std::string(kOtherNames[static_cast<int>(info.param)]); });
