// The rows of a table in storage order: the pages of its owned map in page
// order, each page's slots in slot order; an overflowed row is read at its
// original slot, deleted rows and overflow copies are skipped.
#pragma once

#include "jet/base/bytes.h"
#include "jet/pages/page.h"
#include "jet/rows/table_definition.h"

#include <functional>
#include <vector>

namespace jet {

// Calls `visit` with each live row's bytes (valid during the call) until it returns false.
void scan_rows(Pager& pager, const TableDefinition& table, const std::function<bool(Bytes)>& visit);

// Where each live row of the table sits (its original slot, the one indexes
// name), in storage order, up to `top` rows.
std::vector<RowPointer> scan_row_locations(Pager& pager, const TableDefinition& table, std::uint64_t top);

// The bytes of the row whose original slot is `at`, following an overflow
// pointer; false when that slot holds no live row (deleted, or not a row of
// the table). Reads each page afresh; a pointer that leads to a row moved
// on meanwhile is followed again from a fresh copy of the first page.
bool read_row_at(Pager& pager, const TableDefinition& table, RowPointer at, Page& keep, Bytes& row);

}  // namespace jet
