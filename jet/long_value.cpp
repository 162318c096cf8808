#include "jet/long_value.h"

#include <unordered_set>

namespace jet {

namespace {

// Read afresh, not from the cache: other users add rows to LVAL pages, and
// a row that was read just now may point to one a cached copy lacks.
Bytes lval_row(Pager& pager, RowPointer at, Page& keep)
{
    keep = pager.fresh_page(at.page);
    const DataPage page(keep, pager.layout());
    require(page.owner() == kLvalOwner);
    return pointed_row(page, at.row);
}

}  // namespace

void read_long_value(Pager& pager, Bytes stored, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (stored.empty()) return;
    require(stored.size() >= kLongValueHeaderSize);
    const std::uint32_t word = le32(stored.data() + kLongValueWordAt);
    const std::size_t length = word & kLongValueLengthMask;
    const auto form = static_cast<LongValueForm>(word & ~kLongValueLengthMask);
    // No value can be longer than the file that holds it.
    require(length <= static_cast<std::uint64_t>(pager.page_count()) * pager.page_size());

    if (form == LongValueForm::Inline) {
        require(length <= stored.size() - kLongValueHeaderSize);
        out.assign(stored.begin() + kLongValueHeaderSize, stored.begin() + kLongValueHeaderSize + length);
        return;
    }
    Page keep;
    RowPointer at = RowPointer::from(le32(stored.data() + kLongValuePointerAt));
    if (form == LongValueForm::SingleRow) {
        const Bytes row = lval_row(pager, at, keep);
        require(length <= row.size());
        out.assign(row.begin(), row.begin() + length);
        return;
    }
    require(form == LongValueForm::Chain);
    out.reserve(length);
    std::unordered_set<std::uint32_t> seen;
    while (out.size() < length) {
        require(at.raw() != 0 && seen.insert(at.raw()).second);
        const Bytes row = lval_row(pager, at, keep);
        require(row.size() >= kLvalChainDataAt);
        const std::size_t take = std::min(row.size() - kLvalChainDataAt, length - out.size());
        out.insert(out.end(), row.begin() + kLvalChainDataAt, row.begin() + kLvalChainDataAt + take);
        at = RowPointer::from(le32(row.data() + kLvalChainNextAt));
    }
}

}  // namespace jet
