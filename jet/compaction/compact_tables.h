// What both ways of compacting read of a database as a whole: which tables
// it holds, and whether a copy reads as its source does.
#pragma once

#include "jet/pages/page.h"

#include <cstdint>
#include <string>
#include <vector>

namespace jet::compaction {

// The definition pages of every local table in the catalogue, the
// catalogue's own first; entries that name no definition page are left out.
std::vector<std::uint32_t> table_pages(Pager& pager);

// A local table as compaction compares a copy with its source: its name,
// its definition page, a digest of its definition's columns and real
// indexes (not of where its pages lie) and, record by record in storage
// order, a digest of the stored row (its long values' pointers left out)
// and of its long values. A copy whose tables give the same figures holds
// the same rows byte for byte, and so reads as its source does.
struct TableDigests {
    std::string name;  // UTF-8
    std::uint32_t page = 0;
    std::uint64_t shape = 0;
    std::vector<std::uint64_t> rows;
    bool operator==(const TableDigests&) const = default;
};

// Every local table of the catalogue, read as the database reader reads it
// (the catalogue, each definition, every value of every record), refusing
// what the reader refuses with Corrupt, and its figures.
std::vector<TableDigests> read_checked(Pager& pager);

// The same figures from the stored rows and long values alone, without
// decoding the other values: for a copy, whose rows are to be the source's.
// Corrupt where its rows or long values cannot be read.
std::vector<TableDigests> read_stored(Pager& pager);

}  // namespace jet::compaction
