// Compaction: copies that read like their source, with the space of deleted
// and moved rows given back, every index entry still naming a live row, and
// the refusals that leave the source and the destination alone.
#include "writer_fixture.h"

#include "jet/compaction/compact.h"
#include "jet/compaction/compact_copy.h"
#include "jet/compaction/compact_tables.h"
#include "jet/base/header.h"
#include "jet/base/rc4.h"
#include "jet/reading/table_scan.h"
#include "jet/rows/row.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <numeric>
#include <set>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

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

// One leaf entry of an index: its key and the row it names.
struct IndexEntry {
    std::vector<std::uint8_t> key;
    std::uint32_t row = 0;
};

// The leaf entries of each real index of a table, in the order the leaf
// list gives them: down the leftmost children from the root, then along the
// next links (whose back links must agree). Every entry, row pointer
// included, must be greater than the one before it.
std::vector<std::vector<IndexEntry>> index_entries(jet::Database& db, const jet::TableDefinition& t)
{
    jet::Pager& pager = db.pager();
    const bool jet4 = pager.layout().jet4();
    const std::size_t mask_at = jet4 ? 27 : 22, mask_size = jet4 ? 453 : 226, first = jet4 ? 0x1E0 : 0xF8;
    const std::size_t prefix_at = jet4 ? 24 : 20, prev_at = jet4 ? 12 : 8, next_at = jet4 ? 16 : 12;
    const auto entries_of = [&](jet::Bytes b) {
        const std::size_t prefix = jet4 ? jet::le16(b.data() + prefix_at) : b[prefix_at];
        std::vector<std::vector<std::uint8_t>> out;
        std::size_t start = first;
        for (std::size_t bit = 0; bit < mask_size * 8; ++bit) {
            if (!(b[mask_at + bit / 8] & (1u << (bit % 8)))) continue;
            const std::size_t end = first + bit;
            std::vector<std::uint8_t> entry;
            if (!out.empty()) entry.assign(out[0].begin(), out[0].begin() + static_cast<std::ptrdiff_t>(prefix));
            entry.insert(entry.end(), b.begin() + static_cast<std::ptrdiff_t>(start),
                         b.begin() + static_cast<std::ptrdiff_t>(end));
            out.push_back(std::move(entry));
            start = end;
        }
        return out;
    };
    const auto be = [](const std::uint8_t* p) {
        return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
    };
    std::vector<std::vector<IndexEntry>> out;
    for (const jet::RealIndex& index : t.real_indexes) {
        std::vector<IndexEntry> rows;
        std::uint32_t number = index.root_page;
        while (number != 0) {
            const jet::Page page = pager.page(number);
            if (page.type() != jet::kPageIndexNode) break;
            const auto entries = entries_of(page.bytes());
            EXPECT_FALSE(entries.empty()) << "node page " << number;
            if (entries.empty()) break;
            number = be(entries[0].data() + entries[0].size() - 4);
        }
        std::vector<std::uint8_t> last;
        for (std::uint32_t previous = 0, hops = 0; number != 0 && hops < 100000; ++hops) {
            const jet::Page page = pager.page(number);
            EXPECT_EQ(page.type(), jet::kPageIndexLeaf) << "page " << number;
            EXPECT_EQ(jet::le32(page.bytes().data() + prev_at), previous) << "page " << number;
            if (page.type() != jet::kPageIndexLeaf) break;
            for (std::vector<std::uint8_t>& entry : entries_of(page.bytes())) {
                EXPECT_LT(last, entry) << "entries out of order on page " << number;
                last = entry;
                const std::uint8_t* ptr = entry.data() + entry.size() - 4;
                rows.push_back({std::vector<std::uint8_t>(entry.begin(), entry.end() - 4), be(ptr)});
            }
            previous = number;
            number = jet::le32(page.bytes().data() + next_at);
        }
        out.push_back(std::move(rows));
    }
    return out;
}

// Every index of every table walks to the same keys as the source's, each
// entry naming the live row that holds the same place in the table (and so
// the same values: the contents are compared in storage order), and an index
// without "ignore nulls" holds every row once.
void expect_indexes_follow(const std::string& source, const std::string& copy)
{
    jet::Database a(source);
    jet::Database b(copy);
    // Entries as (key, place of the named row in the table's storage order).
    const auto placed = [](jet::Database& db, const jet::TableDefinition& t, std::size_t& live) {
        const std::vector<jet::RowPointer> rows = jet::scan_row_locations(db.pager(), t, UINT64_MAX);
        live = rows.size();
        std::map<std::uint32_t, std::size_t> place;
        for (std::size_t i = 0; i < rows.size(); ++i) place[rows[i].raw()] = i;
        std::vector<std::vector<std::pair<std::vector<std::uint8_t>, std::int64_t>>> out;
        for (const std::vector<IndexEntry>& index : index_entries(db, t)) {
            out.emplace_back();
            for (const IndexEntry& e : index) {
                const auto at = place.find(e.row);
                out.back().emplace_back(e.key, at == place.end() ? -1 : static_cast<std::int64_t>(at->second));
            }
        }
        return out;
    };
    for (std::size_t i = 0; i < b.table_count(); ++i) {
        if (b.table(i).linked()) continue;
        const std::string& name = b.table(i).name;
        const jet::TableDefinition t = b.table_definition(name);
        std::size_t live = 0, source_live = 0;
        const auto entries = placed(b, t, live);
        EXPECT_EQ(entries, placed(a, a.table_definition(name), source_live)) << name;
        for (std::size_t x = 0; x < entries.size(); ++x) {
            for (const auto& e : entries[x]) EXPECT_GE(e.second, 0) << name << " index " << x << " names no live row";
            if (!(t.real_indexes[x].flags & 0x02)) {
                EXPECT_EQ(entries[x].size(), live) << name << " index " << x;
            }
        }
    }
}

// A rebuilt copy: no deleted or moved rows, and the only free pages are the
// gaps left below table definition pages, which keep their numbers. The
// global map calls exactly those free.
void expect_dense(const std::string& file)
{
    const std::vector<std::uint8_t> b = bytes_of(file);
    const bool jet4 = b.at(0x14) != 0;
    const std::size_t ps = jet4 ? 4096 : 2048, offsets = jet4 ? 14 : 10;
    const std::size_t pages = b.size() / ps;
    std::size_t last_definition = 0;
    std::set<std::size_t> empty;
    for (std::size_t p = 1; p < pages; ++p) {
        const std::uint8_t* page = b.data() + p * ps;
        if (page[0] == jet::kPageTableDefinition) last_definition = p;
        if (std::all_of(page, page + ps, [](std::uint8_t v) { return v == 0; })) empty.insert(p);
        if (page[0] != jet::kPageData) continue;
        for (unsigned i = 0; i < jet::le16(page + offsets - 2); ++i)
            EXPECT_EQ(jet::le16(page + offsets + 2 * i) & 0xC000u, 0u) << "page " << p << " slot " << i;
    }
    for (const std::size_t p : empty) EXPECT_LT(p, last_definition) << "free page " << p;
    jet::Database db(file);
    jet::Pager& pager = db.pager();
    const jet::DataPage map_page(pager.page(1), pager.layout());
    const jet::Bytes global = jet::pointed_row(map_page, 0);
    std::set<std::size_t> marked;
    if (global[0] == 0) {
        const std::uint32_t start = jet::le32(global.data() + 1);
        for (std::size_t i = 0; i < (global.size() - 5) * 8; ++i)
            if ((global[5 + i / 8] >> (i % 8)) & 1) marked.insert(start + i);
    } else {
        const std::size_t per_page = (ps - 4) * 8;
        for (std::size_t j = 0; 1 + 4 * (j + 1) <= global.size(); ++j) {
            const std::uint32_t bitmap = jet::le32(global.data() + 1 + 4 * j);
            if (bitmap == 0) continue;
            const std::uint8_t* bits = b.data() + bitmap * ps + 4;
            for (std::size_t i = 0; i < per_page; ++i)
                if ((bits[i / 8] >> (i % 8)) & 1) marked.insert(j * per_page + i);
        }
    }
    std::set<std::size_t> marked_inside;
    for (const std::size_t p : marked)
        if (p < pages) marked_inside.insert(p);
    EXPECT_EQ(marked_inside, empty);
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
                             "real/jackcess-V2003-testUnicodeComp.mdb", "real/mdbreader-V2003-test.mdb",
                             "perf.mdb", "rows.mdb", "autonumber.mdb", "real/jackcess-V1997-overflowTest.mdb",
                             "real/jackcess-V2000-overflowTest.mdb", "real/jackcess-V1997-test2.mdb",
                             "real/mdbreader-V2000-numeric.mdb", "real/jackcess-empty-V2000.mdb",
                             "real/jackcess-empty-V2003.mdb"}) {
        SCOPED_TRACE(name);
        const std::string source = tmp.copy(name);
        const std::vector<std::uint8_t> before = bytes_of(source);
        const std::string once = utf8_of(tmp.path() / "once.mdb");
        const std::string twice = utf8_of(tmp.path() / "twice.mdb");
        std::filesystem::remove(std::filesystem::u8path(once));
        std::filesystem::remove(std::filesystem::u8path(twice));
        const jet::CompactResult r = jet::compact(source, once);
        EXPECT_TRUE(r.renumbered);
        EXPECT_EQ(bytes_of(source), before);
        EXPECT_LE(size_of(once), before.size());
        const auto expected = contents(source);
        EXPECT_EQ(contents(once), expected);
        expect_pages_consistent(once);
        expect_indexes_follow(source, once);
        expect_dense(once);

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
        EXPECT_TRUE(jet::compact(source, copy).renumbered);
        EXPECT_EQ(contents(copy), contents(source));
        expect_pages_consistent(copy);
        expect_indexes_follow(source, copy);
        expect_deleted_slots_empty(copy);
        expect_dense(copy);
        EXPECT_LE(row_bytes(copy), row_bytes(source));
        EXPECT_LT(size_of(copy), size_of(source));
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
    expect_dense(copy);
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

    // Still long: every row is stored whole in its new place, the pointers
    // and the space their copies took are gone.
    const std::string grown_copy = utf8_of(tmp.path() / "grown-copy.mdb");
    const jet::CompactResult g = jet::compact(grown, grown_copy);
    EXPECT_GT(g.rows_brought_home, 900u);
    EXPECT_EQ(contents(grown_copy), contents(grown));
    expect_pages_consistent(grown_copy);
    expect_indexes_follow(grown, grown_copy);
    expect_dense(grown_copy);
    EXPECT_LT(size_of(grown_copy), size_of(grown));
    report("rows.mdb grown", grown, grown_copy);
    keep_copy(grown_copy, "compact-grown.mdb");
    // A rebuilt row takes a change (shorter, then longer than its page allows).
    {
        jet::Database db(grown_copy);
        EXPECT_TRUE(set_field(db, "Big1500", 900, "Label", text_value("r900")));
        EXPECT_TRUE(set_field(db, "Big1500", 1200, "Label", text_value("Row 1200 now grown!!")));
    }
    Records changed = records(grown, "Big1500");
    changed[900][1] = text_value("r900");
    changed[1200][1] = text_value("Row 1200 now grown!!");
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
    expect_dense(copy);
    EXPECT_LT(size_of(copy), size_of(file));
    EXPECT_LE(size_of(copy), original);
    report("rows.mdb grown and shrunk", file, copy);
    keep_copy(copy, "compact-shrunk.mdb");

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

// A row deleted behind its indexes' back (its entries left in place) is
// not carried into a renumbered copy, where those entries would name
// nothing: the copy is made keeping every page number instead.
TEST(Compact, IndexEntriesOfDeletedRowsKeepThePages)
{
    TempDir tmp;
    const std::string source = tmp.copy("indexed.mdb");
    std::vector<jet::RowPointer> rows;
    {
        jet::Database db(source);
        const jet::TableDefinition t = db.table_definition("Keyed");
        ASSERT_FALSE(t.real_indexes.empty());
        rows = jet::scan_row_locations(db.pager(), t, UINT64_MAX);
        ASSERT_GE(rows.size(), 2u);
    }
    std::vector<std::uint8_t> b = bytes_of(source);
    b[rows[1].page * 4096 + 14 + 2 * rows[1].row + 1] |= 0xC0;
    write_file(std::filesystem::u8path(source), b);

    const std::string copy = utf8_of(tmp.path() / "copy.mdb");
    const jet::CompactResult r = jet::compact(source, copy);
    EXPECT_FALSE(r.renumbered);
    EXPECT_EQ(r.rows_reclaimed, 1u);
    EXPECT_EQ(bytes_of(source), b);
    EXPECT_EQ(contents(copy), contents(source));
    expect_pages_consistent(copy);
}

// The file with its pages encoded (RC4, keyed with `key` XOR the page
// number) and the key recorded in the masked header block.
std::vector<std::uint8_t> encoded(std::vector<std::uint8_t> bytes, std::uint32_t key)
{
    const jet::Version v = bytes.at(0x14) == 0 ? jet::Version::Jet3 : jet::Version::Jet4;
    const std::uint32_t page_size = jet::layout_of(v).page_size;
    std::uint8_t* block = bytes.data() + jet::kMaskedStart;
    jet::rc4_apply(jet::kHeaderKey, 4, block, jet::masked_size(v));
    for (int i = 0; i < 4; ++i) bytes[0x3E + i] = static_cast<std::uint8_t>(key >> (8 * i));
    jet::rc4_apply(jet::kHeaderKey, 4, block, jet::masked_size(v));
    for (std::uint32_t p = 1; p < bytes.size() / page_size; ++p) {
        const std::uint32_t k = key ^ p;
        const std::uint8_t kb[4] = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8),
                                    static_cast<std::uint8_t>(k >> 16), static_cast<std::uint8_t>(k >> 24)};
        jet::rc4_apply(kb, 4, bytes.data() + std::size_t{p} * page_size, page_size);
    }
    return bytes;
}

// Pages are encoded under their new numbers: the copy of an encoded file is
// the encoded copy of the plain one.
TEST(Compact, EncodedPagesAreEncodedUnderTheirNewNumbers)
{
    TempDir tmp;
    for (const char* name : {"rows.mdb", "real/jackcess-V1997-test.mdb"}) {
        SCOPED_TRACE(name);
        const std::string plain = tmp.copy(name);
        const std::string source = utf8_of(tmp.path() / "encoded.mdb");
        const std::string plain_copy = utf8_of(tmp.path() / "plain-copy.mdb");
        const std::string copy = utf8_of(tmp.path() / "encoded-copy.mdb");
        constexpr std::uint32_t key = 0x5A17C0DE;
        write_file(std::filesystem::u8path(source), encoded(bytes_of(plain), key));
        EXPECT_TRUE(jet::compact(plain, plain_copy).renumbered);
        EXPECT_TRUE(jet::compact(source, copy).renumbered);
        EXPECT_EQ(bytes_of(copy), encoded(bytes_of(plain_copy), key));
        EXPECT_EQ(contents(copy), contents(plain));
        for (const std::string& f : {plain, source, plain_copy, copy}) std::filesystem::remove(std::filesystem::u8path(f));
    }
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

    // The destination's folder is not there: that path is no valid one.
    const std::string nowhere = utf8_of(tmp.path() / "no folder" / "out.mdb");
    const jet::Error e = error_of([&] { jet::compact(source, nowhere); });
    EXPECT_EQ(e.number(), jet::kInvalidPath);
    EXPECT_EQ(e.description(), "'" + nowhere + "' isn't a valid path. Make sure that the path name is spelled "
                               "correctly and that you are connected to the server on which the file resides.");

    // Closed again, it compacts, with the locale and options Jet is given.
    jet::compact(source, out, ";LANGID=0x0409;CP=1252;COUNTRY=0", jet::kCompactVersion40);
    EXPECT_EQ(contents(out), contents(source));
    EXPECT_EQ(bytes_of(source), before);
}

// The files of a folder, by name.
std::set<std::string> files_in(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(utf8_of(entry.path().filename()));
    return names;
}

// The finished copy takes the destination's name only while no file has it:
// one that appeared during the compaction stays as it is.
TEST(Compact, TheCopyTakesItsNameOnlyWhileNoFileHasIt)
{
    TempDir tmp;
    const std::string copy = tmp.copy("types.mdb", "copy.mdb");
    const std::string taken = tmp.copy("indexed.mdb", "taken.mdb");
    const std::string free_name = utf8_of(tmp.path() / "free.mdb");
    const std::vector<std::uint8_t> copy_bytes = bytes_of(copy), taken_bytes = bytes_of(taken);
    bool exists = false;
    EXPECT_FALSE(jet::File::rename_new(copy, taken, exists));
    EXPECT_TRUE(exists);
    EXPECT_EQ(bytes_of(taken), taken_bytes);
    EXPECT_EQ(bytes_of(copy), copy_bytes);
    EXPECT_TRUE(jet::File::rename_new(copy, free_name, exists));
    EXPECT_FALSE(exists);
    EXPECT_FALSE(jet::File::exists(copy));
    EXPECT_EQ(bytes_of(free_name), copy_bytes);
}

// A database the reader refuses (here the catalogue damaged in ways the
// compaction once carried over into a copy refused the same way) is refused
// with the reader's own error, and no file is left beside it.
TEST(Compact, WhatTheReaderRefusesIsRefusedTheSame)
{
    TempDir tmp;
    const std::size_t ps = jet::kJet4Layout.page_size;
    const std::size_t catalogue = jet::kCatalogPage * ps;
    // MSysObjects' definition page holds two real indexes, so its column
    // descriptors (25 bytes each) start at 63 + 2 * 12.
    const std::size_t column = catalogue + 63 + 2 * 12;
    const struct {
        const char* what;
        std::size_t offset;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"a catalogue data page's owner", 14 * ps + 4, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"a catalogue column's type", column + 4 * 25, {0xFB}},
        {"a catalogue column's flags", column + 4 * 25 + 15, {0xEC}},
        {"a catalogue column's number", column + 11 * 25 + 5, {0xFD}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(tmp.path() / "NflSummary.mdb");
        const std::string source = tmp.copy("NflSummary.mdb");
        std::vector<std::uint8_t> bytes = bytes_of(source);
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<std::ptrdiff_t>(c.offset));
        write_file(std::filesystem::u8path(source), bytes);
        const jet::Error refused = error_of([&] { jet::Database db(source); });
        ASSERT_EQ(refused.number(), jet::kNeedsRepair);

        const std::set<std::string> before = files_in(tmp.path());
        const std::string out = utf8_of(tmp.path() / "out.mdb");
        const jet::Error e = error_of([&] { jet::compact(source, out); });
        EXPECT_EQ(e.number(), refused.number());
        EXPECT_EQ(e.description(), refused.description());
        EXPECT_EQ(files_in(tmp.path()), before);
        EXPECT_EQ(bytes_of(source), bytes);
    }
}

// A folder or a pipe named as the database is no database, to the engine's
// open and to the compaction alike.
TEST(Compact, AFolderOrAPipeIsNoDatabase)
{
    TempDir tmp;
    const std::string folder = utf8_of(tmp.path() / "folder.mdb");
    std::filesystem::create_directory(std::filesystem::u8path(folder));
#ifdef _WIN32
    const std::string pipe = "\\\\.\\pipe\\quillmere-compact-" + std::to_string(::GetCurrentProcessId());
    const HANDLE server = ::CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, PIPE_UNLIMITED_INSTANCES,
                                             4096, 4096, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
#else
    const std::string pipe = utf8_of(tmp.path() / "pipe.mdb");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
#endif
    const std::string out = utf8_of(tmp.path() / "out.mdb");
    for (const std::string& path : {folder, pipe}) {
        SCOPED_TRACE(path);
        for (const jet::Error& e : {error_of([&] { jet::Database db(path); }),
                                    error_of([&] { jet::compact(path, out); })}) {
            EXPECT_EQ(e.number(), jet::kUnrecognizedFormat);
            EXPECT_EQ(e.description(), "Unrecognized database format '" + path + "'.");
        }
        EXPECT_FALSE(exists(out));
    }
#ifdef _WIN32
    ::CloseHandle(server);
#endif
}

// The source is the compaction's alone from its start until the step run
// while it is held (the replacement) has returned: nobody else opens it in
// between, and it opens again afterwards.
TEST(Compact, HoldsTheSourceAloneUntilTheHeldStepReturns)
{
    TempDir tmp;
    const std::string source = tmp.copy("indexed.mdb");
    const std::string out = utf8_of(tmp.path() / "out.mdb");
    const auto expected = contents(source);
    bool ran = false;
    jet::compact(source, out, {}, 0, [&] {
        ran = true;
        EXPECT_EQ(contents(out), expected);
#ifndef _WIN32
        // (Windows replaces no open file: there the hold ends before the step.)
        EXPECT_EQ(error_of([&] { jet::Database other(source); }).number(), jet::kCannotOpenFile);
        EXPECT_EQ(error_of([&] { jet::File::open_exclusive(source); }).number(), jet::kFileInUse);
#endif
    });
    EXPECT_TRUE(ran);
    jet::Database after(source);
    EXPECT_EQ(records(after, "Keyed").size(), records(out, "Keyed").size());
}

}  // namespace

namespace {

// A copy of indexed.mdb's table Keyed whose first data page with three row
// slots or more gets the slot table `damage` makes of it; compacted, it must
// give a copy or the "needs repair" error, nothing else.
void compact_with_damaged_slots(const std::function<void(std::uint8_t* page, std::size_t page_size)>& damage)
{
    TempDir tmp;
    const std::string source = tmp.copy("indexed.mdb");
    std::uint32_t page = 0;
    {
        jet::Database db(source);
        const jet::TableDefinition t = db.table_definition("Keyed");
        for (const std::uint32_t p : jet::usage_map_pages(db.pager(), t.owned_map))
            if (jet::DataPage(db.pager().page(p), db.pager().layout()).slot_count() >= 3) {
                page = p;
                break;
            }
    }
    ASSERT_NE(page, 0u);
    std::vector<std::uint8_t> bytes = bytes_of(source);
    const std::size_t ps = jet::kJet4Layout.page_size;
    damage(bytes.data() + page * ps, ps);
    write_file(std::filesystem::u8path(source), bytes);
    const std::string out = utf8_of(tmp.path() / "out.mdb");
    try {
        jet::compact(source, out);
        jet::Database copy(out);
        (void)copy.table_count();
    } catch (const jet::Error& e) {
        EXPECT_EQ(e.number(), jet::kNeedsRepair) << e.description();
        EXPECT_FALSE(exists(out));
    }
    EXPECT_EQ(bytes_of(source), bytes);
}

std::uint16_t slot_entry(const std::uint8_t* page, unsigned slot)
{
    return jet::le16(page + jet::kJet4Layout.data_offsets + 2 * slot);
}

void set_slot(std::uint8_t* page, unsigned slot, std::size_t entry)
{
    page[jet::kJet4Layout.data_offsets + 2 * slot] = static_cast<std::uint8_t>(entry);
    page[jet::kJet4Layout.data_offsets + 2 * slot + 1] = static_cast<std::uint8_t>(entry >> 8);
}

}  // namespace

// Found by tests/reliability/mutants: a live row slot that holds no bytes
// (its start where the slot before it starts) once had the compaction that
// keeps pages in place copy from a null pointer.
TEST(Compact, DamagedSlotsOfNoBytesAreCompactedOrRefused)
{
    compact_with_damaged_slots([](std::uint8_t* page, std::size_t) {
        set_slot(page, 1, slot_entry(page, 0) & jet::kSlotOffsetMask);
        // Row 2 deleted under its index entries: the rebuild leaves the
        // file to the compaction that keeps every page in place.
        set_slot(page, 2, slot_entry(page, 2) | jet::kSlotDeleted);
    });
}

// Found by tests/reliability/mutants: live rows that overlap through a
// deleted slot between them (whose start bounds the next one) hold more
// bytes than the page; compaction laid them out below the page's start.
TEST(Compact, OverlappingDamagedSlotsAreRefused)
{
    compact_with_damaged_slots([](std::uint8_t* page, std::size_t ps) {
        // Three slots: rows 0 and 2 start as low as a row may, row 1 (deleted) at the page's end.
        page[jet::kJet4Layout.data_row_count] = 3;
        page[jet::kJet4Layout.data_row_count + 1] = 0;
        const std::size_t lowest = jet::kJet4Layout.data_offsets + 2 * 3;
        set_slot(page, 0, lowest);
        set_slot(page, 1, jet::kSlotDeleted | (ps - 1));
        set_slot(page, 2, lowest);
    });
}

// Found by tests/reliability/mutants: a definition's long-value map entry
// naming no column (here ColMemo's entry with its number damaged) has a map
// that no table part was carried with; the rebuild looked its new place up
// with unordered_map::at, and std::out_of_range left the engine. Now that
// source is compacted keeping its pages in place (or refused).
TEST(Compact, LongValueMapOfNoColumnIsCompactedOrRefused)
{
    TempDir tmp;
    const std::string source = tmp.copy("types.mdb");
    std::vector<std::uint8_t> bytes = bytes_of(source);
    std::uint32_t definition = 0;
    std::uint8_t entry[10];
    {
        jet::Database db(source);
        const jet::TableDefinition t = db.table_definition("AllTypes");
        const jet::Column* memo = t.find("ColMemo");
        ASSERT_TRUE(memo && memo->long_value_owned_map.raw() != 0);
        definition = t.page;
        const std::uint32_t owned = memo->long_value_owned_map.raw(), free = memo->long_value_free_map.raw();
        for (int i = 0; i < 2; ++i) entry[i] = static_cast<std::uint8_t>(memo->number >> (8 * i));
        for (int i = 0; i < 4; ++i) entry[2 + i] = static_cast<std::uint8_t>(owned >> (8 * i));
        for (int i = 0; i < 4; ++i) entry[6 + i] = static_cast<std::uint8_t>(free >> (8 * i));
    }
    const std::size_t ps = jet::kJet4Layout.page_size;
    const auto page = bytes.begin() + static_cast<std::ptrdiff_t>(definition * ps);
    const auto at = std::search(page, page + static_cast<std::ptrdiff_t>(ps), std::begin(entry), std::end(entry));
    ASSERT_NE(at, page + static_cast<std::ptrdiff_t>(ps));
    at[0] = 0xFE;
    at[1] = 0x7F;
    write_file(std::filesystem::u8path(source), bytes);

    const std::string out = utf8_of(tmp.path() / "out.mdb");
    try {
        jet::compact(source, out);
        EXPECT_EQ(contents(out).size(), contents(source).size());
    } catch (const jet::Error& e) {
        EXPECT_EQ(e.number(), jet::kNeedsRepair) << e.description();
        EXPECT_FALSE(exists(out));
    }
    EXPECT_EQ(bytes_of(source), bytes);
}

// Found by tests/reliability/mutants: a Jet 3 file whose global usage map row
// (page 1, row 0) is flagged deleted with an offset past the page's end had
// the rebuild write the new global map through a span reaching outside the
// page. Refused now, or compacted.
TEST(Compact, DeletedGlobalMapRowOutsideThePageIsRefused)
{
    TempDir tmp;
    const std::string source = tmp.copy("real/jackcess-V1997-delTest.mdb");
    std::vector<std::uint8_t> bytes = bytes_of(source);
    const std::size_t ps = jet::kJet3Layout.page_size;
    bytes[ps + jet::kJet3Layout.data_offsets + 1] = 0xFF;  // row 0's entry: deleted, offset 0x1Fxx
    write_file(std::filesystem::u8path(source), bytes);
    const std::string out = utf8_of(tmp.path() / "out.mdb");
    try {
        jet::compact(source, out);
        jet::Database copy(out);
    } catch (const jet::Error& e) {
        EXPECT_EQ(e.number(), jet::kNeedsRepair) << e.description();
        EXPECT_FALSE(exists(out));
    }
    EXPECT_EQ(bytes_of(source), bytes);
}

namespace {

// A file beside the destination when a compaction into it starts, and
// whether that compaction removes it: only a copy left by a compaction that
// was killed (its name, its contents as far as they go, no writer holding it).
struct Leftover {
    const char* what;
    const char* suffix;  // after the destination's name
    enum Contents { Empty, FirstPages, Text } contents;
    bool held;           // its writer is still at work
    bool removed;
};

void PrintTo(const Leftover& c, std::ostream* os) { *os << c.what; }

class StaleCopies : public ::testing::TestWithParam<Leftover> {};

TEST_P(StaleCopies, OnlyOursThatNobodyWritesAreRemoved)
{
    const Leftover& c = GetParam();
    TempDir tmp;
    const std::string source = tmp.copy("indexed.mdb");
    const std::string out = utf8_of(tmp.path() / "out.mdb");
    std::string name = out + c.suffix;
    std::unique_ptr<jet::File> writer;
    if (c.held) writer = jet::compaction::create_copy(out, name);
    std::vector<std::uint8_t> bytes;
    if (c.contents == Leftover::FirstPages) {
        bytes = bytes_of(source);
        bytes.resize(3 * 4096);  // killed after three pages
    }
    if (c.contents == Leftover::Text) bytes.assign(4096, 'x');
    if (writer) {
        ASSERT_TRUE(writer->write_at(0, bytes.data(), bytes.size()));
    } else {
        write_file(std::filesystem::u8path(name), bytes);
    }

    jet::compact(source, out);
    EXPECT_EQ(exists(name), !c.removed);
    EXPECT_EQ(contents(out), contents(source));
    // Compacting again beside it changes nothing more.
    writer.reset();
    std::filesystem::remove(std::filesystem::u8path(out));
    jet::compact(source, out);
    EXPECT_EQ(exists(name), !c.removed && !c.held);
}

INSTANTIATE_TEST_SUITE_P(
    Compact, StaleCopies,
    ::testing::Values(Leftover{"killed before writing", ".~0123abcd", Leftover::Empty, false, true},
                      Leftover{"killed while writing", ".~89ef0a1b", Leftover::FirstPages, false, true},
                      Leftover{"still being written", "", Leftover::FirstPages, true, false},
                      Leftover{"holding no database", ".~0123abcd", Leftover::Text, false, false},
                      Leftover{"upper case digits", ".~0123ABCD", Leftover::Empty, false, false},
                      Leftover{"seven digits", ".~0123abc", Leftover::Empty, false, false},
                      Leftover{"more after the digits", ".~0123abcd.bak", Leftover::Empty, false, false},
                      Leftover{"another destination's", ".x.~0123abcd", Leftover::Empty, false, false}),
    [](const auto& info) {
        std::string n = info.param.what;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

}  // namespace

namespace {

// The figures a copy is compared by: a compacted copy (its long values moved
// elsewhere) gives its source's; one byte changed in a row or in a long
// value, and it no longer does.
struct CopyChange {
    const char* what;
    enum Where { Nothing, RowByte, LongValueByte } where;
    bool alike;
};

void PrintTo(const CopyChange& c, std::ostream* os) { *os << c.what; }

class CopyDigests : public ::testing::TestWithParam<CopyChange> {};

// The first page of `map` in `db` that holds a row, and that row's slot.
std::pair<std::uint32_t, jet::RowSlot> first_row(jet::Database& db, jet::RowPointer map)
{
    for (const std::uint32_t p : jet::usage_map_pages(db.pager(), map)) {
        const jet::DataPage page(db.pager().page(p), db.pager().layout());
        for (unsigned i = 0; i < page.slot_count(); ++i)
            if (!page.slot(i).deleted() && page.slot(i).end > page.slot(i).start) return {p, page.slot(i)};
    }
    return {0, {}};
}

TEST_P(CopyDigests, ChangeWhatTheRowsHold)
{
    const CopyChange& c = GetParam();
    TempDir tmp;
    const std::string source = tmp.copy("types.mdb");
    const std::string copy = utf8_of(tmp.path() / "copy.mdb");
    jet::compact(source, copy);
    std::vector<std::uint8_t> bytes = bytes_of(copy);
    const std::size_t ps = jet::kJet4Layout.page_size;
    {
        jet::Database db(copy);
        std::uint32_t page = 0;
        std::size_t at = 0;
        for (std::size_t t = 0; t < db.table_count() && page == 0; ++t) {
            if (db.table(t).kind == jet::TableKind::System) continue;
            const jet::TableDefinition def = db.table_definition(db.table(t).name);
            for (const jet::Column& col : def.columns) {
                if (c.where == CopyChange::LongValueByte && col.long_value()) {
                    const auto [p, slot] = first_row(db, col.long_value_owned_map);
                    if (p != 0) page = p, at = slot.end - 1;  // the value's last byte
                }
                if (c.where == CopyChange::RowByte && col.fixed() && col.type == jet::kTypeLong) {
                    const auto [p, slot] = first_row(db, def.owned_map);
                    if (p != 0) page = p, at = slot.start + 2 + col.fixed_offset;  // after the column count
                }
                if (page != 0) break;
            }
        }
        ASSERT_TRUE(c.where == CopyChange::Nothing || page != 0);
        if (page != 0) bytes[page * ps + at] ^= 0x01;
    }
    write_file(std::filesystem::u8path(copy), bytes);

    jet::Database original(source);
    jet::Database changed(copy);
    bool alike = false;
    try {
        alike = jet::compaction::read_stored(changed.pager()) == jet::compaction::read_checked(original.pager());
    } catch (const jet::Corrupt&) {
    }
    EXPECT_EQ(alike, c.alike);
}

INSTANTIATE_TEST_SUITE_P(Compact, CopyDigests,
                         ::testing::Values(CopyChange{"none", CopyChange::Nothing, true},
                                           CopyChange{"a_row_byte", CopyChange::RowByte, false},
                                           CopyChange{"a_long_value_byte", CopyChange::LongValueByte, false}),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace

// Compaction's check of the source refuses a record exactly where reading
// it does: every byte of every stored value of a record of types.mdb set to
// a few values, in a file held in memory.
TEST(Compact, ItsCheckRefusesWhatReadingRefuses)
{
    TempDir tmp;
    const std::string source = tmp.copy("types.mdb");
    const std::vector<std::uint8_t> bytes = bytes_of(source);
    jet::Database db(source);
    const jet::TableDefinition def = db.table_definition("AllTypes");
    const auto [page, slot] = first_row(db, def.owned_map);
    std::vector<jet::RowCell> cells;
    jet::RowSplitter(def, jet::kJet4Layout)
        .split(jet::Bytes(bytes.data() + page * jet::kJet4Layout.page_size + slot.start, slot.end - slot.start), cells);
    std::vector<std::size_t> all(def.columns.size());
    std::iota(all.begin(), all.end(), std::size_t{0});
    const auto passes = [](auto&& f) {
        try {
            f();
        } catch (const jet::Corrupt&) {
            return false;
        }
        return true;
    };
    int refused = 0;
    for (std::size_t c = 0; c < cells.size(); ++c)
        for (std::size_t k = 0; k < cells[c].data.size(); ++k)
            for (const std::uint8_t value : {0x00, 0x01, 0x80, 0xFF}) {
                std::vector<std::uint8_t> changed = bytes;
                changed[static_cast<std::size_t>(cells[c].data.data() - bytes.data()) + k] = value;
                jet::Pager pager(jet::File::in_memory(std::move(changed)), db.pager().header());
                const bool read = passes([&] { jet::read_snapshot(pager, def, all, UINT64_MAX); });
                EXPECT_EQ(passes([&] { jet::check_records(pager, def, [](jet::Bytes, const auto&, auto) {}); }), read)
                    << def.columns[c].name << " byte " << k << " = " << int(value);
                refused += !read;
            }
    EXPECT_GT(refused, 0);
}
