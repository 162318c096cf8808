#include "jet/compaction/compact_tables.h"

#include "jet/base/bytes.h"
#include "jet/reading/catalogue.h"
#include "jet/reading/cursor.h"
#include "jet/base/error.h"
#include "jet/rows/long_value.h"
#include "jet/rows/row.h"
#include "jet/rows/table_definition.h"
#include "jet/reading/table_scan.h"
#include "jet/base/value.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>

namespace jet::compaction {

std::vector<std::uint32_t> table_pages(Pager& pager)
{
    const TableDefinition objects = read_table_definition(pager, kCatalogPage);
    std::vector<std::size_t> columns;
    for (const char* name : {"Id", "Type"}) {
        const Column* c = objects.find(name);
        require(c != nullptr);
        columns.push_back(static_cast<std::size_t>(c - objects.columns.data()));
    }
    Snapshot rows = read_snapshot(pager, objects, columns, UINT64_MAX);
    std::vector<std::uint32_t> out{kCatalogPage};
    for (; !rows.is_eof(); rows.move_next()) {
        const Value id = rows.value(0);
        const Value type = rows.value(1);
        if (id.kind() != ValueKind::Long || type.kind() != ValueKind::Integer) continue;
        if (type.integer() != kObjectTable) continue;
        const std::uint32_t page = static_cast<std::uint32_t>(id.long_integer()) & kObjectIdPageMask;
        if (page <= kCatalogPage || page >= pager.page_count() || pager.page(page).type() != kPageTableDefinition) continue;
        if (std::find(out.begin(), out.end(), page) == out.end()) out.push_back(page);
    }
    return out;
}


namespace {

// A 64-bit digest taken eight bytes at a time (in four lanes over longer runs).
class Digest {
public:
    void add(std::uint64_t word) { hash_ = mix(hash_, word); }
    void add(const std::uint8_t* data, std::size_t size)
    {
        add(size);
        if (size >= 32) {
            // Four lanes side by side, each word's multiplication waiting only
            // on its own lane's, then taken in one after the other. Every step
            // of a lane is one to one, so a changed word changes its lane.
            std::uint64_t lane[4] = {hash_, hash_ + 1, hash_ + 2, hash_ + 3};
            for (; size >= 32; data += 32, size -= 32)
                for (int k = 0; k < 4; ++k) {
                    std::uint64_t word;
                    std::memcpy(&word, data + 8 * k, 8);
                    lane[k] = mix(lane[k], word);
                }
            for (const std::uint64_t l : lane) add(l);
        }
        for (; size >= 8; data += 8, size -= 8) {
            std::uint64_t word;
            std::memcpy(&word, data, 8);
            add(word);
        }
        std::uint64_t tail = 0;
        std::memcpy(&tail, data, size);
        add(tail);
    }
    void add(std::string_view text) { add(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()); }
    std::uint64_t value() const { return hash_; }

private:
    static std::uint64_t mix(std::uint64_t hash, std::uint64_t word)
    {
        hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
        return hash ^ (hash >> 29);
    }

    std::uint64_t hash_ = 0xCBF29CE484222325ull;
};

std::uint64_t shape_of(const TableDefinition& t)
{
    Digest d;
    d.add(t.columns.size());
    for (const Column& c : t.columns) {
        d.add(c.name);
        for (const std::uint64_t field : {std::uint64_t{c.type}, std::uint64_t{c.number}, std::uint64_t{c.var_index},
                                          std::uint64_t{c.fixed_offset}, std::uint64_t{c.length},
                                          std::uint64_t{c.flags}, std::uint64_t{c.extended_flags},
                                          std::uint64_t{c.precision}, std::uint64_t{c.scale}, std::uint64_t{c.lcid},
                                          std::uint64_t{c.code_page}})
            d.add(field);
    }
    d.add(t.real_indexes.size());
    for (const RealIndex& index : t.real_indexes) {
        d.add(std::uint64_t{index.flags});
        for (const IndexColumn& c : index.columns) d.add(std::uint64_t{c.number} << 1 | (c.ascending ? 1 : 0));
    }
    return d.value();
}

// Digests rows of one table: the row's bytes with the pointers of its long
// values zeroed (they differ between a copy and its source), then the long
// values.
class RowDigests {
public:
    explicit RowDigests(const TableDefinition& t)
    {
        for (std::size_t i = 0; i < t.columns.size(); ++i)
            if (t.columns[i].long_value()) long_columns_.push_back(i);
    }
    const std::vector<std::size_t>& long_columns() const { return long_columns_; }

    std::uint64_t digest(Bytes row, const std::vector<RowCell>& cells,
                         std::span<const std::vector<std::uint8_t>> long_values)
    {
        Digest d;
        if (long_columns_.empty()) {
            d.add(row.data(), row.size());
            return d.value();
        }
        scratch_.assign(row.begin(), row.end());
        for (const std::size_t c : long_columns_) {
            const RowCell& cell = cells[c];
            if (!cell.present || cell.data.size() < kLongValueHeaderSize) continue;
            const auto at = static_cast<std::size_t>(cell.data.data() - row.data()) + kLongValuePointerAt;
            std::fill_n(scratch_.begin() + static_cast<std::ptrdiff_t>(at), kRowPointerSize, std::uint8_t{0});
        }
        d.add(scratch_.data(), scratch_.size());
        for (const std::vector<std::uint8_t>& v : long_values) d.add(v.data(), v.size());
        return d.value();
    }

private:
    std::vector<std::size_t> long_columns_;
    std::vector<std::uint8_t> scratch_;
};

// The local tables as the reader finds them, each with `read_rows` filling
// in its row digests.
template <class ReadRows> std::vector<TableDigests> read_tables(Pager& pager, ReadRows read_rows)
{
    std::vector<TableDigests> out;
    for (const CatalogueEntry& entry : read_catalogue(pager)) {
        if (entry.linked()) continue;
        const TableDefinition table = read_table_definition(pager, entry.definition_page());
        TableDigests t{entry.name, entry.definition_page(), shape_of(table), {}};
        read_rows(table, t.rows);
        out.push_back(std::move(t));
    }
    return out;
}

}  // namespace

std::vector<TableDigests> read_checked(Pager& pager)
{
    return read_tables(pager, [&](const TableDefinition& table, std::vector<std::uint64_t>& rows) {
        RowDigests digests(table);
        check_records(pager, table,
                      [&](Bytes row, const std::vector<RowCell>& cells,
                          std::span<const std::vector<std::uint8_t>> long_values) {
                          rows.push_back(digests.digest(row, cells, long_values));
                      });
    });
}

std::vector<TableDigests> read_stored(Pager& pager)
{
    return read_tables(pager, [&](const TableDefinition& table, std::vector<std::uint64_t>& rows) {
        RowDigests digests(table);
        RowSplitter splitter(table, pager.layout());
        std::vector<RowCell> cells;
        std::vector<std::vector<std::uint8_t>> long_values;
        scan_rows(pager, table, [&](Bytes row) {
            std::size_t n = 0;
            if (!digests.long_columns().empty()) {
                splitter.split(row, cells);
                for (const std::size_t c : digests.long_columns()) {
                    if (!cells[c].present) continue;
                    if (long_values.size() <= n) long_values.resize(n + 1);
                    read_long_value(pager, cells[c].data, long_values[n++], LvalPages::Cached);
                }
            }
            rows.push_back(digests.digest(row, cells, std::span(long_values.data(), n)));
            return true;
        });
    });
}

}  // namespace jet::compaction
