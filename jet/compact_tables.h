// What both ways of compacting read of a database as a whole: which tables
// it holds, and whether a copy reads as its source does.
#pragma once

#include "jet/page.h"

#include <cstdint>
#include <vector>

namespace jet::compaction {

// The definition pages of every local table in the catalogue, the
// catalogue's own first; entries that name no definition page are left out.
std::vector<std::uint32_t> table_pages(Pager& pager);

// Whether every table of `copy` reads as in `source`: the same tables, and
// the same rows in the same order, byte for byte but for where their long
// values lie, with the same long values. A copy is read back so before it
// is written.
bool reads_alike(Pager& source, Pager& copy);

}  // namespace jet::compaction
