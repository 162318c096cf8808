#include "jet/rows/table_definition.h"

#include "jet/base/text.h"

#include <algorithm>
#include <unordered_set>

namespace jet {

namespace {

constexpr std::uint32_t kTdefMagic = 0x0659;

std::string read_name(Bytes b, std::size_t& at, const Layout& l, std::uint16_t code_page)
{
    std::u16string text;
    if (l.jet4()) {
        const std::uint16_t len = u16_at(b, at);
        decode_jet4_text(sub(b, at + 2, len), text);
        at += 2u + len;
    } else {
        const std::uint8_t len = u8_at(b, at);
        decode_code_page_text(sub(b, at + 1, len), code_page, text);
        at += 1u + len;
    }
    return to_utf8(text);
}

}  // namespace

std::int16_t Column::dao_type() const
{
    switch (type) {
    case kTypeGuid: return dbGUID;
    case kTypeNumeric: return dbDecimal;
    default: return type >= kTypeBoolean && type <= kTypeMemo ? static_cast<std::int16_t>(type) : std::int16_t{dbBinary};
    }
}

std::int32_t Column::dao_size(Version version) const
{
    switch (type) {
    case kTypeBoolean:
    case kTypeByte: return 1;
    case kTypeInteger: return 2;
    case kTypeLong:
    case kTypeSingle: return 4;
    case kTypeCurrency:
    case kTypeDouble:
    case kTypeDateTime: return 8;
    case kTypeGuid:
    case kTypeNumeric: return 16;
    case kTypeMemo:
    case kTypeOle: return 0;
    case kTypeText: return version == Version::Jet4 ? length / 2 : length;
    default: return length;
    }
}

const Column* TableDefinition::find(std::string_view name) const
{
    for (const Column& c : columns)
        if (names_equal(c.name, name)) return &c;
    return nullptr;
}

namespace {

// The column descriptors after the index statistics, then the column names,
// from `at`, which is left past the names. The columns end in field order.
void read_columns(Pager& pager, Bytes b, std::uint16_t num_cols, std::size_t& at, TableDefinition& t)
{
    const Layout& l = pager.layout();
    const std::size_t descriptors = at;
    at += std::size_t{num_cols} * l.column_size;
    require(at <= b.size());

    t.columns.resize(num_cols);
    for (std::uint16_t i = 0; i < num_cols; ++i) {
        const Bytes d = sub(b, descriptors + std::size_t{i} * l.column_size, l.column_size);
        Column& c = t.columns[i];
        c.type = d[kColumnTypeAt];
        c.number = u16_at(d, l.col_number);
        c.var_index = u16_at(d, l.col_var_index);
        c.flags = d[l.col_flags];
        c.fixed_offset = u16_at(d, l.col_fixed_offset);
        c.length = u16_at(d, l.col_length);
        c.precision = d[l.col_precision];
        c.scale = d[l.col_scale];
        c.lcid = u16_at(d, l.col_lcid);
        if (l.jet4()) {
            c.extended_flags = d[kJet4ColumnExtendedFlagsAt];
            c.code_page = pager.header().code_page;
        } else {
            c.code_page = u16_at(d, kJet3ColumnCodePageAt);
        }
    }
    for (Column& c : t.columns) c.name = read_name(b, at, l, pager.header().code_page);

    std::sort(t.columns.begin(), t.columns.end(),
              [](const Column& a, const Column& c) { return a.number < c.number; });
    for (std::size_t i = 1; i < t.columns.size(); ++i) require(t.columns[i - 1].number != t.columns[i].number);
}

// The real indexes, then the logical ones and their names, from `at`, which
// is left past the names; each column learns the real indexes whose key
// holds it.
void read_indexes(Pager& pager, Bytes b, std::uint32_t num_real_idx, std::uint32_t num_idx, std::size_t& at,
                  TableDefinition& t)
{
    const Layout& l = pager.layout();
    t.real_index_offset = at;
    t.real_indexes.resize(num_real_idx);
    for (RealIndex& r : t.real_indexes) {
        const Bytes d = sub(b, at, l.real_index_size);
        for (std::size_t k = 0; k < kIndexKeyColumns; ++k) {
            const std::size_t key = l.real_index_columns + kIndexKeyColumnSize * k;
            const std::uint16_t number = le16(d.data() + key);
            if (number != kIndexKeyUnused) r.columns.push_back({number, d[key + kIndexKeyOrderAt] != 0});
        }
        r.usage_map = RowPointer::from(le32(d.data() + l.real_index_map));
        r.root_page = le32(d.data() + l.real_index_root);
        r.flags = d[l.real_index_flags];
        at += l.real_index_size;
    }
    t.indexes.resize(num_idx);
    for (LogicalIndex& x : t.indexes) {
        const Bytes d = sub(b, at, l.logical_index_size);
        x.number = le32(d.data() + l.logical_index_number);
        x.real_index = le32(d.data() + l.logical_index_real);
        x.kind = d[l.logical_index_kind];
        at += l.logical_index_size;
    }
    for (LogicalIndex& x : t.indexes) x.name = read_name(b, at, l, pager.header().code_page);

    for (std::uint32_t r = 0; r < t.real_indexes.size(); ++r)
        for (const IndexColumn& ic : t.real_indexes[r].columns)
            for (Column& c : t.columns)
                if (c.number == ic.number) c.real_indexes.push_back(r);
}

// Long-value columns: their own usage maps, from `at` up to the 0xFFFF end mark.
void read_long_value_maps(Bytes b, std::size_t at, TableDefinition& t)
{
    t.long_value_offset = at;
    for (;;) {
        const std::uint16_t number = u16_at(b, at);
        if (number == kLongColumnListEnd) break;
        const RowPointer owned = RowPointer::from(u32_at(b, at + kLongColumnOwnedMapAt));
        const RowPointer free = RowPointer::from(u32_at(b, at + kLongColumnFreeMapAt));
        for (Column& c : t.columns)
            if (c.number == number) {
                c.long_value_owned_map = owned;
                c.long_value_free_map = free;
            }
        at += kLongColumnEntrySize;
    }
}

}  // namespace

std::vector<std::uint8_t> logical_table_definition(Pager& pager, std::uint32_t first)
{
    std::vector<std::uint8_t> out;
    std::unordered_set<std::uint32_t> seen;
    std::uint32_t next = first;
    while (next != 0) {
        require(seen.insert(next).second);
        const Page page = pager.page(next);
        const Bytes b = page.bytes();
        require(page_is(b, kPageTableDefinition));
        out.insert(out.end(), b.begin() + (out.empty() ? 0 : kTdefPageHeaderSize), b.end());
        next = le32(b.data() + kTdefNextAt);
    }
    return out;
}

TableDefinition read_table_definition(Pager& pager, std::uint32_t page)
{
    const Layout& l = pager.layout();
    const std::vector<std::uint8_t> buffer = logical_table_definition(pager, page);
    const Bytes b(buffer.data(), buffer.size());
    if (l.jet4()) require(u32_at(b, kJet4TdefMagicAt) == kTdefMagic);

    TableDefinition t;
    t.page = page;
    t.version = l.version;
    t.row_count = u32_at(b, l.tdef_row_count);
    t.last_autonumber = u32_at(b, l.tdef_autonumber);
    t.table_type = u8_at(b, l.tdef_table_type);
    t.max_cols = u16_at(b, l.tdef_max_cols);
    t.var_slots = u16_at(b, l.tdef_var_slots);
    const std::uint16_t num_cols = u16_at(b, l.tdef_num_cols);
    const std::uint32_t num_idx = u32_at(b, l.tdef_num_idx);
    const std::uint32_t num_real_idx = u32_at(b, l.tdef_num_real_idx);
    t.owned_map = RowPointer::from(u32_at(b, l.tdef_owned_map));
    t.free_map = RowPointer::from(u32_at(b, l.tdef_free_map));

    // Counts are bounded by the bytes they need, so nothing below allocates
    // more than the definition's own size allows.
    require(num_real_idx <= b.size() / l.real_index_size && num_idx <= b.size() / l.logical_index_size);
    require(num_cols <= kMaxColumns && num_cols <= b.size() / l.column_size);

    std::size_t at = l.tdef_variable_part + std::size_t{num_real_idx} * l.index_stats_size;
    read_columns(pager, b, num_cols, at, t);
    read_indexes(pager, b, num_real_idx, num_idx, at, t);
    read_long_value_maps(b, at, t);
    return t;
}

}  // namespace jet
