// Changing rows on a data page built here byte by byte, and rows laid out
// again by the packer and split back by the reader.
#include "fixture.h"
#include "jet/base/error.h"
#include "jet/pages/page_edit.h"
#include "jet/rows/row.h"
#include "jet/writing/row_packer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> bytes(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

std::string row_text(jet::PageEditor& page, unsigned slot)
{
    const auto r = page.row(slot);
    return std::string(r.begin(), r.end());
}

// A Jet 4 page with a normal row, a deleted slot without bytes, an overflow
// copy and a row pointing elsewhere, in that slot order.
std::vector<std::uint8_t> sample_page()
{
    std::vector<std::uint8_t> page = jet::PageEditor::empty_page(jet::kJet4Layout, 77);
    jet::PageEditor e(page, jet::kJet4Layout);
    e.add_row(bytes("first row"), 0);
    e.add_row({}, jet::kSlotDeleted);
    e.add_row(bytes("moved copy"), jet::kSlotOverflowTarget);
    e.add_row(bytes("ptr!"), jet::kSlotOverflowHeader);
    return page;
}

}  // namespace

TEST(PageEditor, RowsChangeLengthAndTheOthersMoveWithTheirFlags)
{
    std::vector<std::uint8_t> page = sample_page();
    jet::PageEditor e(page, jet::kJet4Layout);
    EXPECT_EQ(e.owner(), 77u);
    const std::size_t free = e.free_space();
    EXPECT_EQ(free, 4096u - 14 - 4 * 2 - (9 + 10 + 4));
    EXPECT_EQ(jet::le16(page.data() + 2), free);

    ASSERT_TRUE(e.replace_row(0, bytes("the first row, longer")));
    EXPECT_EQ(e.free_space(), free - 12);
    EXPECT_EQ(jet::le16(page.data() + 2), free - 12);
    EXPECT_EQ(row_text(e, 0), "the first row, longer");
    EXPECT_EQ(row_text(e, 1), "");
    EXPECT_EQ(row_text(e, 2), "moved copy");
    EXPECT_EQ(row_text(e, 3), "ptr!");
    EXPECT_TRUE(e.slot(1).deleted());
    EXPECT_TRUE(e.slot(2).overflow_target());
    EXPECT_TRUE(e.slot(3).overflow_header());

    ASSERT_TRUE(e.replace_row(2, bytes("mc")));  // shorter: the bytes below move up
    EXPECT_EQ(e.free_space(), free - 4);
    EXPECT_EQ(row_text(e, 2), "mc");
    EXPECT_EQ(row_text(e, 3), "ptr!");
    EXPECT_TRUE(e.slot(2).overflow_target());

    // The reader sees the same page.
    const jet::DataPage read(jet::Page(std::make_shared<const std::vector<std::uint8_t>>(page)), jet::kJet4Layout);
    EXPECT_EQ(read.slot_count(), 4u);
    const jet::Bytes r0 = read.row(read.slot(0));
    EXPECT_EQ(std::string(r0.begin(), r0.end()), "the first row, longer");
}

TEST(PageEditor, ARowThatDoesNotFitChangesNothing)
{
    std::vector<std::uint8_t> page = sample_page();
    const std::vector<std::uint8_t> before = page;
    jet::PageEditor e(page, jet::kJet4Layout);
    EXPECT_FALSE(e.replace_row(3, std::vector<std::uint8_t>(e.free_space() + 5, 'x')));
    EXPECT_EQ(page, before);
    EXPECT_FALSE(e.can_add(e.free_space() - 1));  // the slot entry needs two bytes too
    EXPECT_TRUE(e.can_add(e.free_space() - 2));
    ASSERT_TRUE(e.replace_row(3, std::vector<std::uint8_t>(4 + e.free_space(), 'y')));
    EXPECT_EQ(e.free_space(), 0u);
}

// A row the page has no room for is the caller's fault: it is reported as a
// broken rule of the engine, never as a damaged database.
TEST(PageEditor, ARowWithoutRoomIsTheEnginesFaultNotDamage)
{
    std::vector<std::uint8_t> page = sample_page();
    jet::PageEditor e(page, jet::kJet4Layout);
    const std::vector<std::uint8_t> row(e.free_space() - 1, 'x');
    const jet::Error err = jettest::error_of([&] { e.add_row(row, 0); });
    EXPECT_EQ(err.number(), jet::kEngineInvariant);
    EXPECT_NE(err.description().find("a row is added only to a page with room for it"), std::string::npos)
        << err.description();
}

TEST(PageEditor, RefusesAPageWhoseRowsOverlap)
{
    std::vector<std::uint8_t> page = sample_page();
    page[14 + 2] = 0x20;  // slot 1 would start above slot 0's start
    page[14 + 3] = 0x0F;
    EXPECT_THROW(jet::PageEditor(page, jet::kJet4Layout), jet::Corrupt);
}

// A page of the data type whose second byte is not the one every page
// carries is damage to the reader and to the editor alike.
TEST(PageEditor, RefusesAPageWithoutItsMarkByte)
{
    std::vector<std::uint8_t> page = sample_page();
    page[1] = 0x00;
    EXPECT_THROW(jet::PageEditor(page, jet::kJet4Layout), jet::Corrupt);
    const jet::Page read(std::make_shared<const std::vector<std::uint8_t>>(page));
    EXPECT_THROW(jet::DataPage(read, jet::kJet4Layout), jet::Corrupt);
}

// Found by tests/reliability/mutants (a Jet 3 file whose global usage map row
// was flagged deleted with its offset past the page's end): read one row at a
// time, a slot's bytes are handed out only inside the page.
TEST(PageEditor, SlotsReadOneByOneStayInsideThePage)
{
    std::vector<std::uint8_t> page = sample_page();
    page[14] = 0xF0;  // slot 0: deleted, offset 0x1FF0, past the 4096-byte page
    page[14 + 1] = 0xDF;
    jet::PageEditor first(page, jet::kJet4Layout, false);
    EXPECT_TRUE(first.slot(0).deleted());
    EXPECT_THROW(first.row(0), jet::Corrupt);
    EXPECT_THROW(first.row(1), jet::Corrupt);  // would end where slot 0 starts
    EXPECT_EQ(row_text(first, 2), "moved copy");

    page = sample_page();
    page[14 + 2] = 0xF0;  // slot 1 (deleted): its offset past the page's end
    page[14 + 3] = 0xDF;
    jet::PageEditor second(page, jet::kJet4Layout, false);
    EXPECT_EQ(row_text(second, 0), "first row");
    EXPECT_THROW(second.row(1), jet::Corrupt);
    EXPECT_THROW(second.slot(2), jet::Corrupt);  // live, would end past the page
    EXPECT_EQ(row_text(second, 3), "ptr!");
}

namespace {

jet::Column column(std::uint8_t type, std::uint16_t number, std::uint16_t var_index, std::uint16_t fixed_offset,
                   std::uint16_t length)
{
    jet::Column c;
    c.name = "c";
    c.type = type;
    c.number = number;
    c.var_index = var_index;
    c.fixed_offset = fixed_offset;
    c.length = length;
    c.flags = type == jet::kTypeText ? 0 : jet::kColumnFixed;
    return c;
}

// A long, two texts and a yes/no field; `version` picks the layout.
jet::TableDefinition table(jet::Version version)
{
    jet::TableDefinition t;
    t.version = version;
    t.max_cols = 4;
    t.var_slots = 2;
    t.columns = {column(jet::kTypeLong, 0, 0, 0, 4), column(jet::kTypeText, 1, 0, 0, 255),
                 column(jet::kTypeText, 2, 1, 0, 255), column(jet::kTypeBoolean, 3, 0, 0, 0)};
    return t;
}

std::vector<std::uint8_t> repack(const jet::TableDefinition& t, const jet::Layout& l, const std::vector<std::uint8_t>& old,
                                 const std::string& a, const std::string& b, bool flag)
{
    std::vector<jet::CellChange> changes(3);
    changes[0] = {&t.columns[1], true, jet::Bytes(reinterpret_cast<const std::uint8_t*>(a.data()), a.size())};
    changes[1] = {&t.columns[2], !b.empty(), jet::Bytes(reinterpret_cast<const std::uint8_t*>(b.data()), b.size())};
    changes[2] = {&t.columns[3], flag, {}};
    return jet::repack_row(t, l, jet::Bytes(old.data(), old.size()), changes);
}

void expect_row(const jet::TableDefinition& t, const jet::Layout& l, const std::vector<std::uint8_t>& row,
                const std::string& a, const std::string& b, bool flag)
{
    jet::RowSplitter s(t, l);
    std::vector<jet::RowCell> cells;
    s.split(jet::Bytes(row.data(), row.size()), cells);
    EXPECT_EQ(jet::le32(cells[0].data.data()), 0x01020304u);
    EXPECT_EQ(std::string(cells[1].data.begin(), cells[1].data.end()), a);
    EXPECT_EQ(cells[2].present, !b.empty());
    EXPECT_EQ(std::string(cells[2].data.begin(), cells[2].data.end()), b);
    EXPECT_EQ(cells[3].present, flag);
}

}  // namespace

TEST(RowPacker, LengthsAcrossTheJet3OffsetBoundaries)
{
    for (const jet::Layout* l : {&jet::kJet3Layout, &jet::kJet4Layout}) {
        const jet::TableDefinition t = table(l->version);
        // A row written with two columns and no variable slot: the packer
        // widens it to the table's current layout.
        std::vector<std::uint8_t> row = {2};
        if (l->jet4()) row.push_back(0);
        for (const std::uint8_t b : {4, 3, 2, 1}) row.push_back(b);
        if (l->jet4()) row.insert(row.end(), {6, 0, 0, 0});  // EOD, no slots
        else row.insert(row.end(), {5, 0});
        row.push_back(0x01);  // column 0 present
        // Texts whose offsets cross 256 and 512 bytes (Jet 3: one and two jump bytes).
        for (const std::size_t n : {10u, 250u, 251u, 300u, 510u, 700u}) {
            const std::string a(n, 'a');
            const std::string b = std::string(n / 2, 'b');
            row = repack(t, *l, row, a, b, n % 20 == 0);
            expect_row(t, *l, row, a, b, n % 20 == 0);
        }
        row = repack(t, *l, row, "short", "", true);
        expect_row(t, *l, row, "short", "", true);
    }
}

TEST(RowPacker, RowsLongerThanAPageAreRefused)
{
    const jet::TableDefinition t = table(jet::Version::Jet3);
    std::vector<std::uint8_t> row = {2, 4, 3, 2, 1, 5, 0, 0x01};
    try {
        repack(t, jet::kJet3Layout, row, std::string(1500, 'a'), std::string(600, 'b'), false);
        ADD_FAILURE() << "no error";
    } catch (const jet::Error& err) {
        EXPECT_EQ(err.description(), "Record is too large.");
    }
}
