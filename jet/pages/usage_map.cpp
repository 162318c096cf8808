#include "jet/pages/usage_map.h"

#include <algorithm>

namespace jet {

namespace {

// The pages one bitmap page of a reference map covers: its bytes after the
// page header, a bit each.
std::uint64_t pages_per_bitmap(std::uint32_t page_size)
{
    return (static_cast<std::uint64_t>(page_size) - kBitmapPageBitsAt) * 8;
}

// Where a reference map row holds the number of its j-th bitmap page.
std::uint64_t bitmap_entry_at(std::uint64_t j) { return kMapPagesAt + kMapPageEntrySize * j; }

// The bitmap-page numbers a reference map row has room for.
std::size_t bitmap_entries(std::size_t row_size) { return (row_size - kMapPagesAt) / kMapPageEntrySize; }

// A reference map's bitmap page with every bit at `fill`.
void start_bitmap_page(std::vector<std::uint8_t>& bytes, std::uint32_t page_size, std::uint8_t fill)
{
    bytes.assign(page_size, fill);
    std::fill(bytes.begin(), bytes.begin() + kBitmapPageBitsAt, std::uint8_t{0});
    bytes[kPageTypeAt] = kPageUsageMap;
    bytes[kPageMarkAt] = kPageMark;
}

bool is_inline(Bytes row) { return row[kMapTypeAt] == static_cast<std::uint8_t>(UsageMapType::Inline); }

// Bit `index` of a bitmap, the lowest bit of each byte first.
bool bit_at(const std::uint8_t* bitmap, std::uint64_t index) { return (bitmap[index / 8] >> (index % 8)) & 1u; }

void set_bit(std::uint8_t* bitmap, std::uint64_t index, bool value)
{
    const auto bit = static_cast<std::uint8_t>(1u << (index % 8));
    if (value)
        bitmap[index / 8] |= bit;
    else
        bitmap[index / 8] &= static_cast<std::uint8_t>(~bit);
}

void add_bits(Bytes bitmap, std::uint64_t first, const Pager& pager, std::vector<std::uint32_t>& out)
{
    for (std::size_t i = 0; i < bitmap.size(); ++i) {
        const std::uint8_t byte = bitmap[i];
        if (byte == 0) continue;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if (!(byte & (1u << bit))) continue;
            const std::uint64_t page = first + i * 8 + bit;
            require(pager.reaches(page));
            out.push_back(static_cast<std::uint32_t>(page));
        }
    }
}

}  // namespace

std::vector<std::uint32_t> usage_map_pages(Pager& pager, RowPointer map)
{
    const DataPage page(pager.page(map.page), pager.layout());
    return usage_map_pages(pager, pointed_row(page, map.row));
}

std::vector<std::uint32_t> usage_map_pages(Pager& pager, Bytes row)
{
    std::vector<std::uint32_t> pages;
    const std::uint8_t type = u8_at(row, kMapTypeAt);
    if (type == static_cast<std::uint8_t>(UsageMapType::Inline)) {
        const std::uint32_t first = u32_at(row, kMapFirstPageAt);
        add_bits(row.subspan(kMapBitmapAt), first, pager, pages);
    } else if (type == static_cast<std::uint8_t>(UsageMapType::Reference)) {
        const std::uint64_t per_page = pages_per_bitmap(pager.page_size());
        const std::size_t count = bitmap_entries(row.size());
        for (std::size_t j = 0; j < count; ++j) {
            const std::uint32_t map_page = le32(row.data() + bitmap_entry_at(j));
            if (map_page == 0) continue;
            const Page bitmap_page = pager.page(map_page);
            require(bitmap_page.type() == kPageUsageMap);
            add_bits(bitmap_page.bytes().subspan(kBitmapPageBitsAt), j * per_page, pager, pages);
        }
    } else {
        corrupt();
    }
    return pages;
}

namespace {

bool set_inline_bit(std::span<std::uint8_t> row, std::uint32_t page, bool value, MapBits meaning)
{
    const std::uint64_t first = le32(row.data() + kMapFirstPageAt);
    std::uint8_t* bitmap = row.data() + kMapBitmapAt;
    const std::uint64_t bits = (row.size() - kMapBitmapAt) * 8;
    if (page >= first && page - first < bits) {
        set_bit(bitmap, page - first, value);
        return true;
    }
    if (value == (meaning == MapBits::Free)) return true;  // what the page reads as already
    if (meaning == MapBits::Free) return false;
    // Move the range down: every page it holds and the new one must fit.
    std::uint64_t low = page;
    std::uint64_t high = page;
    for (std::uint64_t i = 0; i < bits; ++i)
        if (bit_at(bitmap, i)) {
            low = std::min(low, first + i);
            high = std::max(high, first + i);
        }
    const std::uint64_t new_first = low / 8 * 8;
    if (high - new_first >= bits) return false;
    std::vector<std::uint8_t> moved(row.size() - kMapBitmapAt, 0);
    for (std::uint64_t i = 0; i < bits; ++i)
        if (bit_at(bitmap, i)) set_bit(moved.data(), first + i - new_first, true);
    set_bit(moved.data(), page - new_first, true);
    std::copy(moved.begin(), moved.end(), bitmap);
    put32(row.data() + kMapFirstPageAt, static_cast<std::uint32_t>(new_first));
    return true;
}

}  // namespace

bool set_usage_map_bit(std::span<std::uint8_t> row, std::uint32_t page, bool value, std::uint32_t page_size,
                       const std::function<std::vector<std::uint8_t>*(std::uint32_t)>& bitmap_page, MapBits bits)
{
    require(!row.empty());
    if (is_inline(row)) {
        require(row.size() >= kMapBitmapAt);
        return set_inline_bit(row, page, value, bits);
    }
    require(row[kMapTypeAt] == static_cast<std::uint8_t>(UsageMapType::Reference));
    const std::uint64_t per_page = pages_per_bitmap(page_size);
    const std::uint64_t j = page / per_page;
    const std::uint32_t map_page = j < bitmap_entries(row.size()) ? le32(row.data() + bitmap_entry_at(j)) : 0;
    if (map_page == 0) return value == (bits == MapBits::Free);
    std::vector<std::uint8_t>* bytes = bitmap_page(map_page);
    if (!bytes) return false;
    require(bytes->size() == page_size && (*bytes)[kPageTypeAt] == kPageUsageMap);
    set_bit(bytes->data() + kBitmapPageBitsAt, page % per_page, value);
    return true;
}

bool extend_usage_map(std::span<std::uint8_t> row, std::uint32_t page, std::uint32_t page_size,
                      const NewBitmapPage& allocate, MapBits bits, std::uint32_t file_end)
{
    require(!row.empty());
    const bool free_map = bits == MapBits::Free;
    const std::uint64_t per_page = pages_per_bitmap(page_size);
    const std::size_t slots = bitmap_entries(row.size());
    // The pages the new bitmap pages must mark as listed (as used in a free
    // map), one by one and as spans [from, to).
    std::vector<std::uint64_t> pages{page};
    std::vector<std::pair<std::uint64_t, std::uint64_t>> spans;
    const bool was_inline = is_inline(row);
    if (was_inline) {
        if (row.size() < kMapBitmapAt) return false;
        const std::uint64_t first = le32(row.data() + kMapFirstPageAt);
        const std::uint64_t count = (row.size() - kMapBitmapAt) * 8;
        for (std::uint64_t i = 0; i < count; ++i) {
            const bool set = bit_at(row.data() + kMapBitmapAt, i);
            if (set != free_map && (!free_map || first + i < file_end)) pages.push_back(first + i);
        }
        if (free_map) spans = {{0, std::min<std::uint64_t>(first, file_end)}, {first + count, file_end}};
    } else {
        require(row[kMapTypeAt] == static_cast<std::uint8_t>(UsageMapType::Reference));
        const std::uint64_t j = page / per_page;
        if (j >= slots || le32(row.data() + bitmap_entry_at(j)) != 0) return false;
        if (free_map) spans = {{j * per_page, std::min<std::uint64_t>((j + 1) * per_page, file_end)}};
    }
    std::erase_if(spans, [](const auto& s) { return s.first >= s.second; });
    std::vector<std::uint64_t> ranges;
    for (const std::uint64_t p : pages) ranges.push_back(p / per_page);
    for (const auto& [from, to] : spans)
        for (std::uint64_t j = from / per_page; j <= (to - 1) / per_page; ++j) ranges.push_back(j);
    std::sort(ranges.begin(), ranges.end());
    ranges.erase(std::unique(ranges.begin(), ranges.end()), ranges.end());
    if (ranges.back() >= slots) return false;

    if (was_inline) {
        std::fill(row.begin(), row.end(), std::uint8_t{0});
        row[kMapTypeAt] = static_cast<std::uint8_t>(UsageMapType::Reference);
    }
    std::vector<std::uint8_t*> made(slots, nullptr);  // bitmap of each range made here
    for (const std::uint64_t j : ranges) {
        const auto [number, bytes] = allocate();
        start_bitmap_page(*bytes, page_size, free_map ? 0xFF : 0x00);
        made[j] = bytes->data() + kBitmapPageBitsAt;
        put32(row.data() + bitmap_entry_at(j), number);
        if (free_map) pages.push_back(number);
    }
    const auto mark = [&](std::uint64_t p) {
        const std::uint64_t j = p / per_page;
        if (j < slots && made[j]) set_bit(made[j], p % per_page, !free_map);
    };
    for (const std::uint64_t p : pages) mark(p);
    for (const auto& [from, to] : spans)
        for (std::uint64_t p = from; p < to; ++p) mark(p);
    return true;
}

std::vector<std::uint32_t> usage_map_bitmap_pages(Bytes row)
{
    std::vector<std::uint32_t> out;
    if (u8_at(row, kMapTypeAt) != static_cast<std::uint8_t>(UsageMapType::Reference)) return out;
    for (std::size_t j = 0; j < bitmap_entries(row.size()); ++j)
        if (const std::uint32_t page = le32(row.data() + bitmap_entry_at(j)); page != 0) out.push_back(page);
    return out;
}

MapBit usage_map_bit(Bytes row, std::uint32_t page, std::uint32_t page_size,
                     const std::function<const std::vector<std::uint8_t>*(std::uint32_t)>& bitmap_page)
{
    require(!row.empty());
    const std::uint8_t* byte = nullptr;
    std::uint64_t index = 0;
    if (is_inline(row)) {
        require(row.size() >= kMapBitmapAt);
        const std::uint32_t first = le32(row.data() + kMapFirstPageAt);
        if (page < first) return MapBit::Below;
        index = page - first;
        if (index >= (row.size() - kMapBitmapAt) * 8) return MapBit::Past;
        byte = row.data() + kMapBitmapAt;
    } else {
        require(row[kMapTypeAt] == static_cast<std::uint8_t>(UsageMapType::Reference));
        const std::uint64_t per_page = pages_per_bitmap(page_size);
        const std::uint64_t j = page / per_page;
        if (bitmap_entry_at(j + 1) > row.size()) return MapBit::Past;
        const std::uint32_t number = le32(row.data() + bitmap_entry_at(j));
        const std::vector<std::uint8_t>* bitmap = number == 0 ? nullptr : bitmap_page(number);
        if (!bitmap) return MapBit::Past;
        require(bitmap->size() == page_size);
        index = page % per_page;
        byte = bitmap->data() + kBitmapPageBitsAt;
    }
    return bit_at(byte, index) ? MapBit::Set : MapBit::Clear;
}

std::optional<BitmapPages> build_usage_map(std::span<std::uint8_t> row, std::span<const std::uint32_t> pages,
                                           std::uint32_t page_size, const std::function<std::uint32_t()>& allocate)
{
    if (row.size() < kMapBitmapAt) return std::nullopt;
    std::fill(row.begin(), row.end(), std::uint8_t{0});
    BitmapPages bitmaps;
    const std::uint32_t first = pages.empty() ? 0 : pages.front() & ~7u;
    if (pages.empty() || pages.back() - first < (row.size() - kMapBitmapAt) * 8) {
        put32(row.data() + kMapFirstPageAt, first);
        for (const std::uint32_t p : pages) set_bit(row.data() + kMapBitmapAt, p - first, true);
        return bitmaps;
    }
    const std::uint64_t per_page = pages_per_bitmap(page_size);
    if (bitmap_entry_at(pages.back() / per_page + 1) > row.size()) return std::nullopt;
    row[kMapTypeAt] = static_cast<std::uint8_t>(UsageMapType::Reference);
    // Ascending pages: each range's pages come together.
    std::uint64_t range = UINT64_MAX;
    for (const std::uint32_t p : pages) {
        if (p / per_page != range) {
            range = p / per_page;
            bitmaps.emplace_back(allocate(), std::vector<std::uint8_t>{});
            start_bitmap_page(bitmaps.back().second, page_size, 0x00);
            put32(row.data() + bitmap_entry_at(range), bitmaps.back().first);
        }
        set_bit(bitmaps.back().second.data() + kBitmapPageBitsAt, p % per_page, true);
    }
    return bitmaps;
}

std::optional<BitmapPages> build_free_map(std::span<std::uint8_t> row, std::uint32_t file_end,
                                          std::uint32_t lowest_free, const std::function<bool(std::uint32_t)>& in_use,
                                          std::uint32_t page_size, const std::function<std::uint32_t()>& allocate)
{
    require(row.size() >= kMapBitmapAt);
    if (is_inline(row)) {
        const std::uint32_t first = le32(row.data() + kMapFirstPageAt);
        const std::uint64_t bits = (row.size() - kMapBitmapAt) * 8;
        if (first <= lowest_free && first + bits >= file_end) {
            for (std::uint64_t i = 0; i < bits; ++i) {
                const std::uint64_t p = first + i;
                set_bit(row.data() + kMapBitmapAt, i, p >= file_end || (p >= lowest_free && !in_use(static_cast<std::uint32_t>(p))));
            }
            return BitmapPages{};
        }
    }
    // Bitmap pages enough for the whole file, which they lengthen when they
    // are numbered past its end.
    const std::uint64_t per_page = pages_per_bitmap(page_size);
    const std::uint32_t used_end = file_end;
    std::vector<std::uint32_t> numbers;
    while (numbers.size() * per_page < file_end) {
        if (bitmap_entry_at(numbers.size() + 1) > row.size()) return std::nullopt;
        numbers.push_back(allocate());
        file_end = std::max(file_end, numbers.back() + 1);
    }
    const auto is_free = [&](std::uint64_t p) {
        if (p >= file_end) return true;
        const auto page = static_cast<std::uint32_t>(p);
        if (std::find(numbers.begin(), numbers.end(), page) != numbers.end()) return false;
        return p >= used_end || (p >= lowest_free && !in_use(page));
    };
    std::fill(row.begin(), row.end(), std::uint8_t{0});
    row[kMapTypeAt] = static_cast<std::uint8_t>(UsageMapType::Reference);
    BitmapPages bitmaps;
    for (std::size_t j = 0; j < numbers.size(); ++j) {
        bitmaps.emplace_back(numbers[j], std::vector<std::uint8_t>{});
        std::vector<std::uint8_t>& bytes = bitmaps.back().second;
        start_bitmap_page(bytes, page_size, 0x00);
        for (std::uint64_t i = 0; i < per_page; ++i)
            if (is_free(j * per_page + i)) set_bit(bytes.data() + kBitmapPageBitsAt, i, true);
        put32(row.data() + bitmap_entry_at(j), numbers[j]);
    }
    return bitmaps;
}

}  // namespace jet
