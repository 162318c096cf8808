#include "jet/page.h"

#include "jet/rc4.h"

namespace jet {

namespace {
// Pages kept before the cache starts over (32 MiB of Jet 4 pages).
constexpr std::size_t kCacheLimit = 8192;
}

Pager::Pager(std::unique_ptr<File> file, const Header& header)
    : file_(std::move(file)), header_(header), layout_(&layout_of(header.version))
{
    refresh();
}

void Pager::refresh()
{
    cache_.clear();
    const std::uint64_t pages = file_->size() / layout_->page_size;
    page_count_ = pages > 0xFFFFFFu ? 0xFFFFFFu + 1 : static_cast<std::uint32_t>(pages);
}

Page Pager::page(std::uint32_t number)
{
    require(number < page_count_);
    auto found = cache_.find(number);
    if (found == cache_.end()) {
        if (cache_.size() >= kCacheLimit) cache_.clear();
        auto data = std::make_shared<std::vector<std::uint8_t>>(layout_->page_size);
        const std::uint64_t offset = static_cast<std::uint64_t>(number) * layout_->page_size;
        require(file_->read_at(offset, data->data(), data->size()) == data->size());
        if (header_.page_key != 0 && number != 0) {
            const std::uint32_t k = header_.page_key ^ number;
            const std::uint8_t key[4] = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8),
                                         static_cast<std::uint8_t>(k >> 16), static_cast<std::uint8_t>(k >> 24)};
            rc4_apply(key, 4, data->data(), data->size());
        }
        found = cache_.emplace(number, std::move(data)).first;
    }
    Page page(found->second);
    page.number = number;
    return page;
}

DataPage::DataPage(Page page, const Layout& layout) : page_(std::move(page)), layout_(&layout)
{
    const Bytes b = page_.bytes();
    require(b[0] == kPageData && b[1] == 0x01);
    count_ = le16(b.data() + layout.data_row_count);
    // Row pointers name a row with one byte, so no page holds more slots.
    require(count_ <= kMaxSlots && layout.data_offsets + 2u * count_ <= b.size());
}

RowSlot DataPage::slot(unsigned index) const
{
    require(index < count_);
    const Bytes b = bytes();
    const std::uint8_t* table = b.data() + layout_->data_offsets;
    RowSlot s;
    const std::uint16_t entry = le16(table + 2 * index);
    s.flags = entry & 0xC000;
    s.start = entry & kSlotOffsetMask;
    s.end = index == 0 ? static_cast<std::uint16_t>(b.size())
                       : static_cast<std::uint16_t>(le16(table + 2 * (index - 1)) & kSlotOffsetMask);
    if (!s.deleted()) {
        require(s.start >= layout_->data_offsets + 2u * count_);
        require(s.start <= s.end && s.end <= b.size());
    }
    return s;
}

Bytes pointed_row(const DataPage& page, std::uint8_t row, RowSlot* slot_out)
{
    const RowSlot s = page.slot(row);
    require(!s.deleted());
    if (slot_out) *slot_out = s;
    return page.row(s);
}

}  // namespace jet
