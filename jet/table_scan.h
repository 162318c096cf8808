// The rows of a table in storage order: the pages of its owned map in page
// order, each page's slots in slot order; an overflowed row is read at its
// original slot, deleted rows and overflow copies are skipped.
#pragma once

#include "jet/bytes.h"
#include "jet/page.h"
#include "jet/table_definition.h"

#include <functional>

namespace jet {

// Calls `visit` with each live row's bytes (valid during the call) until it returns false.
void scan_rows(Pager& pager, const TableDefinition& table, const std::function<bool(Bytes)>& visit);

}  // namespace jet
