#include "jet/rows/long_value.h"

#include <algorithm>

namespace jet {

LongValueHeader long_value_header(const Pager& pager, Bytes stored)
{
    require(stored.size() >= kLongValueHeaderSize);
    const std::uint32_t word = le32(stored.data() + kLongValueWordAt);
    LongValueHeader h;
    h.length = word & kLongValueLengthMask;
    h.form = static_cast<LongValueForm>(word & ~kLongValueLengthMask);
    h.first = RowPointer::from(le32(stored.data() + kLongValuePointerAt));
    require(h.form == LongValueForm::Inline || h.form == LongValueForm::SingleRow || h.form == LongValueForm::Chain);
    // No value can be longer than the file that holds it.
    require(h.length == 0 || pager.reaches((h.length - 1) / pager.page_size()));
    if (h.form == LongValueForm::Inline) require(h.length <= stored.size() - kLongValueHeaderSize);
    return h;
}

LvalRows::LvalRows(Pager& pager, const LongValueHeader& header, LvalPages pages)
    : pager_(pager), header_(header), pages_(pages), next_(header.first)
{
    invariant(header.form != LongValueForm::Inline, "an inline long value has no LVAL rows to walk");
}

bool LvalRows::next()
{
    const bool single = header_.form == LongValueForm::SingleRow;
    if (single ? started_ : collected_ >= header_.length) return false;
    started_ = true;
    if (!single) require(next_.raw() != 0 && seen_.insert(next_.raw()).second);
    at_ = next_;
    // Read afresh unless the file is ours alone: other users add rows to
    // LVAL pages, and a row that was read just now may point to one a
    // cached copy lacks.
    keep_ = pages_ == LvalPages::Fresh ? pager_.fresh_page(at_.page) : pager_.page(at_.page);
    const DataPage page(keep_, pager_.layout());
    require(page.owner() == kLvalOwner);
    row_ = pointed_row(page, at_.row);
    if (single) {
        require(header_.length <= row_.size());
        data_ = row_.first(header_.length);
        return true;
    }
    require(row_.size() >= kLvalChainDataAt);
    const std::size_t take = std::min(row_.size() - kLvalChainDataAt, header_.length - collected_);
    data_ = row_.subspan(kLvalChainDataAt, take);
    collected_ += take;
    next_ = RowPointer::from(le32(row_.data() + kLvalChainNextAt));
    return true;
}

void read_long_value(Pager& pager, Bytes stored, std::vector<std::uint8_t>& out, LvalPages pages)
{
    out.clear();
    if (stored.empty()) return;
    const LongValueHeader header = long_value_header(pager, stored);
    if (header.form == LongValueForm::Inline) {
        const Bytes data = stored.subspan(kLongValueHeaderSize, header.length);
        out.assign(data.begin(), data.end());
        return;
    }
    out.reserve(header.length);
    LvalRows rows(pager, header, pages);
    while (rows.next()) out.insert(out.end(), rows.data().begin(), rows.data().end());
}

}  // namespace jet
