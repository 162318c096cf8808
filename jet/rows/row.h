// A stored row split into its columns: fixed area, variable part and null mask.
#pragma once

#include "jet/base/bytes.h"
#include "jet/base/format.h"
#include "jet/rows/table_definition.h"

#include <vector>

namespace jet {

// One column of one row as stored: absent (NULL, or false for a yes/no
// column), or present with its bytes (none for a yes/no column).
struct RowCell {
    bool present = false;
    Bytes data;
};

class RowSplitter {
public:
    RowSplitter(const TableDefinition& table, const Layout& layout) : table_(&table), layout_(&layout) {}

    // Fills `cells` (one per column of the definition, in its order). A column
    // the row was written without reads as absent. Corrupt if the row's own
    // counts and offsets do not fit inside it.
    void split(Bytes row, std::vector<RowCell>& cells);
    // One column of the row, as split() gives it, found without splitting
    // the others: what an update of one field compares costs the same in a
    // row of 20 columns and one of 240. Checks the counts and offsets that
    // column depends on; Corrupt where they do not fit inside the row.
    RowCell cell(Bytes row, const Column& column);
    // After split() of a row of a table with variable columns: where each of
    // the row's variable slots starts, the last entry being the end of the
    // variable data.
    const std::vector<std::uint16_t>& var_offsets() const { return offsets_; }
    // After split(): the column count the row itself gives, which covers its null mask.
    std::size_t column_count() const { return ncols_; }

private:
    // The column count, and where the null mask starts.
    std::size_t read_head(Bytes row, std::size_t& mask_at) const;
    void read_var_offsets(Bytes row, std::size_t mask_at);
    // Jet 4: the number of variable slots, checked to fit below the mask,
    // and where slot 0's offset lies.
    static std::size_t jet4_slots(Bytes row, std::size_t mask_at, std::size_t& first);

    const TableDefinition* table_;
    const Layout* layout_;
    std::vector<std::uint16_t> offsets_;  // var slot k starts at offsets_[k]; the last is EOD
    std::size_t var_end_ = 0;             // where the variable part must end
    std::size_t ncols_ = 0;               // the row's column count
};

}  // namespace jet
