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

// Reads rows of one table definition, which must stay as it is while the
// splitter is in use.
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

    // Each column as split() walks it, made at its first call: the few
    // figures it needs side by side instead of spread over the definition.
    struct Plan {
        std::uint32_t at;      // fixed: where in the row; variable: the slot
        std::uint16_t number;  // in the null mask
        std::uint16_t length;  // fixed only
        enum : std::uint8_t { kFlag, kFixed, kVariable } kind;
    };
    void make_plan();

    const TableDefinition* table_;
    const Layout* layout_;
    std::vector<Plan> plan_;
    std::vector<std::uint16_t> offsets_;  // var slot k starts at offsets_[k]; the last is EOD
    std::size_t var_end_ = 0;             // where the variable part must end
    std::size_t ncols_ = 0;               // the row's column count
};

}  // namespace jet
