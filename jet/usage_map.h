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

// What a map's set bit says of a page: that the map lists it (an owner's
// maps), or that the page is free (the global map, page 1 row 0, where a
// page the map does not reach counts as free too).
enum class MapBits : std::uint8_t { Used, Free };

// Sets (`value` true) or clears the bit of `page` in a map row, in place. A
// page the map does not reach already reads as an unset bit (`Used`) or a
// set one (`Free`); giving it that value does nothing and succeeds. Else an
// inline `Used` map whose range does not reach the page is moved to start
// lower when all its pages and the new one then fit; a `Free` map's range is
// never moved, as the pages leaving it would count as free. A reference
// map's bitmap pages are changed through `bitmap_page`, which gives the
// bytes of the page with that number (null when it cannot). Returns false
// when the map cannot record the page.
bool set_usage_map_bit(std::span<std::uint8_t> row, std::uint32_t page, bool value, std::uint32_t page_size,
                       const std::function<std::vector<std::uint8_t>*(std::uint32_t)>& bitmap_page,
                       MapBits bits = MapBits::Used);

// A page appended for a reference map's bitmap: its number and its bytes,
// which the map fills in.
using NewBitmapPage = std::function<std::pair<std::uint32_t, std::vector<std::uint8_t>*>()>;

// Makes a map row record `page` (listed for a `Used` map, used for a `Free`
// one) when set_usage_map_bit could not, with new bitmap pages from
// `allocate`. An inline map becomes a reference map of the same length:
// bytes 1.. become bitmap-page pointers (0 where there is none), and the
// bitmap pages say what the inline map said, and mark `page`. A reference
// map gets the bitmap page of the range that holds `page`.
//
// The bitmap pages of a `Free` map start with every bit set, and mark as
// used: `page`, the pages the inline map marked used that lie below
// `file_end`, every page below `file_end` the map did not reach before
// (someone appended it; it is taken to be in use), and those of the new
// bitmap pages that fall in the ranges made here. Pages at or past
// `file_end` are free. New bitmap pages in other ranges are left for the
// caller to mark.
//
// Returns false, with the row as it was and nothing allocated, when the row
// cannot point at every bitmap page it would need.
bool extend_usage_map(std::span<std::uint8_t> row, std::uint32_t page, std::uint32_t page_size,
                      const NewBitmapPage& allocate, MapBits bits = MapBits::Used, std::uint32_t file_end = 0);

}  // namespace jet
