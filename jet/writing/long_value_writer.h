// Writing a memo or OLE value: kept in the row, in one LVAL row, or in a
// chain of LVAL rows on the column's own pages.
#pragma once

#include "jet/base/bytes.h"
#include "jet/writing/held_pages.h"
#include "jet/pages/page.h"
#include "jet/rows/table_definition.h"

#include <cstdint>
#include <vector>

namespace jet {

// Values up to this many bytes are kept in the row when the row has room.
inline constexpr std::size_t kLongValueInRowLimit = 64;

// What the row stores for `data`: nothing for an empty value; the 12-byte
// header followed by the data when `in_row`; otherwise the header of data
// written onto LVAL pages of the column (one row when it fits a page, else
// a chain), written before this returns.
std::vector<std::uint8_t> write_long_value(Pager& pager, HeldPages& held, const Column& column, Bytes data,
                                           bool in_row);

}  // namespace jet
