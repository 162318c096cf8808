// The compaction that keeps every page number and row slot, for a source
// the rebuild (compact_rebuild.h) does not carry over: inside each data page
// the dead rows are dropped and the live ones packed again, an overflowed
// row is brought back into its original slot when that page has room for
// it, pages left with no live row leave their usage maps and become free,
// free pages are zeroed and those at the end are left out.
#pragma once

#include "jet/compaction/compact_result.h"
#include "jet/pages/page.h"

#include <cstdint>
#include <vector>

namespace jet::compaction {

// The pages of the new file, decoded, page 0 as read, without the free
// pages at its end. Throws Corrupt on damage; `result` gets the figures.
std::vector<std::vector<std::uint8_t>> keep_pages(Pager& pager, CompactResult& result);

}  // namespace jet::compaction
