#include "jet/rows/row.h"

namespace jet {

std::size_t RowSplitter::jet4_slots(Bytes r, std::size_t mask_at, std::size_t& first)
{
    constexpr std::size_t size = kJet4Layout.row_var_size;  // two bytes, read with le16
    require(mask_at >= kJet4Layout.row_count_size + size);
    const std::size_t nvar = le16(r.data() + mask_at - size);
    // slots 0..nvar lie below the count, above the column count
    require(mask_at >= kJet4Layout.row_count_size + size + size * (nvar + 1));
    first = mask_at - 2 * size;
    return nvar;
}

void RowSplitter::read_var_offsets(Bytes r, std::size_t mask_at)
{
    const std::size_t len = r.size();
    offsets_.clear();
    if (layout_->jet4()) {
        constexpr std::size_t size = kJet4Layout.row_var_size;
        std::size_t first = 0;
        const std::size_t nvar = jet4_slots(r, mask_at, first);
        offsets_.resize(nvar + 1);
        for (std::size_t k = 0; k <= nvar; ++k) offsets_[k] = le16(r.data() + first - size * k);
        var_end_ = first - size * nvar;
        return;
    }
    // Jet 3: one-byte offsets; jump bytes add 256 for every slot at or past them.
    constexpr std::size_t size = kJet3Layout.row_var_size;  // one byte
    require(mask_at >= kJet3Layout.row_count_size + size);
    const std::size_t nvar = r[mask_at - size];
    const std::size_t jumps = (len - 1) / kJet3RowJumpSpan;
    require(mask_at >= kJet3Layout.row_count_size + size + jumps + size * (nvar + 1));
    const std::size_t base = mask_at - size - jumps - size;  // slot 0, below the count and the jump bytes
    const std::size_t real = ((base - nvar) / kJet3RowJumpSpan < jumps) ? jumps - 1 : jumps;
    std::size_t used = 0;
    offsets_.resize(nvar + 1);
    for (std::size_t k = 0; k <= nvar; ++k) {
        while (used < real && r[mask_at - size - 1 - used] == k) ++used;  // jump byte `used`
        offsets_[k] = static_cast<std::uint16_t>(r[base - k] + kJet3RowJumpSpan * used);
    }
    var_end_ = base - nvar;
}

std::size_t RowSplitter::read_head(Bytes r, std::size_t& mask_at) const
{
    require(r.size() >= layout_->row_count_size);
    const std::size_t ncols = layout_->jet4() ? le16(r.data()) : r[0];
    const std::size_t mask_size = (ncols + 7) / 8;
    require(r.size() >= layout_->row_count_size + mask_size);
    mask_at = r.size() - mask_size;
    return ncols;
}

RowCell RowSplitter::cell(Bytes r, const Column& c)
{
    std::size_t mask_at = 0;
    const std::size_t ncols = read_head(r, mask_at);
    RowCell cell;
    cell.present = c.number < ncols && (r[mask_at + c.number / 8] & (1u << (c.number % 8)));
    if (!cell.present || c.type == kTypeBoolean) return cell;
    const std::size_t head = layout_->row_count_size;
    std::size_t data_end = mask_at;
    std::size_t start = 0, end = 0;
    bool in_row = c.fixed();
    if (table_->var_slots > 0) {
        if (layout_->jet4()) {
            // Only the two offsets the column needs.
            constexpr std::size_t size = kJet4Layout.row_var_size;
            std::size_t first = 0;
            const std::size_t nvar = jet4_slots(r, mask_at, first);
            data_end = first - size * nvar;
            if (!c.fixed() && c.var_index + 1u <= nvar) {
                in_row = true;
                start = le16(r.data() + first - size * c.var_index);
                end = le16(r.data() + first - size * (c.var_index + 1u));
            }
        } else {
            read_var_offsets(r, mask_at);
            data_end = var_end_;
            if (!c.fixed() && c.var_index + 1u < offsets_.size()) {
                in_row = true;
                start = offsets_[c.var_index];
                end = offsets_[c.var_index + 1];
            }
        }
    }
    if (c.fixed()) {
        const std::size_t at = head + c.fixed_offset;
        require(at + c.length <= data_end);
        cell.data = r.subspan(at, c.length);
        return cell;
    }
    if (!in_row) {
        cell.present = false;  // the row was written before this column existed
        return cell;
    }
    require(start >= head && start <= end && end <= data_end);
    cell.data = r.subspan(start, end - start);
    return cell;
}

void RowSplitter::make_plan()
{
    const std::vector<Column>& columns = table_->columns;
    plan_.resize(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        Plan& p = plan_[i];
        p.number = c.number;
        p.length = c.length;
        if (c.type == kTypeBoolean) {
            p.kind = Plan::kFlag;
            p.at = 0;
        } else if (c.fixed()) {
            p.kind = Plan::kFixed;
            p.at = static_cast<std::uint32_t>(layout_->row_count_size + c.fixed_offset);
        } else {
            p.kind = Plan::kVariable;
            p.at = c.var_index;
        }
    }
}

void RowSplitter::split(Bytes r, std::vector<RowCell>& cells)
{
    if (plan_.size() != table_->columns.size()) make_plan();
    const std::size_t head = layout_->row_count_size;
    std::size_t mask_at = 0;
    const std::size_t ncols = read_head(r, mask_at);
    ncols_ = ncols;
    const std::uint8_t* mask = r.data() + mask_at;

    std::size_t data_end = mask_at;
    std::size_t slots = 0;  // variable slots the row has offsets for
    if (table_->var_slots > 0) {
        read_var_offsets(r, mask_at);
        data_end = var_end_;
        slots = offsets_.size() - 1;
    }

    cells.resize(plan_.size());
    RowCell* cell = cells.data();
    for (const Plan& p : plan_) {
        RowCell& out = *cell++;
        out.data = {};
        out.present = p.number < ncols && (mask[p.number / 8] & (1u << (p.number % 8)));
        if (!out.present) continue;
        if (p.kind == Plan::kFixed) {
            require(p.at + std::size_t{p.length} <= data_end);
            out.data = Bytes(r.data() + p.at, p.length);
        } else if (p.kind == Plan::kVariable) {
            if (p.at >= slots) {
                out.present = false;  // the row was written before this column existed
                continue;
            }
            const std::size_t start = offsets_[p.at];
            const std::size_t end = offsets_[p.at + 1u];
            require(start >= head && start <= end && end <= data_end);
            out.data = Bytes(r.data() + start, end - start);
        }
    }
}

}  // namespace jet
