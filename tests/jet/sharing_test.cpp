// Sharing a file with other programs: how long a writer keeps its locks, the
// write traffic of unchanged values, writes by programs that take no locks,
// and readers that meet a page in the middle of another user's change.
#include "writer_fixture.h"

#include "jet/pages/page_edit.h"
#include "jet/writing/record_writer.h"
#include "jet/reading/table_scan.h"

#include <cstring>
#include <fstream>
#include <thread>

using namespace jettest;

namespace {

std::vector<jet::RowPointer> rows_of(jet::Database& db, const std::string& table)
{
    return jet::scan_row_locations(db.pager(), db.table_definition(table), 1000);
}

// Whether another user can take the page's write lock now.
bool free_for(jet::Database& other, std::uint32_t page)
{
    jet::LockManager& locks = *other.pager().locks();
    if (!locks.try_lock_page(page)) return false;
    locks.unlock_page(page, jet::LockMode::Exclusive);
    return true;
}

void rewrite_field(jet::Dynaset& d, int field)
{
    d.edit();
    d.set_value(field, d.value(field));
    d.update();
}

}  // namespace

TEST(Sharing, AWriterHoldsItsPagesUntilIdle)
{
    TempDir tmp;
    const std::string file = tmp.copy("perf.mdb");
    jet::Database other(file);
    jet::Database db(file);
    const std::vector<jet::RowPointer> rows = rows_of(db, "Perf20");
    std::size_t next_page = 0;
    while (rows[next_page].page == rows[0].page) ++next_page;

    jet::Dynaset d = db.open_dynaset("SELECT TOP 1000 * FROM Perf20");
    rewrite_field(d, 1);
    EXPECT_FALSE(free_for(other, rows[0].page)) << "held after the update";
    d.move_next();
    EXPECT_FALSE(free_for(other, rows[0].page)) << "held while the cursor stays on the page";
    while (d.position() < next_page) d.move_next();
    EXPECT_TRUE(free_for(other, rows[0].page)) << "given back when the cursor leaves the page";

    rewrite_field(d, 1);
    EXPECT_FALSE(free_for(other, rows[next_page].page));
    std::this_thread::sleep_for(jet::kIdleAfter + std::chrono::milliseconds(20));
    rewrite_field(d, 2);
    EXPECT_TRUE(free_for(other, rows[next_page].page)) << "given back once held for the time bound";

    rewrite_field(d, 1);
    d.close();
    EXPECT_TRUE(free_for(other, rows[next_page].page)) << "given back by close";
}

TEST(Sharing, UnchangedValuesWriteTheirPagesBackAsTheyAre)
{
    TempDir tmp;
    const std::string file = tmp.copy("perf.mdb");
    const std::vector<std::uint8_t> before = read_file(std::filesystem::u8path(file));
    jet::Database db(file);
    std::vector<std::uint32_t> pages;
    for (const jet::RowPointer& r : rows_of(db, "Perf20"))
        if (pages.empty() || pages.back() != r.page) pages.push_back(r.page);
    const std::uint64_t written = db.pager().pages_written();
    jet::Dynaset d = db.open_dynaset("SELECT TOP 1000 * FROM Perf20");
    for (; !d.is_eof(); d.move_next())
        for (int f = 0; f < d.field_count(); ++f) rewrite_field(d, f);
    // Each page once: the records of a page are written together when the
    // cursor leaves it.
    EXPECT_EQ(db.pager().pages_written() - written, pages.size());
    EXPECT_EQ(read_file(std::filesystem::u8path(file)), before);
}

TEST(Sharing, APageAnotherProgramWroteWithoutLocksIsNotWrittenOver)
{
    TempDir tmp;
    const std::string file = tmp.copy("rows.mdb");
    jet::Database db(file);
    const std::uint32_t page = rows_of(db, "Five").at(0).page;
    const std::uint64_t at = std::uint64_t{page} * db.pager().page_size() + db.pager().page_size() - 1;
    jet::Dynaset d = db.open_dynaset("SELECT * FROM Five");
    d.edit();
    d.set_value(1, text_value(u"uno"));
    d.update();
    // A program that takes no locks writes the page meanwhile.
    std::vector<std::uint8_t> theirs = read_file(std::filesystem::u8path(file));
    theirs[at] ^= 0xFF;
    std::ofstream(std::filesystem::u8path(file), std::ios::binary | std::ios::in)
        .seekp(static_cast<std::streamoff>(at))
        .put(static_cast<char>(theirs[at]));
    EXPECT_EQ(error_of([&] { d.close(); }).number(), jet::kDataChanged);
    EXPECT_EQ(read_file(std::filesystem::u8path(file)), theirs);
}

namespace {

// The database file, every call passed on; what another program does
// around this user's reads is added by overriding read_at().
class PassedOn : public jet::File {
public:
    explicit PassedOn(std::unique_ptr<jet::File> file) : file_(std::move(file)) {}
    std::uint64_t size() override { return file_->size(); }
    std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        return file_->read_at(offset, buffer, count);
    }
    bool writable() const override { return file_->writable(); }
    bool write_at(std::uint64_t offset, const void* data, std::size_t count) override
    {
        return file_->write_at(offset, data, count);
    }
    bool lockable() const override { return file_->lockable(); }

protected:
    std::unique_ptr<jet::File> file_;
};

// The database file as another user's change in the middle of its write
// shows it: the first reads of one page find it torn.
class TornFile final : public PassedOn {
public:
    TornFile(std::unique_ptr<jet::File> file, std::uint64_t torn_at, int torn_reads)
        : PassedOn(std::move(file)), torn_at_(torn_at), torn_reads_(torn_reads)
    {
    }
    std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        const std::size_t n = file_->read_at(offset, buffer, count);
        if (torn_at_ >= offset && torn_at_ + kTear <= offset + n && torn_reads_ > 0) {
            --torn_reads_;
            // The header as it was, the row offsets half written.
            std::memset(static_cast<char*>(buffer) + (torn_at_ - offset) + 8, 0xFF, kTear - 8);
        }
        return n;
    }

private:
    static constexpr std::size_t kTear = 1024;
    std::uint64_t torn_at_;
    int torn_reads_;
};

}  // namespace

class TornPages : public ::testing::TestWithParam<bool> {};

TEST_P(TornPages, AreReadAgainWhileOthersWrite)
{
    const bool others = GetParam();
    TempDir tmp;
    const std::string file = tmp.copy("rows.mdb");
    const Records expected = records(file, "Five");
    std::uint64_t torn_at;
    {
        jet::Database probe(file);
        torn_at = std::uint64_t{rows_of(probe, "Five").at(0).page} * probe.pager().page_size();
    }
    std::unique_ptr<jet::Database> writer;
    if (others) writer = std::make_unique<jet::Database>(file);
    jet::Database db(std::make_unique<TornFile>(jet::File::open(file), torn_at, 2), file);
    if (others) {
        EXPECT_EQ(records(db, "Five"), expected);
    } else {
        // Alone with the file, a page that fails its checks is damage.
        EXPECT_EQ(error_of([&] { records(db, "Five"); }).number(), jet::kNeedsRepair);
    }
}

INSTANTIATE_TEST_SUITE_P(OthersPresentOrNot, TornPages, ::testing::Bool());

// Other Jet writers leave overflow rows on the same page as their pointer;
// such a record is read and written like any other.
TEST(Sharing, AnOverflowRowOnItsPointersPageIsWritten)
{
    TempDir tmp;
    const std::string file = tmp.copy("rows.mdb");
    const Records expected = records(file, "Five");
    jet::RowPointer home;
    std::uint32_t page_size;
    const jet::Layout* layout;
    {
        jet::Database db(file);
        home = rows_of(db, "Five").at(0);
        page_size = db.pager().page_size();
        layout = &db.pager().layout();
    }
    std::vector<std::uint8_t> bytes = read_file(std::filesystem::u8path(file));
    const auto at = static_cast<std::ptrdiff_t>(home.page) * static_cast<std::ptrdiff_t>(page_size);
    std::vector<std::uint8_t> page(bytes.begin() + at, bytes.begin() + at + static_cast<std::ptrdiff_t>(page_size));
    {
        jet::PageEditor editor(page, *layout);
        const std::span<std::uint8_t> row = editor.row(home.row);
        const std::vector<std::uint8_t> copy(row.begin(), row.end());
        const unsigned target = editor.add_row(jet::Bytes(copy.data(), copy.size()), jet::kSlotOverflowTarget);
        const std::uint32_t raw = jet::RowPointer{home.page, static_cast<std::uint8_t>(target)}.raw();
        const std::uint8_t pointer[4] = {static_cast<std::uint8_t>(raw), static_cast<std::uint8_t>(raw >> 8),
                                         static_cast<std::uint8_t>(raw >> 16), static_cast<std::uint8_t>(raw >> 24)};
        ASSERT_TRUE(editor.replace_row(home.row, jet::Bytes(pointer, 4)));
        editor.set_flags(home.row, jet::kSlotOverflowHeader);
    }
    std::copy(page.begin(), page.end(), bytes.begin() + at);
    std::ofstream(std::filesystem::u8path(file), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

    jet::Database db(file);
    ASSERT_EQ(records(db, "Five"), expected);
    EXPECT_FALSE(set_field(db, "Five", 0, "Word", expected[0][1]));
    EXPECT_TRUE(set_field(db, "Five", 0, "Word", text_value(u"uno")));
    Records changed = expected;
    changed[0][1] = text_value(u"uno");
    EXPECT_EQ(records(db, "Five"), changed);
}

namespace {

// Another program that writes without taking locks: right after this user's
// first read of one page on its own (the read that follows taking the
// page's write lock), it changes a byte of that page's free space.
class WritesBehindTheLock final : public PassedOn {
public:
    using PassedOn::PassedOn;
    void arm(std::uint64_t page_at, std::size_t page_size, std::uint64_t byte_at)
    {
        page_at_ = page_at;
        page_size_ = page_size;
        byte_at_ = byte_at;
        armed_ = true;
    }
    std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        const std::size_t n = file_->read_at(offset, buffer, count);
        if (armed_ && offset == page_at_ && count == page_size_) {
            armed_ = false;
            std::uint8_t b = 0;
            file_->read_at(byte_at_, &b, 1);
            b ^= 0xFF;
            file_->write_at(byte_at_, &b, 1);
        }
        return n;
    }

private:
    bool armed_ = false;
    std::uint64_t page_at_ = 0, byte_at_ = 0;
    std::size_t page_size_ = 0;
};

// How the writer meets the other program's write: going idle when closed,
// going idle when its cursor leaves the page, or moving a record that no
// longer fits its page.
enum class Meets { Closing, LeavingThePage, MovingARecord };

}  // namespace

class LockIgnoringWriter : public ::testing::TestWithParam<Meets> {};

// Acknowledged changes the other program's write overtook are named in the
// error; an update it refuses leaves the file as the other program left it.
TEST_P(LockIgnoringWriter, OvertakenChangesAreNamedAndRefusalsWriteNothing)
{
    TempDir tmp;
    const std::string file = tmp.copy("rows.mdb");
    std::vector<std::uint8_t> expected = read_file(std::filesystem::u8path(file));
    auto wrapped = std::make_unique<WritesBehindTheLock>(jet::File::open(file));
    WritesBehindTheLock& other = *wrapped;
    jet::Database db(std::move(wrapped), file);
    const std::vector<jet::RowPointer> rows = rows_of(db, "Big1500");
    const jet::RowPointer first = rows.at(0);
    std::size_t on_page = 0;
    while (rows.at(on_page).page == first.page) ++on_page;
    const jet::Layout& layout = db.pager().layout();
    const std::uint64_t page_at = std::uint64_t{first.page} * layout.page_size;
    // The first byte after the slot table: free space nobody reads.
    const jet::Page fresh = db.pager().fresh_page(first.page);
    const jet::Bytes page = fresh.bytes();
    ASSERT_GT(jet::le16(page.data() + jet::kDataFreeSpaceAt), 0u);
    const std::uint64_t byte_at =
        page_at + layout.data_offsets + jet::kSlotEntrySize * jet::le16(page.data() + layout.data_row_count);
    expected[static_cast<std::size_t>(byte_at)] ^= 0xFF;

    jet::Dynaset d = db.open_dynaset("SELECT TOP 1000 [Label] FROM Big1500");
    other.arm(page_at, layout.page_size, byte_at);
    std::vector<jet::RowPointer> acknowledged;
    jet::Error met(0, "");
    for (std::size_t r = 0; r < on_page && met.number() == 0; ++r) {
        if (r > 0) d.move_next();
        try {
            // Twenty characters, the field's size: the later records no longer fit their page.
            d.edit();
            d.set_value(0, text_value(("Row " + std::to_string(r + 1) + " grown to twenty").substr(0, 20)));
            d.update();
            acknowledged.push_back(rows[r]);
        } catch (const jet::Error& e) {
            met = e;
        }
        if (GetParam() != Meets::MovingARecord) break;
    }
    if (GetParam() == Meets::Closing) met = error_of([&] { d.close(); });
    if (GetParam() == Meets::LeavingThePage) met = error_of([&] {
        while (d.position() < on_page) d.move_next();
    });
    EXPECT_EQ(met.number(), jet::kDataChanged);
    ASSERT_FALSE(acknowledged.empty());
    for (const jet::RowPointer& r : acknowledged)
        EXPECT_NE(met.description().find("page " + std::to_string(r.page) + " row " + std::to_string(r.row)),
                  std::string::npos)
            << met.description();
    d.close();
    EXPECT_EQ(read_file(std::filesystem::u8path(file)), expected);
}

INSTANTIATE_TEST_SUITE_P(Idle, LockIgnoringWriter,
                         ::testing::Values(Meets::Closing, Meets::LeavingThePage, Meets::MovingARecord));

// Two writers growing memo values at once: what one appended (pages, and
// the usage map that lists them) is news to the other, never damage.
TEST(Sharing, PagesAnotherWriterAppendedAreReadAgainNotDamage)
{
    TempDir tmp;
    const std::string file = tmp.copy("types.mdb");
    // Longer than a page, so that each value takes pages of its own.
    const auto memo = [](char c) { return text_value(std::string(3 * 4096, c)); };
    jet::Database second(file);
    jet::Dynaset d = second.open_dynaset("SELECT * FROM AllTypes");
    const int column = field_index(d, "ColMemo");
    const auto grow = [&](char c) {
        d.edit();
        d.set_value(column, memo(c));
        EXPECT_TRUE(d.update());
        d.idle();
    };
    grow('b');
    {
        jet::Database first(file);
        EXPECT_TRUE(set_field(first, "AllTypes", 1, "ColMemo", memo('a')));
    }
    grow('c');
    d.close();
    const Records now = records(file, "AllTypes");
    EXPECT_EQ(now.at(0).at(static_cast<std::size_t>(column)), memo('c'));
    EXPECT_EQ(now.at(1).at(static_cast<std::size_t>(column)), memo('a'));
}
