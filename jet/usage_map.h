// Usage maps: which pages belong to a table, an index or a long-value column.
#pragma once

#include "jet/bytes.h"
#include "jet/page.h"

#include <cstdint>
#include <vector>

namespace jet {

enum class UsageMapType : std::uint8_t { Inline = 0, Reference = 1 };

// The pages the map row at `map` marks, in ascending order. Every page is
// inside the file; a map that names a page past its end is damage.
std::vector<std::uint32_t> usage_map_pages(Pager& pager, RowPointer map);

// The same for a map row already at hand.
std::vector<std::uint32_t> usage_map_pages(Pager& pager, Bytes map_row);

}  // namespace jet
