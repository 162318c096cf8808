#include "jet/compact_tables.h"

#include "jet/bytes.h"
#include "jet/catalogue.h"
#include "jet/cursor.h"
#include "jet/error.h"
#include "jet/long_value.h"
#include "jet/row.h"
#include "jet/table_definition.h"
#include "jet/table_scan.h"
#include "jet/value.h"

#include <algorithm>

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

// A row with the long-value pointers of its memo and OLE columns zeroed,
// and those values as they read.
struct ComparableRow {
    std::vector<std::uint8_t> bytes;
    std::vector<std::vector<std::uint8_t>> long_values;
};

ComparableRow comparable(Pager& pager, RowSplitter& splitter, const std::vector<std::size_t>& long_columns,
                         std::vector<RowCell>& cells, Bytes row)
{
    ComparableRow out{std::vector<std::uint8_t>(row.begin(), row.end()), {}};
    if (long_columns.empty()) return out;
    splitter.split(row, cells);
    for (const std::size_t c : long_columns) {
        const RowCell& cell = cells[c];
        if (!cell.present || cell.data.size() < kLongValueHeaderSize) continue;
        std::fill_n(out.bytes.begin() + (cell.data.data() - row.data()) + kLongValuePointerAt, kRowPointerSize,
                    std::uint8_t{0});
        out.long_values.emplace_back();
        read_long_value(pager, cell.data, out.long_values.back());
    }
    return out;
}

}  // namespace

bool reads_alike(Pager& source, Pager& copy)
{
    try {
        const std::vector<std::uint32_t> tables = table_pages(source);
        if (table_pages(copy) != tables) return false;
        std::vector<RowCell> cells;
        for (const std::uint32_t page : tables) {
            const TableDefinition a = read_table_definition(source, page);
            const TableDefinition b = read_table_definition(copy, page);
            if (a.columns.size() != b.columns.size() || a.real_indexes.size() != b.real_indexes.size()) return false;
            std::vector<std::size_t> long_columns;
            for (std::size_t i = 0; i < a.columns.size(); ++i)
                if (a.columns[i].long_value()) long_columns.push_back(i);
            RowSplitter split_a(a, source.layout()), split_b(b, copy.layout());
            std::vector<ComparableRow> rows;
            scan_rows(source, a, [&](Bytes row) {
                rows.push_back(comparable(source, split_a, long_columns, cells, row));
                return true;
            });
            std::size_t at = 0;
            bool alike = true;
            scan_rows(copy, b, [&](Bytes row) {
                const ComparableRow mine = comparable(copy, split_b, long_columns, cells, row);
                alike = at < rows.size() && mine.bytes == rows[at].bytes && mine.long_values == rows[at].long_values;
                ++at;
                return alike;
            });
            if (!alike || at != rows.size()) return false;
        }
        return true;
    } catch (const Corrupt&) {
        return false;
    } catch (const Error&) {
        return false;
    }
}


}  // namespace jet::compaction
