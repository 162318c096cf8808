#include "jet/pages/page.h"

#include "jet/base/error.h"
#include "jet/base/rc4.h"

#include <algorithm>

namespace jet {

namespace {
// Pages kept before the cache starts over (32 MiB of Jet 4 pages).
constexpr std::size_t kCacheLimit = 8192;
// Pages read in one call when the cache misses.
constexpr std::uint32_t kReadAhead = 16;

void apply_page_key(std::uint32_t page_key, std::uint32_t number, std::vector<std::uint8_t>& data)
{
    jet::apply_page_key(page_key, number, data.data(), data.size());
}
}  // namespace

Pager::Pager(std::unique_ptr<File> file, const Header& header)
    : file_(std::move(file)), header_(header), layout_(&layout_of(header.version))
{
    refresh();
}

void Pager::refresh()
{
    cache_.clear();
    refresh_size();
}

void Pager::refresh_size() const
{
    const std::uint64_t pages = file_->size() / layout_->page_size;
    page_count_ = pages >= kPageNumberLimit ? kPageNumberLimit : static_cast<std::uint32_t>(pages);
}

bool Pager::reaches(std::uint64_t number) const
{
    if (number >= page_count_) refresh_size();
    return number < page_count_;
}

const std::vector<std::uint8_t>* Pager::overlaid(std::uint32_t number) const
{
    for (const PageOverlay* o : overlays_)
        if (const std::vector<std::uint8_t>* bytes = o->changed_page(number)) return bytes;
    return nullptr;
}

Page Pager::page(std::uint32_t number)
{
    if (!overlays_.empty())
        if (const std::vector<std::uint8_t>* bytes = overlaid(number)) {
            Page page(std::make_shared<const std::vector<std::uint8_t>>(*bytes));
            page.number = number;
            return page;
        }
    auto found = cache_.find(number);
    if (found == cache_.end()) found = read_ahead(number);
    Page page(found->second);
    page.number = number;
    return page;
}

// A page missing from the cache is read with the pages after it that are
// missing too, up to kReadAhead in one call: a table's pages mostly follow
// one another, and under Wine every call to the system costs far more than
// the bytes it brings.
Pager::Cache::iterator Pager::read_ahead(std::uint32_t number)
{
    if (cache_.size() + kReadAhead > kCacheLimit) cache_.clear();
    require(reaches(number));
    std::uint32_t run = 1;
    while (run < kReadAhead && number + run < page_count_ && !cache_.count(number + run)) ++run;
    const std::size_t size = layout_->page_size;
    if (run_size_ < size * run) {
        // Not cleared first: the read fills what is used of it.
        run_size_ = size * run;
        run_ = std::make_unique_for_overwrite<std::uint8_t[]>(run_size_);
    }
    ++reads_;
    const std::size_t got = file_->read_at(std::uint64_t{number} * size, run_.get(), size * run);
    require(got >= size);
    run = static_cast<std::uint32_t>(std::min<std::size_t>(run, got / size));
    Cache::iterator first = cache_.end();
    for (std::uint32_t i = 0; i < run; ++i) {
        const std::uint8_t* bytes = run_.get() + i * size;
        auto data = std::make_shared<std::vector<std::uint8_t>>(bytes, bytes + size);
        apply_page_key(header_.page_key, number + i, *data);
        const auto at = cache_.insert_or_assign(number + i, std::move(data)).first;
        if (i == 0) first = at;
    }
    return first;
}

Page Pager::fresh_page(std::uint32_t number)
{
    if (!overlays_.empty() && overlaid(number)) return page(number);
    if (cache_.size() >= kCacheLimit) cache_.clear();
    auto data = std::make_shared<std::vector<std::uint8_t>>();
    read_raw(number, *data);
    Page page(cache_.insert_or_assign(number, std::move(data)).first->second);
    page.number = number;
    return page;
}

void Pager::read_raw(std::uint32_t number, std::vector<std::uint8_t>& out)
{
    require(reaches(number));
    out.resize(layout_->page_size);
    const std::uint64_t offset = static_cast<std::uint64_t>(number) * layout_->page_size;
    ++reads_;
    require(file_->read_at(offset, out.data(), out.size()) == out.size());
    apply_page_key(header_.page_key, number, out);
}

void Pager::read_page(std::uint32_t number, std::vector<std::uint8_t>& out) { read_raw(number, out); }

// Write rule 1: nothing but a whole page, at its offset, in one call.
void Pager::write_page(std::uint32_t number, const std::vector<std::uint8_t>& page)
{
    invariant(page.size() == layout_->page_size, "only whole pages are written");
    cache_.erase(number);
    const std::uint64_t offset = static_cast<std::uint64_t>(number) * layout_->page_size;
    bool ok;
    ++writes_;
    if (header_.page_key != 0 && number != 0) {
        std::vector<std::uint8_t> encoded = page;
        apply_page_key(header_.page_key, number, encoded);
        ok = file_->write_at(offset, encoded.data(), encoded.size());
    } else {
        ok = file_->write_at(offset, page.data(), page.size());
    }
    if (!ok) throw disk_error();
    if (number >= page_count_) refresh_size();
}

void Pager::add_overlay(const PageOverlay* overlay) { overlays_.push_back(overlay); }

void Pager::remove_overlay(const PageOverlay* overlay)
{
    const auto it = std::find(overlays_.begin(), overlays_.end(), overlay);
    if (it != overlays_.end()) overlays_.erase(it);
}

DataPage::DataPage(Page page, const Layout& layout) : page_(std::move(page)), layout_(&layout)
{
    const Bytes b = page_.bytes();
    require(page_is(b, kPageData));
    count_ = le16(b.data() + layout.data_row_count);
    // Row pointers name a row with one byte, so no page holds more slots.
    require(count_ <= kMaxSlots && layout.data_offsets + kSlotEntrySize * count_ <= b.size());
}

RowSlot DataPage::slot(unsigned index) const
{
    require(index < count_);
    const Bytes b = bytes();
    const std::uint8_t* table = b.data() + layout_->data_offsets;
    RowSlot s;
    const std::uint16_t entry = le16(table + kSlotEntrySize * index);
    s.flags = entry & kSlotFlagMask;
    s.start = entry & kSlotOffsetMask;
    s.end = index == 0 ? static_cast<std::uint16_t>(b.size())
                       : static_cast<std::uint16_t>(le16(table + kSlotEntrySize * (index - 1)) & kSlotOffsetMask);
    if (!s.deleted()) {
        require(s.start >= layout_->data_offsets + kSlotEntrySize * count_);
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
