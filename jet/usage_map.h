// Usage maps: which pages belong to a table, an index or a long-value column.
#pragma once

#include "jet/bytes.h"
#include "jet/page.h"

#include <cstdint>
#include <functional>
#include <span>
#include <utility>
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

// A page appended for a reference map's bitmap: its number and its bytes,
// which the map fills in.
using NewBitmapPage = std::function<std::pair<std::uint32_t, std::vector<std::uint8_t>*>()>;

// Makes a map row that lists pages (not the global map) record `page` when
// set_usage_map_bit could not, with new bitmap pages from `allocate`. An
// inline map becomes a reference map of the same length: bytes 1.. become
// bitmap-page pointers (0 where there is none), and the bitmap pages mark
// what the inline map marked and `page`. A reference map gets the bitmap
// page of the range that holds `page`. Returns false, with the row as it was
// and nothing allocated, when the row cannot point at every bitmap page it
// would need.
bool extend_usage_map(std::span<std::uint8_t> row, std::uint32_t page, std::uint32_t page_size,
                      const NewBitmapPage& allocate);

}  // namespace jet
