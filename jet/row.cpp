#include "jet/row.h"

namespace jet {

void RowSplitter::read_var_offsets(Bytes r, std::size_t mask_at)
{
    const std::size_t len = r.size();
    offsets_.clear();
    if (layout_->jet4()) {
        require(mask_at >= 4);
        const std::size_t nvar = le16(r.data() + mask_at - 2);
        // slots 0..nvar lie below the count, two bytes each
        require(mask_at >= 2 + 2 + 2 * (nvar + 1));
        const std::size_t first = mask_at - 4;
        offsets_.resize(nvar + 1);
        for (std::size_t k = 0; k <= nvar; ++k) offsets_[k] = le16(r.data() + first - 2 * k);
        var_end_ = first - 2 * nvar;
        return;
    }
    // Jet 3: one-byte offsets; jump bytes add 256 for every slot at or past them.
    require(mask_at >= 2);
    const std::size_t nvar = r[mask_at - 1];
    const std::size_t jumps = (len - 1) / 256;
    require(mask_at >= 1 + 1 + jumps + nvar + 1);
    const std::size_t base = mask_at - 2 - jumps;  // slot 0
    const std::size_t real = ((base - nvar) / 256 < jumps) ? jumps - 1 : jumps;
    std::size_t used = 0;
    offsets_.resize(nvar + 1);
    for (std::size_t k = 0; k <= nvar; ++k) {
        while (used < real && r[mask_at - 2 - used] == k) ++used;
        offsets_[k] = static_cast<std::uint16_t>(r[base - k] + 256 * used);
    }
    var_end_ = base - nvar;
}

void RowSplitter::split(Bytes r, std::vector<RowCell>& cells)
{
    const std::size_t head = layout_->row_count_size;
    require(r.size() >= head);
    const std::size_t ncols = head == 2 ? le16(r.data()) : r[0];
    const std::size_t mask_size = (ncols + 7) / 8;
    require(r.size() >= head + mask_size);
    const std::size_t mask_at = r.size() - mask_size;
    const std::uint8_t* mask = r.data() + mask_at;

    std::size_t data_end = mask_at;
    const bool has_var = table_->var_slots > 0;
    if (has_var) {
        read_var_offsets(r, mask_at);
        data_end = var_end_;
    }

    const std::vector<Column>& columns = table_->columns;
    cells.resize(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        RowCell& cell = cells[i];
        cell.data = {};
        cell.present = c.number < ncols && (mask[c.number / 8] & (1u << (c.number % 8)));
        if (!cell.present || c.type == kTypeBoolean) continue;
        if (c.fixed()) {
            const std::size_t start = head + c.fixed_offset;
            require(start + c.length <= data_end);
            cell.data = r.subspan(start, c.length);
            continue;
        }
        if (!has_var || c.var_index + 1u >= offsets_.size()) {
            cell.present = false;  // the row was written before this column existed
            continue;
        }
        const std::size_t start = offsets_[c.var_index];
        const std::size_t end = offsets_[c.var_index + 1];
        require(start >= head && start <= end && end <= data_end);
        cell.data = r.subspan(start, end - start);
    }
}

}  // namespace jet
