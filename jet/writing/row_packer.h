// Laying out a row again with some of its columns changed.
#pragma once

#include "jet/base/bytes.h"
#include "jet/base/format.h"
#include "jet/rows/table_definition.h"

#include <cstdint>
#include <vector>

namespace jet {

// A column's new contents: NULL (or No), or present with the bytes it stores
// (none for Yes; the long-value header, and data kept in the row, for memo
// and OLE columns).
struct CellChange {
    const Column* column = nullptr;
    bool present = false;
    Bytes data;
};

// The longest row a data page can hold.
std::size_t max_row_size(const Layout& layout);

// The stored row `old` with the changed columns replaced, in the table's
// current layout: at least max_cols columns and var_slots variable slots,
// fixed space for every fixed column. Everything else of the old row is kept
// as it was: fixed bytes, the values of other (and deleted) columns, their
// null-mask bits. Variable data is packed without padding. Throws "Record is
// too large." when the row would not fit a page.
std::vector<std::uint8_t> repack_row(const TableDefinition& table, const Layout& layout, Bytes old,
                                     const std::vector<CellChange>& changes);

}  // namespace jet
