// Usage maps: which pages belong to a table, an index or a long-value column.
#pragma once

#include "jet/base/bytes.h"
#include "jet/pages/page.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace jet {

enum class UsageMapType : std::uint8_t { Inline = 0, Reference = 1 };

// The global map of free pages: page 1, row 0; a set bit means free.
inline constexpr RowPointer kGlobalMap{1, 0};

// The pages the map row at `map` marks, in ascending order. Every page is
// inside the file; a map that names a page past its end is damage.
std::vector<std::uint32_t> usage_map_pages(Pager& pager, RowPointer map);

// The same for a map row already at hand.
std::vector<std::uint32_t> usage_map_pages(Pager& pager, Bytes map_row);

// The bitmap pages a reference map row points at, in the row's order;
// none for an inline map.
std::vector<std::uint32_t> usage_map_bitmap_pages(Bytes map_row);

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

// What a map row holds for one page: its bit, or no bit, for a page below
// the first an inline map covers or past what the map covers (a reference
// map's range without a bitmap page among them). `bitmap_page` gives the
// bytes of the page with that number, or null where it cannot (no bit).
enum class MapBit : std::uint8_t { Clear, Set, Below, Past };
MapBit usage_map_bit(Bytes row, std::uint32_t page, std::uint32_t page_size,
                     const std::function<const std::vector<std::uint8_t>*(std::uint32_t)>& bitmap_page);

// The bitmap pages a map built afresh points at: each one's number and bytes.
using BitmapPages = std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>>;

// Fills `row` (zeroed first) as a `Used` map listing `pages` (ascending):
// inline, from the multiple of 8 at or below the first page, when they all
// fit its bitmap; else a reference map with a bitmap page numbered by
// `allocate` for every range that holds one of them. Null, with nothing
// allocated, when the row cannot hold the map.
std::optional<BitmapPages> build_usage_map(std::span<std::uint8_t> row, std::span<const std::uint32_t> pages,
                                           std::uint32_t page_size, const std::function<std::uint32_t()>& allocate);

// Writes the global map afresh for a file of `file_end` pages, of which
// those `in_use` says are used; pages below `lowest_free` are never free
// and those at or past the end always are. An inline row whose range starts
// no higher than `lowest_free` and reaches the end keeps its range and gets
// new bits; any other becomes a reference map with bitmap pages from
// `allocate` for the whole file, those pages included (they count as used,
// and may lengthen the file). Null when the row cannot point at them all;
// bitmap pages may have been numbered then.
std::optional<BitmapPages> build_free_map(std::span<std::uint8_t> row, std::uint32_t file_end,
                                          std::uint32_t lowest_free, const std::function<bool(std::uint32_t)>& in_use,
                                          std::uint32_t page_size, const std::function<std::uint32_t()>& allocate);

}  // namespace jet
