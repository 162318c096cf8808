// The full rebuild behind compaction: a new page image of the database with
// its pages numbered densely, every table's live rows packed again (rows that
// had moved to overflow copies stored whole in their place, deleted and
// orphaned rows gone), long values packed per column, index pages carried
// over with every page and row reference rewritten, and every usage map
// written afresh.
//
// Table definition pages keep their numbers: a table's object Id in the
// catalogue is its definition page, and the catalogue with its primary key,
// the access-control entries with their index, foreign-key definitions and
// application tables beyond the engine's knowledge all hold that Id. Keeping
// those few pages in place leaves every Id, every key built from one and
// every foreign-key page reference valid; all other pages are numbered
// densely around them (the gaps left below a late table's definition page
// stay free).
//
// Rows of one table are given their new places in their old order, so row
// pointers keep their order and the index entries of equal keys (ordered by
// row pointer) stay sorted without any key being re-encoded.
#pragma once

#include "jet/compaction/compact_result.h"
#include "jet/pages/page.h"

#include <cstdint>
#include <vector>

namespace jet::compaction {

// The rebuild met a layout it does not carry over (an index page that would
// no longer hold its entries, an index entry naming no live row, ...). The
// caller falls back to the page-keeping compaction (compact_keep.h).
struct Unsupported {};

// The pages of the new file, decoded, page 0 as read. Throws Corrupt on
// damage and Unsupported as above; `result` gets the figures.
std::vector<std::vector<std::uint8_t>> rebuild(Pager& pager, CompactResult& result);

}  // namespace jet::compaction
