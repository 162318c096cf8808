// What a compaction did, in figures.
#pragma once

#include <cstdint>

namespace jet {

struct CompactResult {
    std::uint32_t source_pages = 0;
    std::uint32_t pages = 0;             // pages of the new file
    std::uint32_t rows_reclaimed = 0;    // deleted and orphaned rows whose bytes went
    std::uint32_t rows_brought_home = 0; // overflowed rows stored whole again
    std::uint32_t pages_freed = 0;       // pages the copy does without
    bool renumbered = false;             // rebuilt with dense page numbers (else every page kept its number)
};

}  // namespace jet
