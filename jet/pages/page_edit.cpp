#include "jet/pages/page_edit.h"

#include <algorithm>
#include <cstring>

namespace jet {

PageEditor::PageEditor(std::vector<std::uint8_t>& page, const Layout& layout, bool whole)
    : page_(page), layout_(layout)
{
    require(page_.size() == layout_.page_size && page_is(page_, kPageData));
    const unsigned n = slot_count();
    const std::size_t table_end = layout_.data_offsets + kSlotEntrySize * n;
    require(n <= kMaxRowsPerPage + 1 && table_end <= page_.size());
    if (!whole) return;
    std::size_t end = page_.size();
    for (unsigned i = 0; i < n; ++i) {
        const std::size_t start = entry(i) & kSlotOffsetMask;
        require(start >= table_end && start <= end);
        end = start;
    }
}

std::vector<std::uint8_t> PageEditor::empty_page(const Layout& layout, std::uint32_t owner)
{
    std::vector<std::uint8_t> page(layout.page_size, 0);
    page[kPageTypeAt] = kPageData;
    page[kPageMarkAt] = kPageMark;
    const std::size_t free = layout.page_size - layout.data_offsets;
    page[kDataFreeSpaceAt] = static_cast<std::uint8_t>(free);
    page[kDataFreeSpaceAt + 1] = static_cast<std::uint8_t>(free >> 8);
    for (int i = 0; i < 4; ++i) page[kDataOwnerAt + i] = static_cast<std::uint8_t>(owner >> (8 * i));
    return page;
}

unsigned PageEditor::slot_count() const { return le16(page_.data() + layout_.data_row_count); }

std::uint16_t PageEditor::entry(unsigned index) const
{
    return le16(page_.data() + layout_.data_offsets + kSlotEntrySize * index);
}

void PageEditor::set_entry(unsigned index, std::uint16_t value)
{
    std::uint8_t* p = page_.data() + layout_.data_offsets + kSlotEntrySize * index;
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

RowSlot PageEditor::slot(unsigned index) const
{
    require(index < slot_count());
    RowSlot s;
    const std::uint16_t e = entry(index);
    s.flags = e & kSlotFlagMask;
    s.start = e & kSlotOffsetMask;
    s.end = index == 0 ? static_cast<std::uint16_t>(page_.size()) : static_cast<std::uint16_t>(entry(index - 1) & kSlotOffsetMask);
    // A live slot's bytes lie between the offset table and the page's end
    // (the slot before it may be a deleted one whose offset is anything).
    if (!s.deleted())
        require(s.start >= layout_.data_offsets + kSlotEntrySize * slot_count() && s.start <= s.end &&
                s.end <= page_.size());
    return s;
}

std::span<std::uint8_t> PageEditor::row(unsigned index)
{
    const RowSlot s = slot(index);
    // slot() leaves a deleted slot's bounds alone; bytes are handed out only inside the page.
    require(s.start <= s.end && s.end <= page_.size());
    return std::span<std::uint8_t>(page_.data() + s.start, s.end - s.start);
}

std::size_t PageEditor::lowest_start() const
{
    const unsigned n = slot_count();
    return n == 0 ? page_.size() : entry(n - 1) & kSlotOffsetMask;
}

std::size_t PageEditor::free_space() const
{
    return lowest_start() - (layout_.data_offsets + kSlotEntrySize * slot_count());
}

void PageEditor::store_free_space()
{
    const std::size_t free = free_space();
    page_[kDataFreeSpaceAt] = static_cast<std::uint8_t>(free);
    page_[kDataFreeSpaceAt + 1] = static_cast<std::uint8_t>(free >> 8);
}

bool PageEditor::replace_row(unsigned index, Bytes bytes)
{
    const RowSlot s = slot(index);
    const std::size_t old_len = s.end - s.start;
    if (bytes.size() > old_len && bytes.size() - old_len > free_space()) return false;
    const std::size_t low = lowest_start();
    // The rows of the later slots lie in [low, start): move them by the change.
    const std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(old_len) - static_cast<std::ptrdiff_t>(bytes.size());
    if (shift != 0) {
        std::memmove(page_.data() + low + shift, page_.data() + low, s.start - low);
        for (unsigned j = index; j < slot_count(); ++j) {
            const std::uint16_t e = entry(j);
            const auto start = static_cast<std::uint16_t>(static_cast<std::ptrdiff_t>(e & kSlotOffsetMask) + shift);
            set_entry(j, static_cast<std::uint16_t>((e & kSlotFlagMask) | start));
        }
    }
    if (!bytes.empty()) std::memcpy(page_.data() + s.end - bytes.size(), bytes.data(), bytes.size());
    if (shift != 0) {
        // Bytes uncovered by a shrinking row are zeroed, as on a fresh page.
        if (shift > 0) std::memset(page_.data() + low, 0, static_cast<std::size_t>(shift));
        store_free_space();
    }
    return true;
}

bool PageEditor::can_add(std::size_t length) const
{
    return slot_count() < kMaxRowsPerPage && free_space() >= length + kSlotEntrySize;
}

unsigned PageEditor::add_row(Bytes bytes, std::uint16_t flags)
{
    invariant(can_add(bytes.size()), "a row is added only to a page with room for it");
    const unsigned n = slot_count();
    const std::size_t start = lowest_start() - bytes.size();
    if (!bytes.empty()) std::memcpy(page_.data() + start, bytes.data(), bytes.size());
    set_entry(n, static_cast<std::uint16_t>(flags | start));
    const std::uint16_t count = static_cast<std::uint16_t>(n + 1);
    page_[layout_.data_row_count] = static_cast<std::uint8_t>(count);
    page_[layout_.data_row_count + 1] = static_cast<std::uint8_t>(count >> 8);
    store_free_space();
    return n;
}

void PageEditor::set_flags(unsigned index, std::uint16_t flags)
{
    require(index < slot_count());
    set_entry(index, static_cast<std::uint16_t>((entry(index) & kSlotOffsetMask) | flags));
}

}  // namespace jet
