// Compaction: copies that read like their source, with the space of deleted
// and moved rows given back, every index entry still naming a live row, and
// the refusals that leave the source and the destination alone.
#include "writer_fixture.h"

#include "jet/compact.h"
#include "jet/table_scan.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

namespace {

using namespace jettest;

std::uint64_t size_of(const std::string& file) { return std::filesystem::file_size(std::filesystem::u8path(file)); }

std::vector<std::uint8_t> bytes_of(const std::string& file) { return read_file(std::filesystem::u8path(file)); }

bool exists(const std::string& file) { return std::filesystem::exists(std::filesystem::u8path(file)); }

// Every table, system tables included, with all its records.
std::map<std::string, Records> contents(const std::string& file)
{
    jet::Database db(file);
    std::map<std::string, Records> out;
    for (std::size_t i = 0; i < db.table_count(); ++i)
        if (!db.table(i).linked()) out[db.table(i).name] = records(db, db.table(i).name);
    return out;
}

// Bytes of rows the data pages hold (page size less free space, over every
// data page): what a compaction can only lower.
std::uint64_t row_bytes(const std::string& file)
{
    const std::vector<std::uint8_t> b = bytes_of(file);
    const std::size_t ps = b.at(0x14) != 0 ? 4096 : 2048;
    std::uint64_t used = 0;
    for (std::size_t p = 1; (p + 1) * ps <= b.size(); ++p)
        if (b[p * ps] == jet::kPageData) used += ps - jet::le16(b.data() + p * ps + 2);
    return used;
}

// Where the leaf entries of each real index of a table point: one set of
// row pointers per index.
std::vector<std::multiset<std::uint32_t>> index_entries(jet::Database& db, const jet::TableDefinition& t)
{
    jet::Pager& pager = db.pager();
    const bool jet4 = pager.layout().jet4();
    const std::size_t mask_at = jet4 ? 27 : 22, mask_size = jet4 ? 453 : 226, first = jet4 ? 0x1E0 : 0xF8;
    const std::size_t prefix_at = jet4 ? 24 : 20;
    std::vector<std::multiset<std::uint32_t>> out;
    for (const jet::RealIndex& index : t.real_indexes) {
        std::multiset<std::uint32_t> rows;
        for (const std::uint32_t number : jet::usage_map_pages(pager, index.usage_map)) {
            const jet::Page page = pager.page(number);
            if (page.type() != jet::kPageIndexLeaf) continue;
            const jet::Bytes b = page.bytes();
            const std::size_t prefix = jet4 ? jet::le16(b.data() + prefix_at) : b[prefix_at];
            std::vector<std::uint8_t> head;
            std::size_t start = first;
            for (std::size_t bit = 0; bit < mask_size * 8; ++bit) {
                if (!(b[mask_at + bit / 8] & (1u << (bit % 8)))) continue;
                const std::size_t end = first + bit;
                std::vector<std::uint8_t> entry;
                if (!head.empty()) entry.assign(head.begin(), head.begin() + static_cast<std::ptrdiff_t>(prefix));
                entry.insert(entry.end(), b.begin() + static_cast<std::ptrdiff_t>(start),
                             b.begin() + static_cast<std::ptrdiff_t>(end));
                if (head.empty()) head = entry;
                const std::uint8_t* ptr = entry.data() + entry.size() - 4;
                rows.insert((std::uint32_t{ptr[0]} << 16 | std::uint32_t{ptr[1]} << 8 | ptr[2]) << 8 | ptr[3]);
                start = end;
            }
        }
        out.push_back(std::move(rows));
    }
    return out;
}

// Every index entry of every table names a live row of its table, and the
// entries are the source's.
void expect_indexes_follow(const std::string& source, const std::string& copy)
{
    jet::Database a(source);
    jet::Database b(copy);
    for (std::size_t i = 0; i < b.table_count(); ++i) {
        if (b.table(i).linked()) continue;
        const std::string& name = b.table(i).name;
        const jet::TableDefinition t = b.table_definition(name);
        const auto entries = index_entries(b, t);
        EXPECT_EQ(entries, index_entries(a, a.table_definition(name))) << name;
        const std::vector<jet::RowPointer> live = jet::scan_row_locations(b.pager(), t, UINT64_MAX);
        const std::set<std::uint32_t> rows = [&] {
            std::set<std::uint32_t> s;
            for (const jet::RowPointer r : live) s.insert(r.raw());
            return s;
        }();
        for (std::size_t x = 0; x < entries.size(); ++x) {
            for (const std::uint32_t e : entries[x]) EXPECT_TRUE(rows.count(e)) << name << " index " << x << " row " << e;
            // An index without "ignore nulls" holds every row once.
            if (!(t.real_indexes[x].flags & 0x02)) {
                EXPECT_EQ(entries[x].size(), live.size()) << name << " index " << x;
            }
        }
    }
}

void report(const std::string& label, const std::string& source, const std::string& copy)
{
    std::printf("[ size     ] %-34s %8llu -> %8llu bytes (%.3f), row bytes %7llu -> %7llu\n", label.c_str(),
                static_cast<unsigned long long>(size_of(source)), static_cast<unsigned long long>(size_of(copy)),
                static_cast<double>(size_of(copy)) / static_cast<double>(size_of(source)),
                static_cast<unsigned long long>(row_bytes(source)), static_cast<unsigned long long>(row_bytes(copy)));
}

TEST(Compact, FixturesReadAlikeKeepTheirIndexesAndCompactAgainToTheSame)
{
    TempDir tmp;
    for (const char* name : {"NflSummary.mdb", "indexed.mdb", "types.mdb", "wide.mdb", "v2003.mdb", "catalog.mdb",
                             "real/jackcess-V1997-test.mdb", "real/jackcess-V2000-test.mdb",
                             "real/jackcess-V2003-testUnicodeComp.mdb", "real/mdbreader-V2003-test.mdb"}) {
        SCOPED_TRACE(name);
        const std::string source = tmp.copy(name);
        const std::vector<std::uint8_t> before = bytes_of(source);
        const std::string once = utf8_of(tmp.path() / "once.mdb");
        const std::string twice = utf8_of(tmp.path() / "twice.mdb");
        std::filesystem::remove(std::filesystem::u8path(once));
        std::filesystem::remove(std::filesystem::u8path(twice));
        jet::compact(source, once);
        EXPECT_EQ(bytes_of(source), before);
        EXPECT_LE(size_of(once), before.size());
        const auto expected = contents(source);
        EXPECT_EQ(contents(once), expected);
        expect_pages_consistent(once);
        expect_indexes_follow(source, once);

        const jet::CompactResult again = jet::compact(once, twice);
        EXPECT_EQ(contents(twice), expected);
        EXPECT_EQ(again.rows_reclaimed, 0u);
        EXPECT_EQ(again.pages_freed, 0u);
        EXPECT_EQ(bytes_of(twice), bytes_of(once));
        report(name, source, once);
        std::filesystem::remove(tmp.path() / std::filesystem::path(name).filename());
    }
}

// Deleted slots keep their number but no bytes.
void expect_deleted_slots_empty(const std::string& file)
{
    const std::vector<std::uint8_t> b = bytes_of(file);
    const bool jet4 = b.at(0x14) != 0;
    const std::size_t ps = jet4 ? 4096 : 2048, offsets = jet4 ? 14 : 10;
    for (std::size_t p = 1; (p + 1) * ps <= b.size(); ++p) {
        const std::uint8_t* page = b.data() + p * ps;
        if (page[0] != jet::kPageData) continue;
        std::size_t end = ps;
        for (unsigned i = 0; i < jet::le16(page + offsets - 2); ++i) {
            const std::uint16_t entry = jet::le16(page + offsets + 2 * i);
            if ((entry & 0xC000) == 0xC000) {
                EXPECT_EQ(entry & 0x1FFFu, end) << "page " << p << " slot " << i;
            }
            end = entry & 0x1FFF;
        }
    }
}

TEST(Compact, DeletedRowsLeaveNoBytes)
{
    TempDir tmp;
    // Files in which Access deleted rows (and gave their bytes back itself).
    for (const char* name : {"real/jackcess-V1997-delTest.mdb", "real/jackcess-V2000-delTest.mdb"}) {
        SCOPED_TRACE(name);
        const std::string source = tmp.copy(name);
        const std::string copy = utf8_of(tmp.path() / "copy.mdb");
        std::filesystem::remove(std::filesystem::u8path(copy));
        jet::compact(source, copy);
        EXPECT_EQ(contents(copy), contents(source));
        expect_pages_consistent(copy);
        expect_indexes_follow(source, copy);
        expect_deleted_slots_empty(copy);
        EXPECT_LE(row_bytes(copy), row_bytes(source));
        EXPECT_LE(size_of(copy), size_of(source));
        report(name, source, copy);
    }

    // Rows deleted the way Jet deletes them, flagged with their bytes left in
    // place: the first and the third row of a table without indexes.
    const std::string source = tmp.copy("rows.mdb");
    std::string table;
    std::vector<jet::RowPointer> rows;
    Records expected;
    {
        jet::Database db(source);
        for (std::size_t i = 0; i < db.table_count() && table.empty(); ++i) {
            const jet::TableDefinition t = db.table_definition(db.table(i).name);
            if (db.table(i).kind != jet::TableKind::Table || !t.real_indexes.empty()) continue;
            rows = jet::scan_row_locations(db.pager(), t, UINT64_MAX);
            if (rows.size() >= 3) table = db.table(i).name;
        }
        ASSERT_FALSE(table.empty());
        expected = records(db, table);
    }
    std::vector<std::uint8_t> b = bytes_of(source);
    for (const std::size_t r : {std::size_t{0}, std::size_t{2}}) {
        std::uint8_t* entry = b.data() + rows[r].page * 4096 + 14 + 2 * rows[r].row;
        entry[1] |= 0xC0;
        expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(r == 0 ? 0 : 1));
    }
    write_file(std::filesystem::u8path(source), b);
    ASSERT_EQ(records(source, table), expected);

    const std::string copy = utf8_of(tmp.path() / "rows-copy.mdb");
    const jet::CompactResult r = jet::compact(source, copy);
    EXPECT_EQ(r.rows_reclaimed, 2u);
    EXPECT_EQ(contents(copy), contents(source));
    expect_pages_consistent(copy);
    expect_deleted_slots_empty(copy);
    EXPECT_LT(row_bytes(copy), row_bytes(source));
    report("rows.mdb with two rows deleted", source, copy);
}

TEST(Compact, RowsMovedToOverflowRowsComeHomeAndTheirPagesGo)
{
    TempDir tmp;
    const std::string file = tmp.copy("rows.mdb");
    const auto original = size_of(file);
    // Grown past their pages (overflow rows on new pages at the end), then
    // short again: the copies stay where they went.
    {
        jet::Database db(file);
        jet::Dynaset d = db.open_dynaset("SELECT TOP 1000 [Label] FROM Big1500");
        for (std::size_t r = 0; !d.is_eof(); d.move_next(), ++r) {
            d.edit();
            d.set_value(0, text_value(("Row " + std::to_string(r) + " grown to twenty").substr(0, 20)));
            d.update();
        }
    }
    const std::string grown = utf8_of(tmp.path() / "grown.mdb");
    std::filesystem::copy_file(std::filesystem::u8path(file), std::filesystem::u8path(grown));
    {
        jet::Database db(file);
        jet::Dynaset d = db.open_dynaset("SELECT TOP 1000 [Label] FROM Big1500");
        for (std::size_t r = 0; !d.is_eof(); d.move_next(), ++r) {
            d.edit();
            d.set_value(0, text_value("r" + std::to_string(r)));
            d.update();
        }
    }
    ASSERT_GT(size_of(file), original);

    // Still long: nothing fits back, but the copy reads the same and keeps
    // every index entry.
    const std::string grown_copy = utf8_of(tmp.path() / "grown-copy.mdb");
    jet::compact(grown, grown_copy);
    EXPECT_EQ(contents(grown_copy), contents(grown));
    expect_pages_consistent(grown_copy);
    expect_indexes_follow(grown, grown_copy);
    EXPECT_LE(size_of(grown_copy), size_of(grown));
    report("rows.mdb grown", grown, grown_copy);
    // A row left in its overflow copy (its header cut to the pointer) takes a change.
    {
        jet::Database db(grown_copy);
        EXPECT_TRUE(set_field(db, "Big1500", 900, "Label", text_value("r900")));
    }
    Records changed = records(grown, "Big1500");
    changed[900][1] = text_value("r900");
    EXPECT_EQ(records(grown_copy, "Big1500"), changed);
    expect_pages_consistent(grown_copy);

    // Short again: the rows go back to their slots, the overflow pages are
    // freed and the file ends where it ended before.
    const std::string copy = utf8_of(tmp.path() / "copy.mdb");
    const jet::CompactResult r = jet::compact(file, copy);
    EXPECT_GT(r.rows_brought_home, 0u);
    EXPECT_GT(r.pages_freed, 0u);
    EXPECT_EQ(contents(copy), contents(file));
    expect_pages_consistent(copy);
    expect_indexes_follow(file, copy);
    EXPECT_LT(size_of(copy), size_of(file));
    EXPECT_LE(size_of(copy), original);
    report("rows.mdb grown and shrunk", file, copy);

    // The copy takes changes again (its maps and free pages are sound).
    {
        jet::Database db(copy);
        EXPECT_TRUE(set_field(db, "Big1500", 5, "Label", text_value("Row 5 grown again!!!")));
    }
    Records expected = records(file, "Big1500");
    expected[5][1] = text_value("Row 5 grown again!!!");
    EXPECT_EQ(records(copy, "Big1500"), expected);
    expect_pages_consistent(copy);
}

TEST(Compact, RefusalsLeaveSourceAndDestinationAlone)
{
    TempDir tmp;
    const std::string source = tmp.copy("indexed.mdb");
    const std::vector<std::uint8_t> before = bytes_of(source);
    const std::string out = utf8_of(tmp.path() / "out.mdb");

    // The destination exists (the source itself included).
    const std::string taken = tmp.copy("types.mdb");
    const std::vector<std::uint8_t> taken_bytes = bytes_of(taken);
    for (const std::string& dest : {taken, source}) {
        const jet::Error e = error_of([&] { jet::compact(source, dest); });
        EXPECT_EQ(e.number(), jet::kDatabaseExists);
        EXPECT_EQ(e.description(), "Database already exists.");
    }
    EXPECT_EQ(bytes_of(taken), taken_bytes);

    EXPECT_EQ(error_of([&] { jet::compact(utf8_of(tmp.path() / "missing.mdb"), out); }).number(), jet::kFileNotFound);
    const std::string notes = tmp.copy("README.md");
    EXPECT_EQ(error_of([&] { jet::compact(notes, out); }).number(), jet::kUnrecognizedFormat);
    EXPECT_EQ(error_of([&] { jet::compact(tmp.copy("real/mdbreader-V2003-with-password.mdb"), out); }).description(),
              "Not a valid password.");

    // Damage found on the way: refused, and nothing is left behind.
    std::vector<std::uint8_t> broken = before;
    const std::size_t ps = 4096;
    broken[2 * ps + 45] = 0xFF;  // the catalogue's column count
    const std::string damaged = utf8_of(tmp.path() / "damaged.mdb");
    write_file(std::filesystem::u8path(damaged), broken);
    EXPECT_EQ(error_of([&] { jet::compact(damaged, out); }).number(), jet::kNeedsRepair);
    EXPECT_FALSE(exists(out));

    // Another sort order, another format or encoding: not offered.
    EXPECT_EQ(error_of([&] { jet::compact(source, out, ";LANGID=0x0407;CP=1252;COUNTRY=0"); }).number(),
              jet::kInvalidArgument);
    EXPECT_EQ(error_of([&] { jet::compact(source, out, "", jet::kCompactVersion30); }).number(), jet::kInvalidArgument);
    EXPECT_EQ(error_of([&] { jet::compact(source, out, "", jet::kCompactEncrypt); }).number(), jet::kInvalidArgument);
    EXPECT_FALSE(exists(out));

    // Someone has the database open: it needs the file to itself.
    {
        jet::Database user(source);
        const jet::Error e = error_of([&] { jet::compact(source, out); });
        EXPECT_EQ(e.number(), jet::kFileInUse);
        EXPECT_EQ(e.description(), "Could not use '" + source + "'; file already in use.");
        EXPECT_FALSE(exists(out));
        // The user goes on undisturbed.
        EXPECT_EQ(records(user, "Keyed").size(), records(source, "Keyed").size());
    }
    EXPECT_EQ(bytes_of(source), before);

    // Closed again, it compacts, with the locale and options Jet is given.
    jet::compact(source, out, ";LANGID=0x0409;CP=1252;COUNTRY=0", jet::kCompactVersion40);
    EXPECT_EQ(contents(out), contents(source));
    EXPECT_EQ(bytes_of(source), before);

    // While the compaction runs nobody else can open the source: the
    // database opened meanwhile by the test shows the slots are given back.
    jet::Database after(source);
    EXPECT_EQ(after.pager().locks()->user_slot(), 0);
}

}  // namespace
