// Usage maps that run out of range as a file grows: an inline map turns into
// a reference map whose bitmap pages are appended to the file, for the pages
// of a memo column and for the data pages of a table, on Jet 3 and Jet 4.
#include "writer_fixture.h"

#include "jet/held_pages.h"
#include "jet/long_value.h"
#include "jet/page_edit.h"
#include "jet/row_placement.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>

using namespace jettest;

namespace {

void put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

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
// `old_count` pages, and points at every bitmap page appended since.
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
    const std::vector<std::uint32_t> listed = jet::usage_map_pages(pager, map);
    const auto lists = [&](std::uint32_t p) { return std::binary_search(listed.begin(), listed.end(), p); };
    for (const std::uint32_t p : before) EXPECT_TRUE(lists(p)) << "page " << p << " was dropped";
    std::size_t appended = 0;
    for (std::uint32_t p = old_count; p < pager.page_count(); ++p) {
        const jet::Page page = pager.page(p);
        if (page.type() == jet::kPageUsageMap) {
            EXPECT_TRUE(bitmaps.count(p)) << "bitmap page " << p << " is not the map's";
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
    put32(row.data() + 1, per - 16);
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
    put32(two.data() + 1, 9);
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
    put32(one.data() + 1, 9);
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
        expect_pages_consistent(file);
        keep_copy(file, as);
    }
}
