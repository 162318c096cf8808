// Usage maps: which pages belong to a table, an index or a long-value column.
#pragma once

#include "jet/bytes.h"
#include "jet/page.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace jet {

enum class UsageMapType : std::uint8_t { Inline = 0, Reference = 1 };

// The pages the map row at `map` marks, in ascending order. Every page is
// inside the file; a map that names a page past its end is damage.
std::vector<std::uint32_t> usage_map_pages(Pager& pager, RowPointer map);

// The same for a map row already at hand.
std::vector<std::uint32_t> usage_map_pages(Pager& pager, Bytes map_row);

// Sets (`value` true) or clears the bit of `page` in a map row, in place. An
// inline map whose range does not reach the page is moved to start lower
// when all its pages and the new one then fit. A reference map's bitmap
// pages are changed through `bitmap_page`, which gives the bytes of the page
// with that number (null when it cannot). Returns false when the map cannot
// record the page; clearing a bit outside an inline map's range does nothing.
bool set_usage_map_bit(std::span<std::uint8_t> row, std::uint32_t page, bool value, std::uint32_t page_size,
                       const std::function<std::vector<std::uint8_t>*(std::uint32_t)>& bitmap_page);

}  // namespace jet
