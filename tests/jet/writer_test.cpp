// Changed values written through a dynaset and read back: every type, text
// that grows and shrinks (within its page and moved to an overflow row),
// memo and OLE values crossing the in-row, one-page and chained forms.
#include "writer_fixture.h"

#include <cmath>

using namespace jettest;

namespace {

// `n` characters of `unit` over and over.
std::u16string repeated(const std::string& unit, std::size_t n)
{
    const std::u16string u = jet::to_utf16(unit);
    std::u16string s;
    while (s.size() < n) s += u;
    s.resize(n);
    return s;
}

std::vector<std::uint8_t> pattern(std::size_t n, unsigned seed)
{
    std::vector<std::uint8_t> b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>((i * 7 + seed) % 251 + 1);
    return b;
}

// The records with one value replaced, as the test expects them to read.
Records with(Records r, std::size_t record, std::size_t field, const jet::Value& v)
{
    r.at(record).at(field) = v;
    return r;
}

}  // namespace

TEST(WriterChanges, EveryTypeReadsBack)
{
    TempDir tmp;
    const std::string file = tmp.copy("types.mdb");
    const Records before = records(file, "AllTypes");

    std::vector<jet::Value> wanted(14);
    wanted[0].set_boolean(true);
    wanted[1].set_byte(7);
    wanted[2].set_integer(-1234);
    wanted[3].set_long(123456789);
    wanted[4].set_currency(987654321);
    wanted[5].set_single(3.5f);
    wanted[6].set_double(-2.25e10);
    wanted[7].set_date(47649.5213541667);  // 2030-06-15 12:30:45
    wanted[8] = text_value("a longer text than before, with ü");
    wanted[9] = text_value(repeated("memo text ", 3000));  // one LVAL row
    wanted[10] = bytes_value(pattern(9000, 3));            // a chain
    wanted[11] = bytes_value({0x11, 2, 3, 4, 5, 6, 7, 8});
    wanted[12] = bytes_value({0xA0, 0x6C, 9, 0x8F, 0x16, 0xFC, 0x88, 0x42, 0x80, 0x1E, 0x11, 0x9F, 0x26, 0xC0, 0xB6, 0xFC});
    jet::Decimal dec;
    dec.negative = true;
    dec.low = 123456;  // -12.3456 at scale 4
    dec.scale = 4;
    dec.precision = 18;
    wanted[13].set_decimal(dec);
    {
        jet::Database db(file);
        jet::Dynaset d = db.open_dynaset("SELECT * FROM AllTypes");
        d.move_next();  // record 2
        for (int f = 0; f < d.field_count(); ++f) {
            d.edit();
            d.set_value(f, wanted[static_cast<std::size_t>(f)]);
            EXPECT_TRUE(d.update()) << f;
            EXPECT_EQ(d.value(f), wanted[static_cast<std::size_t>(f)]) << f;
        }
        // Record 3 held NULLs; record 1 gets them (No for the yes/no field).
        d.move_first();
        for (int f = 0; f < d.field_count(); ++f) {
            d.edit();
            d.set_value(f, null_value());
            d.update();
        }
    }
    Records expected = before;
    expected[1] = wanted;
    expected[0] = before[2];
    EXPECT_EQ(records(file, "AllTypes"), expected);
    expect_pages_consistent(file);
    keep_copy(file, "types-changed.mdb");
}

TEST(WriterChanges, TextGrowsWithinItsPageAndIntoOverflowRows)
{
    TempDir tmp;
    const std::string file = tmp.copy("rows.mdb");
    const Records before = records(file, "Big1500");
    Records expected = before;
    {
        jet::Database db(file);
        jet::Dynaset d = db.open_dynaset("SELECT TOP 1000 * FROM Big1500");
        const int label = field_index(d, "Label");
        // "Row 0001" grows to 20 characters: the first rows fit by re-packing
        // their page, the later ones move to overflow rows on other pages.
        for (std::size_t r = 0; !d.is_eof(); d.move_next(), ++r) {
            const jet::Value v = text_value("Row " + std::to_string(r + 1) + " grown to twenty");
            const jet::Value cut = text_value(jet::to_utf8(v.text()).substr(0, 20));
            d.edit();
            d.set_value(label, cut);
            EXPECT_TRUE(d.update());
            expected[r][static_cast<std::size_t>(label)] = cut;
        }
    }
    EXPECT_EQ(records(file, "Big1500"), expected);
    expect_pages_consistent(file);
    const auto grown = std::filesystem::file_size(std::filesystem::u8path(file));

    // Back to short texts: moved rows shrink where they are now.
    {
        jet::Database db(file);
        jet::Dynaset d = db.open_dynaset("SELECT TOP 1000 [Label] FROM Big1500");
        for (std::size_t r = 0; !d.is_eof(); d.move_next(), ++r) {
            d.edit();
            d.set_value(0, text_value("r" + std::to_string(r)));
            d.update();
            expected[r][1] = text_value("r" + std::to_string(r));
        }
    }
    EXPECT_EQ(records(file, "Big1500"), expected);
    expect_pages_consistent(file);
    EXPECT_EQ(std::filesystem::file_size(std::filesystem::u8path(file)), grown);
    keep_copy(file, "rows-changed.mdb");
}

TEST(WriterChanges, Jet3RowsLongerThan256Bytes)
{
    TempDir tmp;
    const std::string file = tmp.copy("real/jackcess-V1997-test2.mdb", "jet3.mdb");
    Records expected = records(file, "MSP_PROJECTS");
    {
        jet::Database db(file);
        const jet::TableDefinition def = db.table_definition("MSP_PROJECTS");
        // Long texts in two fields that no index covers: the row passes 256
        // bytes more than once, so its one-byte offsets need jump bytes.
        int filled = 0;
        for (std::size_t i = 0; i < def.columns.size() && filled < 2; ++i) {
            const jet::Column& c = def.columns[i];
            if (c.type != jet::kTypeText || !c.real_indexes.empty() || c.length < 150) continue;
            const jet::Value v = text_value(repeated(c.name + " Zürich ", 150));
            EXPECT_TRUE(set_field(db, "MSP_PROJECTS", 0, c.name, v));
            expected = with(expected, 0, i, v);
            ++filled;
        }
        EXPECT_EQ(filled, 2);
        EXPECT_EQ(records(db, "MSP_PROJECTS"), expected);
    }
    const std::string small = tmp.copy("real/jackcess-V1997-overflowTest.mdb", "jet3small.mdb");
    Records t = records(small, "Table1");
    {
        jet::Database db(small);
        const jet::Value b = text_value(repeated("Zürich-", 50));
        EXPECT_TRUE(set_field(db, "Table1", 0, "data3", b));
        EXPECT_TRUE(set_field(db, "Table1", 1, "data1", text_value(u"x")));
        t = with(with(t, 0, 1, b), 1, 0, text_value(u"x"));
    }
    EXPECT_EQ(records(file, "MSP_PROJECTS"), expected);
    EXPECT_EQ(records(small, "Table1"), t);
    expect_pages_consistent(file);
    expect_pages_consistent(small);
    keep_copy(file, "jet3-changed.mdb");
    keep_copy(small, "jet3small-changed.mdb");
}

TEST(WriterChanges, MemoCrossesEveryForm)
{
    TempDir tmp;
    const std::string file = tmp.copy("perf.mdb");
    Records expected = records(file, "Perf20");
    jet::Database db(file);
    const std::vector<jet::Value> steps = {
        text_value(repeated("grows out of the row ", 300)),    // one LVAL row
        text_value(repeated("0123456789", 20000)),             // a chain (uncompressed)
        text_value(u"short again"),                            // back in the row
        null_value(),
        text_value(u""),
        text_value(repeated("x", 64)),                        // the largest in-row value
        text_value(repeated("y", 65)),
    };
    for (const jet::Value& v : steps) {
        EXPECT_TRUE(set_field(db, "Perf20", 10, "C06", v));
        expected = with(expected, 10, 5, v);
        ASSERT_EQ(records(db, "Perf20"), expected);
    }
    // OLE values too, and the same value written again changes nothing.
    const std::string ole = tmp.copy("types.mdb");
    jet::Database types(ole);
    Records t = records(types, "AllTypes");
    for (const std::size_t n : {5u, 4000u, 30000u, 1u}) {
        const jet::Value v = bytes_value(pattern(n, static_cast<unsigned>(n)));
        EXPECT_TRUE(set_field(types, "AllTypes", 3, "ColOle", v));
        EXPECT_FALSE(set_field(types, "AllTypes", 3, "ColOle", v));
        t = with(t, 3, 10, v);
        ASSERT_EQ(records(types, "AllTypes"), t);
    }
    expect_pages_consistent(file);
    expect_pages_consistent(ole);
    keep_copy(file, "perf-changed.mdb");
}

TEST(WriterChanges, RowsThatAccessMovedToOverflowRows)
{
    TempDir tmp;
    const std::string file = tmp.copy("real/jackcess-V2000-overflowTest.mdb", "overflow.mdb");
    Records expected = records(file, "Table1");
    jet::Database db(file);
    // Record 3 lives in an overflow row: a change of the same length stays
    // there, a much longer one moves it on and frees the old copy.
    const jet::Value same = text_value(u"ROW3COL3");
    EXPECT_TRUE(set_field(db, "Table1", 2, "data3", same));
    expected = with(expected, 2, 1, same);
    EXPECT_EQ(records(db, "Table1"), expected);
    for (const char* field : {"data1", "data4", "data5", "data6", "data7", "data8"}) {
        const jet::Value big = text_value(repeated(field, 50));
        EXPECT_TRUE(set_field(db, "Table1", 2, field, big));
        const int index = field_index(db.open_dynaset("SELECT * FROM Table1"), field);
        expected = with(expected, 2, static_cast<std::size_t>(index), big);
    }
    EXPECT_EQ(records(db, "Table1"), expected);
    expect_pages_consistent(file);
    keep_copy(file, "overflow-changed.mdb");
}

TEST(WriterChanges, IndexedTablesChangeInUnindexedFieldsOnly)
{
    TempDir tmp;
    const std::string file = tmp.copy("indexed.mdb");
    Records expected = records(file, "Keyed");
    jet::Database db(file);
    jet::Value qty;
    qty.set_integer(999);
    EXPECT_TRUE(set_field(db, "Keyed", 4, "Qty", qty));
    EXPECT_TRUE(set_field(db, "Keyed", 4, "Comment", text_value(u"a comment that is a good deal longer")));
    expected = with(with(expected, 4, 3, qty), 4, 5, text_value(u"a comment that is a good deal longer"));
    // An indexed column may be written with the value it holds...
    EXPECT_FALSE(set_field(db, "Keyed", 4, "Code", expected[4][1]));
    // ...but a new value is refused: its index entries would be stale.
    const jet::Error e = error_of([&] { set_field(db, "Keyed", 4, "Code", text_value(u"K99999")); });
    EXPECT_EQ(e.number(), jet::kFieldNotUpdatable);
    EXPECT_EQ(e.description(), "Cannot update 'Code'; field not updateable.");
    jet::Value date;
    date.set_date(1.0);
    EXPECT_EQ(error_of([&] { set_field(db, "Keyed", 0, "EventDate", date); }).number(), jet::kFieldNotUpdatable);
    EXPECT_EQ(records(db, "Keyed"), expected);
    keep_copy(file, "indexed-changed.mdb");
}
