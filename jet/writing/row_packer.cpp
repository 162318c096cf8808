#include "jet/writing/row_packer.h"

#include "jet/base/error.h"
#include "jet/pages/page.h"
#include "jet/rows/row.h"

#include <algorithm>

namespace jet {

namespace {

[[noreturn]] void too_large() { throw error(kRecordTooLarge); }

struct Parts {
    std::size_t ncols = 0;
    std::vector<std::uint8_t> fixed;         // after the column count
    std::vector<std::vector<std::uint8_t>> var;  // one entry per variable slot
    std::vector<std::uint8_t> mask;
};

void append16(std::vector<std::uint8_t>& out, std::size_t v)
{
    out.resize(out.size() + 2);
    put16(out.data() + out.size() - 2, v);
}

std::vector<std::uint8_t> pack_jet4(const Parts& p, bool has_var)
{
    std::vector<std::uint8_t> out;
    append16(out, p.ncols);
    out.insert(out.end(), p.fixed.begin(), p.fixed.end());
    if (has_var) {
        std::vector<std::size_t> starts;
        for (const auto& v : p.var) {
            starts.push_back(out.size());
            out.insert(out.end(), v.begin(), v.end());
        }
        append16(out, out.size());  // end of the variable data
        for (std::size_t k = p.var.size(); k-- > 0;) append16(out, starts[k]);
        append16(out, p.var.size());
    }
    out.insert(out.end(), p.mask.begin(), p.mask.end());
    return out;
}

// Jet 3 offsets are single bytes; jump bytes count the kJet3RowJumpSpan boundaries
// the variable data crosses (see the reader in row.cpp).
std::vector<std::uint8_t> pack_jet3(const Parts& p, bool has_var)
{
    std::vector<std::uint8_t> out;
    out.push_back(static_cast<std::uint8_t>(p.ncols));
    out.insert(out.end(), p.fixed.begin(), p.fixed.end());
    if (!has_var) {
        out.insert(out.end(), p.mask.begin(), p.mask.end());
        return out;
    }
    std::vector<std::size_t> starts;
    for (const auto& v : p.var) {
        starts.push_back(out.size());
        out.insert(out.end(), v.begin(), v.end());
    }
    const std::size_t eod = out.size();
    starts.push_back(eod);
    const std::size_t nvar = p.var.size();
    std::size_t jumps = 0;
    for (;;) {
        const std::size_t len = eod + 1 + nvar + jumps + 1 + p.mask.size();
        const std::size_t need = (len - 1) / kJet3RowJumpSpan;
        if (need == jumps) break;
        jumps = need;
    }
    const std::size_t real = eod / kJet3RowJumpSpan < jumps ? jumps - 1 : jumps;
    if (real > 0 && eod < kJet3RowJumpSpan * real) too_large();  // a layout the format cannot express
    // EOD, slots nvar-1 .. 0, then the jump bytes from the farthest to the nearest.
    for (std::size_t k = nvar + 1; k-- > 0;) out.push_back(static_cast<std::uint8_t>(starts[k] & 0xFF));
    for (std::size_t m = jumps; m-- > 0;) {
        std::uint8_t b = 0xFF;
        if (m < real) {
            std::size_t k = 0;
            while (starts[k] < kJet3RowJumpSpan * (m + 1)) ++k;
            b = static_cast<std::uint8_t>(k);
        }
        out.push_back(b);
    }
    out.push_back(static_cast<std::uint8_t>(nvar));
    out.insert(out.end(), p.mask.begin(), p.mask.end());
    return out;
}

}  // namespace

std::size_t max_row_size(const Layout& layout) { return layout.page_size - layout.data_offsets - kSlotEntrySize; }

std::vector<std::uint8_t> repack_row(const TableDefinition& table, const Layout& layout, Bytes old,
                                     const std::vector<CellChange>& changes)
{
    RowSplitter splitter(table, layout);
    std::vector<RowCell> cells;
    splitter.split(old, cells);  // validates the old row

    const std::size_t head = layout.row_count_size;
    const std::size_t old_ncols = splitter.column_count();
    const std::size_t old_mask_size = (old_ncols + 7) / 8;
    const std::size_t mask_at = old.size() - old_mask_size;
    const bool has_var = table.var_slots > 0;

    Parts p;
    p.ncols = std::max<std::size_t>(old_ncols, table.max_cols);
    const std::size_t fixed_end = has_var ? splitter.var_offsets().front() : mask_at;
    require(fixed_end >= head && fixed_end <= mask_at);
    p.fixed.assign(old.begin() + head, old.begin() + fixed_end);
    std::size_t fixed_size = p.fixed.size();
    for (const Column& c : table.columns)
        if (c.fixed() && c.type != kTypeBoolean) fixed_size = std::max<std::size_t>(fixed_size, c.fixed_offset + c.length);
    p.fixed.resize(fixed_size, 0);

    if (has_var) {
        const std::vector<std::uint16_t>& at = splitter.var_offsets();
        const std::size_t old_nvar = at.size() - 1;
        p.var.resize(std::max<std::size_t>(old_nvar, table.var_slots));
        for (std::size_t k = 0; k < old_nvar; ++k) p.var[k].assign(old.begin() + at[k], old.begin() + at[k + 1]);
    }
    p.mask.assign(old.begin() + mask_at, old.end());
    p.mask.resize((p.ncols + 7) / 8, 0);
    for (std::size_t n = old_ncols; n < p.ncols; ++n)  // columns the old row was written without
        p.mask[n / 8] &= static_cast<std::uint8_t>(~(1u << (n % 8)));

    for (const CellChange& ch : changes) {
        const Column& c = *ch.column;
        const auto bit = static_cast<std::uint8_t>(1u << (c.number % 8));
        if (ch.present)
            p.mask[c.number / 8] |= bit;
        else
            p.mask[c.number / 8] &= static_cast<std::uint8_t>(~bit);
        if (c.type == kTypeBoolean) continue;
        if (c.fixed()) {
            std::fill(p.fixed.begin() + c.fixed_offset, p.fixed.begin() + c.fixed_offset + c.length, 0);
            if (ch.present) {
                require(ch.data.size() == c.length);
                std::copy(ch.data.begin(), ch.data.end(), p.fixed.begin() + c.fixed_offset);
            }
        } else {
            require(has_var && c.var_index < p.var.size());
            p.var[c.var_index].assign(ch.data.begin(), ch.data.end());
        }
    }

    std::vector<std::uint8_t> row = layout.jet4() ? pack_jet4(p, has_var) : pack_jet3(p, has_var);
    if (row.size() > max_row_size(layout) || (layout.jet4() && row.size() > kSlotOffsetMask)) too_large();
    return row;
}

}  // namespace jet
