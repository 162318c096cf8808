// Finding room for a new row (an overflow copy of a row, a long value): a
// page of the same owner with space, or a page appended to the file.
#pragma once

#include "jet/base/bytes.h"
#include "jet/writing/held_pages.h"
#include "jet/pages/page.h"

#include <cstdint>

namespace jet {

// The usage maps that list an owner's pages.
struct PageMaps {
    RowPointer owned;
    RowPointer free;
};

// Puts `row` into a new slot flagged `flags` on a page of `owner` (a table's
// definition page, or kLvalOwner) listed in `maps.owned`: one with room whose
// lock is free, and that this change does not hold already; else on a page
// appended to the file. The page is written before this returns; a new page
// is then recorded in the global map and in the owner's maps, in that order.
// An owned map or a global map whose range cannot take a new page gets
// bitmap pages (an inline map turns into a reference map), appended and
// written after the data page and before the maps; the global map marks them
// used too. Throws "System resource exceeded." when the owned map's or the
// global map's row cannot point at the bitmap pages it would need.
RowPointer place_row(Pager& pager, HeldPages& held, std::uint32_t owner, const PageMaps& maps, Bytes row,
                     std::uint16_t flags);

}  // namespace jet
