// Splitting stored rows into columns, on rows built here byte by byte.
#include "jet/rows/row.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

jet::Column column(std::uint8_t type, std::uint16_t number, std::uint16_t var_index, std::uint16_t fixed_offset,
                   std::uint16_t length, bool fixed)
{
    jet::Column c;
    c.name = std::to_string(number);
    c.name.insert(0, 1, 'c');
    c.type = type;
    c.number = number;
    c.var_index = var_index;
    c.fixed_offset = fixed_offset;
    c.length = length;
    c.flags = fixed ? jet::kColumnFixed : 0;
    return c;
}

// A stored row: column count, fixed area, variable values, then the trailer
// the layout asks for (Jet 3 with its jump bytes), then the null mask.
std::vector<std::uint8_t> encode(const jet::Layout& l, unsigned ncols, const std::vector<std::uint8_t>& fixed,
                                 const std::vector<std::string>& vars, const std::vector<unsigned>& present)
{
    std::vector<std::uint8_t> r;
    r.push_back(static_cast<std::uint8_t>(ncols));
    if (l.jet4()) r.push_back(static_cast<std::uint8_t>(ncols >> 8));
    r.insert(r.end(), fixed.begin(), fixed.end());
    std::vector<std::size_t> offsets;
    for (const std::string& v : vars) {
        offsets.push_back(r.size());
        r.insert(r.end(), v.begin(), v.end());
    }
    offsets.push_back(r.size());  // EOD
    const std::size_t nvar = vars.size();
    const std::size_t mask_size = (ncols + 7) / 8;
    std::vector<std::uint8_t> mask(mask_size);
    for (unsigned bit : present) mask[bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
    if (l.jet4()) {
        for (std::size_t k = nvar + 1; k-- > 0;) {
            r.push_back(static_cast<std::uint8_t>(offsets[k]));
            r.push_back(static_cast<std::uint8_t>(offsets[k] >> 8));
        }
        r.push_back(static_cast<std::uint8_t>(nvar));
        r.push_back(0);
    } else {
        // The number of jump bytes depends on the final length, which depends on it.
        std::size_t jumps = 0;
        for (;;) {
            const std::size_t length = r.size() + (nvar + 1) + jumps + 1 + mask_size;
            if ((length - 1) / 256 == jumps) break;
            jumps = (length - 1) / 256;
        }
        for (std::size_t k = nvar + 1; k-- > 0;) r.push_back(static_cast<std::uint8_t>(offsets[k] & 0xFF));
        for (std::size_t m = jumps; m-- > 0;) {  // the byte nearest the count is jump 0
            std::uint8_t first = 0xFF;
            for (std::size_t k = 0; k <= nvar; ++k)
                if (offsets[k] >= 256 * (m + 1)) {
                    first = static_cast<std::uint8_t>(k);
                    break;
                }
            r.push_back(first);
        }
        r.push_back(static_cast<std::uint8_t>(nvar));
    }
    r.insert(r.end(), mask.begin(), mask.end());
    return r;
}

std::string as_text(const jet::RowCell& c) { return std::string(c.data.begin(), c.data.end()); }

}  // namespace

TEST(Row, Jet3VariableOffsetsPast256Bytes)
{
    jet::TableDefinition t;
    t.version = jet::Version::Jet3;
    t.var_slots = 3;
    t.columns = {column(jet::kTypeLong, 0, 0, 0, 4, true), column(jet::kTypeText, 1, 0, 0, 255, false),
                 column(jet::kTypeText, 2, 1, 0, 255, false), column(jet::kTypeText, 3, 2, 0, 255, false)};
    t.max_cols = 4;
    const std::string a(200, 'a'), b(200, 'b'), c(200, 'c');
    const std::vector<std::uint8_t> row = encode(jet::kJet3Layout, 4, {1, 0, 0, 0}, {a, b, c}, {0, 1, 2, 3});
    ASSERT_GT(row.size(), 512u);
    jet::RowSplitter splitter(t, jet::kJet3Layout);
    std::vector<jet::RowCell> cells;
    splitter.split(jet::Bytes(row.data(), row.size()), cells);
    EXPECT_EQ(as_text(cells[1]), a);
    EXPECT_EQ(as_text(cells[2]), b);
    EXPECT_EQ(as_text(cells[3]), c);
    EXPECT_EQ(cells[0].data[0], 1);

    // A row just past 256 bytes whose data ends below 256: one 0xFF filler jump byte.
    const std::string s1(120, 'x'), s2(130, 'y');
    const std::vector<std::uint8_t> filler = encode(jet::kJet3Layout, 4, {0, 0, 0, 0}, {s1, s2, ""}, {1, 2, 3});
    ASSERT_GT(filler.size(), 256u);
    splitter.split(jet::Bytes(filler.data(), filler.size()), cells);
    EXPECT_FALSE(cells[0].present);
    EXPECT_EQ(as_text(cells[1]), s1);
    EXPECT_EQ(as_text(cells[2]), s2);
    EXPECT_TRUE(cells[3].present);
    EXPECT_TRUE(cells[3].data.empty());
}

TEST(Row, RowsWrittenBeforeColumnsWereAdded)
{
    // Columns 2 and 3 came later: rows written before them carry fewer columns and slots.
    jet::TableDefinition t;
    t.var_slots = 2;
    t.max_cols = 5;
    t.columns = {column(jet::kTypeLong, 0, 0, 0, 4, true), column(jet::kTypeText, 1, 0, 0, 20, false),
                 column(jet::kTypeLong, 2, 0, 4, 4, true), column(jet::kTypeText, 3, 1, 0, 20, false),
                 column(jet::kTypeBoolean, 4, 0, 0, 1, true)};
    jet::RowSplitter splitter(t, jet::kJet4Layout);
    std::vector<jet::RowCell> cells;

    const std::vector<std::uint8_t> old_row = encode(jet::kJet4Layout, 2, {7, 0, 0, 0}, {"ab"}, {0, 1});
    splitter.split(jet::Bytes(old_row.data(), old_row.size()), cells);
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_TRUE(cells[0].present);
    EXPECT_EQ(as_text(cells[1]), "ab");
    EXPECT_FALSE(cells[2].present);
    EXPECT_FALSE(cells[3].present);
    EXPECT_FALSE(cells[4].present);  // yes/no: false

    // All columns in the mask, but one variable slot only.
    const std::vector<std::uint8_t> fewer_slots =
        encode(jet::kJet4Layout, 5, {7, 0, 0, 0, 9, 0, 0, 0}, {"cd"}, {0, 1, 2, 3, 4});
    splitter.split(jet::Bytes(fewer_slots.data(), fewer_slots.size()), cells);
    EXPECT_EQ(cells[2].data[0], 9);
    EXPECT_FALSE(cells[3].present);
    EXPECT_TRUE(cells[4].present);  // the null-mask bit is the yes/no value
    EXPECT_TRUE(cells[4].data.empty());

    // A present bit over a NULL: only the bit counts for a yes/no column, for others it means "has a value".
    const std::vector<std::uint8_t> nulls = encode(jet::kJet4Layout, 5, {0, 0, 0, 0, 0, 0, 0, 0}, {"", "z"}, {3});
    splitter.split(jet::Bytes(nulls.data(), nulls.size()), cells);
    EXPECT_FALSE(cells[0].present);
    EXPECT_FALSE(cells[1].present);
    EXPECT_EQ(as_text(cells[3]), "z");
    EXPECT_FALSE(cells[4].present);
}

TEST(Row, OffsetsOutsideTheRowAreDamage)
{
    jet::TableDefinition t;
    t.var_slots = 1;
    t.max_cols = 2;
    t.columns = {column(jet::kTypeLong, 0, 0, 0, 4, true), column(jet::kTypeText, 1, 0, 0, 20, false)};
    jet::RowSplitter splitter(t, jet::kJet4Layout);
    std::vector<jet::RowCell> cells;
    std::vector<std::uint8_t> row = encode(jet::kJet4Layout, 2, {1, 2, 3, 4}, {"hello"}, {0, 1});
    splitter.split(jet::Bytes(row.data(), row.size()), cells);
    EXPECT_EQ(as_text(cells[1]), "hello");

    std::vector<std::uint8_t> bad = row;
    bad[bad.size() - 5] = 0xF0;  // slot 0 far past the end
    EXPECT_THROW(splitter.split(jet::Bytes(bad.data(), bad.size()), cells), jet::Corrupt);
    bad = row;
    bad[bad.size() - 3] = 0x40;  // 64 variable slots in a 20-byte row
    EXPECT_THROW(splitter.split(jet::Bytes(bad.data(), bad.size()), cells), jet::Corrupt);
    bad = row;
    bad[0] = 0xFF;  // 255 columns: a mask longer than the row
    bad[1] = 0x00;
    EXPECT_THROW(splitter.split(jet::Bytes(bad.data(), 6), cells), jet::Corrupt);
    EXPECT_THROW(splitter.split(jet::Bytes(row.data(), 1), cells), jet::Corrupt);

    t.columns[0].fixed_offset = 30;  // the fixed area runs into the trailer
    jet::RowSplitter changed(t, jet::kJet4Layout);
    EXPECT_THROW(changed.split(jet::Bytes(row.data(), row.size()), cells), jet::Corrupt);
}

namespace {

struct CellCase {
    const char* name;
    jet::Version version;
    unsigned ncols;  // fewer than the definition's: written before the last columns came
};

void PrintTo(const CellCase& k, std::ostream* out) { *out << k.name; }

class RowCellTest : public testing::TestWithParam<CellCase> {};

}  // namespace

// One column found alone is the column split() gives, on sound rows and on
// every single-byte damage of them; where split() finds damage, the lone
// read finds it too or stays inside the row.
TEST_P(RowCellTest, OneColumnIsWhatTheSplitGives)
{
    jet::TableDefinition t;
    t.version = GetParam().version;
    t.var_slots = 3;
    t.max_cols = 6;
    t.columns = {column(jet::kTypeLong, 0, 0, 0, 4, true),    column(jet::kTypeText, 1, 0, 0, 255, false),
                 column(jet::kTypeBoolean, 2, 0, 0, 1, true), column(jet::kTypeText, 3, 1, 0, 255, false),
                 column(jet::kTypeLong, 4, 0, 4, 4, true),    column(jet::kTypeText, 5, 2, 0, 255, false)};
    const jet::Layout& l = t.version == jet::Version::Jet3 ? jet::kJet3Layout : jet::kJet4Layout;
    const unsigned n = GetParam().ncols;
    const std::vector<std::string> vars = {std::string(200, 'a'), "", "xyz"};
    const std::vector<std::uint8_t> sound =
        encode(l, n, {1, 2, 3, 4, 5, 6, 7, 8}, {vars.begin(), vars.begin() + (n == 6 ? 3 : 2)}, {0, 1, 3, 4, 5});
    jet::RowSplitter whole(t, l), alone(t, l);
    std::vector<jet::RowCell> cells;
    for (std::size_t at = 0; at <= sound.size(); ++at)
        for (const std::uint8_t value : {0x00, 0x01, 0x07, 0x80, 0xFF}) {
            std::vector<std::uint8_t> row = sound;
            if (at < row.size()) row[at] = value;  // at == size: the row as it is
            const jet::Bytes bytes(row.data(), row.size());
            bool splits = true;
            try {
                whole.split(bytes, cells);
            } catch (const jet::Corrupt&) {
                splits = false;
            }
            for (const jet::Column& c : t.columns) try {
                    const jet::RowCell one = alone.cell(bytes, c);
                    EXPECT_TRUE(splits ? one.present == cells[c.number].present && as_text(one) == as_text(cells[c.number])
                                       : one.data.empty() || (one.data.data() >= row.data() &&
                                                              one.data.data() + one.data.size() <= row.data() + row.size()))
                        << "byte " << at << " = " << int(value) << ", column " << c.number;
                } catch (const jet::Corrupt&) {
                    EXPECT_FALSE(splits) << "byte " << at << " = " << int(value) << ", column " << c.number;
                }
        }
}

INSTANTIATE_TEST_SUITE_P(Rows, RowCellTest,
                         testing::Values(CellCase{"Jet4", jet::Version::Jet4, 6}, CellCase{"Jet4Older", jet::Version::Jet4, 4},
                                         CellCase{"Jet3", jet::Version::Jet3, 6}),
                         [](const testing::TestParamInfo<CellCase>& i) { return std::string(i.param.name); });
