// Usage maps that run out of range as a file grows: an inline map turns into
// a reference map whose bitmap pages are appended to the file, for the pages
// of a memo column and for the data pages of a table, on Jet 3 and Jet 4,
// and for the global map of free pages.
#include "writer_fixture.h"

#include "jet/compaction/compact.h"
#include "jet/compaction/compact_tables.h"
#include "jet/writing/held_pages.h"
#include "jet/rows/long_value.h"
#include "jet/pages/page_edit.h"
#include "jet/writing/row_placement.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>

using namespace jettest;

namespace {

// The pages a bitmap page marks, as positions in its range.
std::vector<std::uint32_t> marked(const std::vector<std::uint8_t>& bitmap_page)
{
    std::vector<std::uint32_t> out;
    for (std::size_t i = 4; i < bitmap_page.size(); ++i)
        for (unsigned bit = 0; bit < 8; ++bit)
            if (bitmap_page[i] & (1u << bit)) out.push_back(static_cast<std::uint32_t>((i - 4) * 8 + bit));
    return out;
}

jet::Bytes map_row(jet::Pager& pager, jet::RowPointer map, jet::Page& keep)
{
    keep = pager.page(map.page);
    return jet::pointed_row(jet::DataPage(keep, pager.layout()), map.row);
}

std::uint8_t map_type(jet::Pager& pager, jet::RowPointer map)
{
    jet::Page keep;
    return map_row(pager, map, keep)[0];
}

// Every local table of the file but `except`, as the engine reads it.
std::map<std::string, Records> other_tables(const std::string& file, const std::string& except)
{
    jet::Database db(file);
    std::map<std::string, Records> out;
    for (std::size_t i = 0; i < db.table_count(); ++i) {
        const jet::CatalogueEntry& e = db.table(i);
        if (!e.linked() && e.name != except) out[e.name] = records(db, e.name);
    }
    return out;
}

// After growth, `map` is a reference map that still lists every page in
// `before`, lists every data page of `owner` appended since the file had
// `old_count` pages, and points at every bitmap page appended since but
// those of the global map.
void expect_map_covers(const std::string& file, jet::RowPointer map, std::uint32_t owner,
                       const std::vector<std::uint32_t>& before, std::uint32_t old_count)
{
    jet::Database db(file);
    jet::Pager& pager = db.pager();
    jet::Page keep;
    const jet::Bytes row = map_row(pager, map, keep);
    ASSERT_EQ(row[0], static_cast<std::uint8_t>(jet::UsageMapType::Reference));
    std::set<std::uint32_t> bitmaps;
    for (std::size_t at = 1; at + 4 <= row.size(); at += 4)
        if (const std::uint32_t p = jet::le32(row.data() + at)) bitmaps.insert(p);
    std::set<std::uint32_t> global_bitmaps;
    {
        jet::Page global_keep;
        const jet::Bytes global = map_row(pager, jet::RowPointer{1, 0}, global_keep);
        if (global[0] == 1)
            for (std::size_t at = 1; at + 4 <= global.size(); at += 4) global_bitmaps.insert(jet::le32(global.data() + at));
    }
    const std::vector<std::uint32_t> listed = jet::usage_map_pages(pager, map);
    const auto lists = [&](std::uint32_t p) { return std::binary_search(listed.begin(), listed.end(), p); };
    for (const std::uint32_t p : before) EXPECT_TRUE(lists(p)) << "page " << p << " was dropped";
    std::size_t appended = 0;
    for (std::uint32_t p = old_count; p < pager.page_count(); ++p) {
        const jet::Page page = pager.page(p);
        if (page.type() == jet::kPageUsageMap) {
            EXPECT_TRUE(bitmaps.count(p) != global_bitmaps.count(p)) << "bitmap page " << p << " is not the map's";
        } else if (page.type() == jet::kPageData && jet::le32(page.bytes().data() + 4) == owner) {
            EXPECT_TRUE(lists(p)) << "page " << p << " is not listed";
            ++appended;
        }
    }
    EXPECT_GT(appended, 0u);
    EXPECT_FALSE(bitmaps.empty());
}

std::uint32_t page_count(const std::string& file)
{
    jet::Database db(file);
    return db.pager().page_count();
}

// About 3000 characters, different every round.
jet::Value memo_text(int round)
{
    std::string s = "Round " + std::to_string(round) + ":";
    for (std::size_t n = static_cast<std::size_t>(round); s.size() < 3000; n += 7)
        s += " drive " + std::to_string(n) + " gained;";
    return text_value(s.substr(0, 3000));
}

const jet::Column& column(const jet::TableDefinition& def, const std::string& name)
{
    for (const jet::Column& c : def.columns)
        if (c.name == name) return c;
    throw std::runtime_error("no column " + name);
}

void expect_global_map_sound(const std::string& file, int expected_type);

struct MemoCase {
    const char* fixture;
    const char* as;
    const char* table;
    const char* field;
};

}  // namespace

TEST(UsageMapGrowth, InlineMapTurnsIntoReferenceMap)
{
    constexpr std::uint32_t ps = 4096;
    constexpr std::uint32_t per = (ps - 4) * 8;  // pages one bitmap page covers
    // 64 bytes of bitmap from just below the end of the first bitmap page's range.
    std::vector<std::uint8_t> row(69, 0);
    jet::put32(row.data() + 1, per - 16);
    for (const unsigned bit : {0u, 15u, 16u, 116u}) row[5 + bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
    const std::vector<std::uint8_t> before = row;
    std::map<std::uint32_t, std::vector<std::uint8_t>> pages;
    const auto existing = [&](std::uint32_t n) { return pages.count(n) ? &pages[n] : nullptr; };

    // Too far for the range even when moved.
    const std::uint32_t page = per + 600;
    EXPECT_FALSE(jet::set_usage_map_bit(row, page, true, ps, existing));
    EXPECT_EQ(row, before);

    std::uint32_t next = 70000;
    const auto allocate = [&] {
        const std::uint32_t n = next++;
        return std::pair{n, &pages[n]};
    };
    ASSERT_TRUE(jet::extend_usage_map(row, page, ps, allocate));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(row[0], 1);
    EXPECT_EQ(jet::le32(row.data() + 1), 70000u);
    EXPECT_EQ(jet::le32(row.data() + 5), 70001u);
    EXPECT_TRUE(std::all_of(row.begin() + 9, row.end(), [](std::uint8_t b) { return b == 0; }));
    for (const auto& [n, bytes] : pages) {
        ASSERT_EQ(bytes.size(), ps) << n;
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4), (std::vector<std::uint8_t>{5, 1, 0, 0}));
    }
    EXPECT_EQ(marked(pages[70000]), (std::vector<std::uint32_t>{per - 16, per - 1}));
    EXPECT_EQ(marked(pages[70001]), (std::vector<std::uint32_t>{0, 100, 600}));

    // From now on bits are set and cleared in the bitmap pages.
    EXPECT_TRUE(jet::set_usage_map_bit(row, per + 601, true, ps, existing));
    EXPECT_TRUE(jet::set_usage_map_bit(row, per - 1, false, ps, existing));
    EXPECT_EQ(marked(pages[70000]), (std::vector<std::uint32_t>{per - 16}));
    EXPECT_EQ(marked(pages[70001]), (std::vector<std::uint32_t>{0, 100, 600, 601}));
}

TEST(UsageMapGrowth, ReferenceMapGainsBitmapPagesWhileItHasPointers)
{
    constexpr std::uint32_t ps = 2048;
    constexpr std::uint32_t per = (ps - 4) * 8;
    std::map<std::uint32_t, std::vector<std::uint8_t>> pages;
    int calls = 0;
    const auto allocate = [&] {
        ++calls;
        return std::pair{std::uint32_t{500}, &pages[500]};
    };
    // Two pointers, the second unused: a page of the second range gets one.
    std::vector<std::uint8_t> two(9, 0);
    two[0] = 1;
    jet::put32(two.data() + 1, 9);
    ASSERT_TRUE(jet::extend_usage_map(two, per + 5, ps, allocate));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(jet::le32(two.data() + 1), 9u);
    EXPECT_EQ(jet::le32(two.data() + 5), 500u);
    EXPECT_EQ(marked(pages[500]), (std::vector<std::uint32_t>{5}));

    // Refused, with nothing allocated or changed: a range the row has no
    // pointer for, a range that has its bitmap page already, and an inline
    // map whose pages would need a second pointer in a row with room for one.
    std::vector<std::uint8_t> one(5, 0);
    one[0] = 1;
    jet::put32(one.data() + 1, 9);
    std::vector<std::uint8_t> short_inline(8, 0);
    short_inline[5] = 1;
    for (auto [row, page] : {std::pair{&one, per + 5}, std::pair{&one, std::uint32_t{5}},
                             std::pair{&short_inline, per + 1}}) {
        const std::vector<std::uint8_t> before = *row;
        EXPECT_FALSE(jet::extend_usage_map(*row, page, ps, allocate)) << page;
        EXPECT_EQ(*row, before);
    }
    EXPECT_EQ(calls, 1);
}

// The feed's pattern: one memo replaced over and over. Old long values stay
// until the file is compacted, so the column's pages outgrow its inline map.
TEST(WriterChanges, MemoOutgrowsItsInlineUsageMap)
{
    TempDir tmp;
    for (const MemoCase& c : {MemoCase{"NflSummary.mdb", "memo-grown.mdb", "Games", "Notes"},
                              MemoCase{"real/jackcess-V1997-test2.mdb", "jet3-memo-grown.mdb", "MSP_PROJECTS",
                                       "PROJ_PROP_AUTHOR"}}) {
        SCOPED_TRACE(c.fixture);
        const std::string file = tmp.copy(c.fixture, c.as);
        const std::uint32_t old_count = page_count(file);
        const auto others = other_tables(file, c.table);
        Records expected = records(file, c.table);
        jet::RowPointer map;
        std::vector<std::uint32_t> before;
        {
            jet::Database db(file);
            map = column(db.table_definition(c.table), c.field).long_value_owned_map;
            ASSERT_EQ(map_type(db.pager(), map), 0) << "the fixture's map is not inline";
            before = jet::usage_map_pages(db.pager(), map);
            jet::Dynaset d = db.open_dynaset(std::string("SELECT * FROM [") + c.table + "]");
            const int f = field_index(d, c.field);
            // Until the map has turned, and some rounds more through its bitmap page.
            int more = 30;
            for (int round = 0; round < 4000 && more > 0; ++round) {
                const jet::Value v = memo_text(round);
                d.edit();
                d.set_value(f, v);
                ASSERT_TRUE(d.update()) << round;
                expected[0][static_cast<std::size_t>(f)] = v;
                if (map_type(db.pager(), map) == 1) --more;
            }
            EXPECT_EQ(more, 0) << "the map never turned into a reference map";
        }
        EXPECT_EQ(records(file, c.table), expected);
        EXPECT_EQ(other_tables(file, c.table), others);
        expect_map_covers(file, map, jet::kLvalOwner, before, old_count);
        expect_global_map_sound(file, -1);
        expect_pages_consistent(file);
        keep_copy(file, c.as);
    }
}

// A table whose pages are full (of deleted rows here) and whose data map
// turns while rows are appended; then rows that grow move to overflow rows
// on new pages, which the reference map must list for readers that walk it.
TEST(WriterChanges, TableDataMapOutgrowsItsInlineUsageMap)
{
    TempDir tmp;
    for (const char* fixture : {"real/jackcess-V2000-overflowTest.mdb", "real/jackcess-V1997-overflowTest.mdb"}) {
        SCOPED_TRACE(fixture);
        const std::string as = std::string(std::strstr(fixture, "1997") ? "jet3" : "jet4") + "-table-map-grown.mdb";
        const std::string file = tmp.copy(fixture, as);
        Records expected = records(file, "Table1");
        jet::TableDefinition def;
        std::vector<std::uint32_t> before;
        std::uint32_t old_count = 0;
        {
            jet::Database db(file);
            jet::Pager& pager = db.pager();
            const jet::Layout& layout = pager.layout();
            def = db.table_definition("Table1");
            before = jet::usage_map_pages(pager, def.owned_map);
            old_count = pager.page_count();
            jet::HeldPages held(pager);
            for (const std::uint32_t p : before) {
                jet::PageEditor page(held.lock(p), layout);
                if (page.owner() == def.page && page.free_space() > 2 && page.can_add(page.free_space() - 2)) {
                    const std::vector<std::uint8_t> filler(page.free_space() - 2, 0xEE);
                    page.add_row(jet::Bytes(filler.data(), filler.size()), jet::kSlotDeleted);
                    held.write(p);
                }
                held.release(p);
            }
            const std::vector<std::uint8_t> filler(layout.page_size - layout.data_offsets - 2, 0xEE);
            const jet::Bytes whole_page(filler.data(), filler.size());
            const jet::PageMaps maps{def.owned_map, def.free_map};
            for (int n = 0; n < 3000 && map_type(pager, def.owned_map) == 0; ++n) {
                jet::place_row(pager, held, def.page, maps, whole_page, jet::kSlotDeleted);
                held.release_all();
            }
            ASSERT_EQ(map_type(pager, def.owned_map), 1) << "the map never turned into a reference map";

            jet::Dynaset d = db.open_dynaset("SELECT * FROM Table1");
            for (std::size_t r = 0; !d.is_eof(); d.move_next(), ++r)
                for (int f = 0; f < 4; ++f) {
                    const jet::Value v = text_value("grown " + std::to_string(r) + "/" + std::to_string(f) +
                                                    std::string(40, static_cast<char>('a' + f)));
                    d.edit();
                    d.set_value(f, v);
                    ASSERT_TRUE(d.update());
                    expected[r][static_cast<std::size_t>(f)] = v;
                }
        }
        EXPECT_EQ(records(file, "Table1"), expected);
        expect_map_covers(file, def.owned_map, def.page, before, old_count);
        expect_global_map_sound(file, -1);
        expect_pages_consistent(file);
        keep_copy(file, as);
    }
}

TEST(UsageMapGrowth, GlobalMapTurnsIntoReferenceMapWithFreeBits)
{
    constexpr std::uint32_t ps = 4096;
    constexpr std::uint32_t per = (ps - 4) * 8;
    // 512 pages from page 0, all used but 3, 100 and 500; the file has 520.
    std::vector<std::uint8_t> row(69, 0);
    for (const unsigned p : {3u, 100u, 500u}) row[5 + p / 8] |= static_cast<std::uint8_t>(1u << (p % 8));
    const std::vector<std::uint8_t> before = row;
    std::map<std::uint32_t, std::vector<std::uint8_t>> pages;
    const auto existing = [&](std::uint32_t n) { return pages.count(n) ? &pages[n] : nullptr; };
    constexpr auto kFree = jet::MapBits::Free;

    // Past the range a page is free already; it cannot be marked used there.
    EXPECT_TRUE(jet::set_usage_map_bit(row, 600, true, ps, existing, kFree));
    EXPECT_FALSE(jet::set_usage_map_bit(row, 520, false, ps, existing, kFree));
    EXPECT_EQ(row, before);

    std::uint32_t next = 521;
    const auto allocate = [&] {
        const std::uint32_t n = next++;
        return std::pair{n, &pages[n]};
    };
    ASSERT_TRUE(jet::extend_usage_map(row, 520, ps, allocate, kFree, 520));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(row[0], 1);
    EXPECT_EQ(jet::le32(row.data() + 1), 521u);
    EXPECT_TRUE(std::all_of(row.begin() + 5, row.end(), [](std::uint8_t b) { return b == 0; }));
    const std::vector<std::uint8_t>& bitmap = pages[521];
    EXPECT_EQ(std::vector<std::uint8_t>(bitmap.begin(), bitmap.begin() + 4), (std::vector<std::uint8_t>{5, 1, 0, 0}));
    // Free: what the inline map called free, and everything past the new pages.
    std::vector<std::uint32_t> free{3, 100, 500};
    for (std::uint32_t p = 522; p < per; ++p) free.push_back(p);
    EXPECT_EQ(marked(bitmap), free);

    // A range with no bitmap page yet: the pages of it in the file count as used.
    std::vector<std::uint8_t> two(9, 0);
    two[0] = 1;
    jet::put32(two.data() + 1, 521);
    next = per + 11;
    ASSERT_TRUE(jet::extend_usage_map(two, per + 10, ps, allocate, kFree, per + 10));
    EXPECT_EQ(jet::le32(two.data() + 1), 521u);
    EXPECT_EQ(jet::le32(two.data() + 5), per + 11);
    std::vector<std::uint32_t> free_after;
    for (std::uint32_t p = 12; p < per; ++p) free_after.push_back(p);
    EXPECT_EQ(marked(pages[per + 11]), free_after);

    // A row too short to point at its bitmap page is left as it was.
    std::vector<std::uint8_t> tiny(8, 0xFF);
    tiny[0] = 0;
    jet::put32(tiny.data() + 1, 0);
    const std::vector<std::uint8_t> tiny_before = tiny;
    EXPECT_FALSE(jet::extend_usage_map(tiny, per + 1, ps, allocate, kFree, per + 1));
    EXPECT_EQ(tiny, tiny_before);
    EXPECT_EQ(pages.size(), 2u);
}

namespace {

// Whether the global map calls `page` free, read as the format describes
// it: a set bit is a free page, and so is a page the map does not reach.
bool globally_free(jet::Pager& pager, std::uint32_t page)
{
    jet::Page keep;
    const jet::Bytes row = map_row(pager, jet::RowPointer{1, 0}, keep);
    if (row[0] == 0) {
        const std::uint32_t first = jet::le32(row.data() + 1);
        if (page < first || page - first >= (row.size() - 5) * 8) return true;
        const std::uint32_t i = page - first;
        return row[5 + i / 8] & (1u << (i % 8));
    }
    EXPECT_EQ(row[0], 1);
    const std::uint32_t per = (pager.page_size() - 4) * 8;
    const std::size_t j = page / per;
    if (1 + 4 * (j + 1) > row.size()) return true;
    const std::uint32_t bitmap = jet::le32(row.data() + 1 + 4 * j);
    if (bitmap == 0) return true;
    const jet::Page b = pager.page(bitmap);
    EXPECT_EQ(b.type(), jet::kPageUsageMap) << "bitmap page " << bitmap;
    const std::uint32_t i = page % per;
    return b.bytes()[4 + i / 8] & (1u << (i % 8));
}

// The bitmap pages a map row points at (none for an inline map).
std::vector<std::uint32_t> bitmap_pages(jet::Pager& pager, jet::RowPointer map)
{
    jet::Page keep;
    const jet::Bytes row = map_row(pager, map, keep);
    std::vector<std::uint32_t> out;
    if (row[0] == 1)
        for (std::size_t at = 1; at + 4 <= row.size(); at += 4)
            if (const std::uint32_t p = jet::le32(row.data() + at)) out.push_back(p);
    return out;
}

// Every page some structure of the file uses: pages 0 and 1, each table's
// definition pages, the pages holding its map rows, their bitmap pages, the
// pages they list and the index roots, and the global map's bitmap pages.
std::set<std::uint32_t> pages_in_use(jet::Pager& pager)
{
    std::set<std::uint32_t> used{0, 1};
    for (const std::uint32_t p : bitmap_pages(pager, jet::RowPointer{1, 0})) used.insert(p);
    const auto add_map = [&](jet::RowPointer map) {
        if (map.raw() == 0) return;
        used.insert(map.page);
        for (const std::uint32_t p : bitmap_pages(pager, map)) used.insert(p);
        for (const std::uint32_t p : jet::usage_map_pages(pager, map)) used.insert(p);
    };
    for (const std::uint32_t first : jet::compaction::table_pages(pager)) {
        for (std::uint32_t p = first; p != 0; p = jet::le32(pager.page(p).bytes().data() + 4)) {
            if (!used.insert(p).second) break;
        }
        const jet::TableDefinition def = jet::read_table_definition(pager, first);
        add_map(def.owned_map);
        add_map(def.free_map);
        for (const jet::RealIndex& index : def.real_indexes) {
            add_map(index.usage_map);
            if (index.root_page != 0) used.insert(index.root_page);
        }
        for (const jet::Column& c : def.columns) {
            add_map(c.long_value_owned_map);
            add_map(c.long_value_free_map);
        }
    }
    return used;
}

// The global map calls every page in use used, and every page past the end
// of the file free, as far as its bitmap pages reach. `expected_type` is the
// map's type (-1: either).
void expect_global_map_sound(const std::string& file, int expected_type)
{
    jet::Database db(file);
    jet::Pager& pager = db.pager();
    const std::uint32_t count = pager.page_count();
    if (expected_type >= 0) {
        EXPECT_EQ(map_type(pager, jet::RowPointer{1, 0}), expected_type);
    }
    const std::set<std::uint32_t> used = pages_in_use(pager);
    EXPECT_GT(used.size(), 10u);
    for (const std::uint32_t p : used) {
        ASSERT_LT(p, count);
        EXPECT_FALSE(globally_free(pager, p)) << "page " << p << " is in use";
    }
    const std::uint32_t per = (pager.page_size() - 4) * 8;
    for (std::uint32_t p = count; p < (count / per + 1) * per; ++p)
        if (!globally_free(pager, p)) {
            ADD_FAILURE() << "page " << p << " is past the end of the file";
            break;
        }
}

}  // namespace

// A memo replaced until the file outgrows the global map's inline range:
// the map becomes a reference map that still calls every page in use used,
// and so does the global map of the file compacted from it.
TEST(WriterChanges, FileOutgrowsTheGlobalMapsInlineRange)
{
    TempDir tmp;
    const std::string file = tmp.copy("NflSummary.mdb", "global-map-grown.mdb");
    expect_global_map_sound(file, 0);
    Records expected = records(file, "Games");
    {
        jet::Database db(file);
        jet::Pager& pager = db.pager();
        jet::Page keep;
        const jet::Bytes global = map_row(pager, jet::RowPointer{1, 0}, keep);
        ASSERT_EQ(global[0], 0) << "the fixture's global map is not inline";
        const std::uint32_t range_end = jet::le32(global.data() + 1) + static_cast<std::uint32_t>(global.size() - 5) * 8;
        keep = jet::Page();
        jet::Dynaset d = db.open_dynaset("SELECT * FROM Games");
        const int f = field_index(d, "Notes");
        for (int round = 0; round < 4000 && pager.page_count() < range_end + 40; ++round) {
            const jet::Value v = memo_text(round);
            d.edit();
            d.set_value(f, v);
            ASSERT_TRUE(d.update()) << round;
            expected[0][static_cast<std::size_t>(f)] = v;
        }
        ASSERT_GE(pager.page_count(), range_end + 40) << "the file never passed the global map's range";
    }
    EXPECT_EQ(records(file, "Games"), expected);
    expect_global_map_sound(file, 1);
    expect_pages_consistent(file);
    keep_copy(file, "global-map-grown.mdb");

    const std::string compacted = utf8_of(tmp.path() / "global-map-compacted.mdb");
    jet::compact(file, compacted);
    EXPECT_EQ(records(compacted, "Games"), expected);
    SCOPED_TRACE("compacted");
    expect_global_map_sound(compacted, -1);
    keep_copy(compacted, "global-map-compacted.mdb");
}
