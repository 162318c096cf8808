#include "jet/usage_map.h"

#include <algorithm>

namespace jet {

namespace {

void add_bits(Bytes bitmap, std::uint64_t first, std::uint32_t page_count, std::vector<std::uint32_t>& out)
{
    for (std::size_t i = 0; i < bitmap.size(); ++i) {
        const std::uint8_t byte = bitmap[i];
        if (byte == 0) continue;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if (!(byte & (1u << bit))) continue;
            const std::uint64_t page = first + i * 8 + bit;
            require(page < page_count);
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
    const std::uint8_t type = u8_at(row, 0);
    if (type == static_cast<std::uint8_t>(UsageMapType::Inline)) {
        const std::uint32_t first = u32_at(row, 1);
        add_bits(row.subspan(5), first, pager.page_count(), pages);
    } else if (type == static_cast<std::uint8_t>(UsageMapType::Reference)) {
        const std::uint64_t per_page = (static_cast<std::uint64_t>(pager.page_size()) - 4) * 8;
        const std::size_t count = (row.size() - 1) / 4;
        for (std::size_t j = 0; j < count; ++j) {
            const std::uint32_t map_page = le32(row.data() + 1 + 4 * j);
            if (map_page == 0) continue;
            const Page bitmap_page = pager.page(map_page);
            require(bitmap_page.type() == kPageUsageMap);
            add_bits(bitmap_page.bytes().subspan(4), j * per_page, pager.page_count(), pages);
        }
    } else {
        corrupt();
    }
    return pages;
}

namespace {

void set_bit(std::uint8_t* bitmap, std::uint64_t index, bool value)
{
    const auto bit = static_cast<std::uint8_t>(1u << (index % 8));
    if (value)
        bitmap[index / 8] |= bit;
    else
        bitmap[index / 8] &= static_cast<std::uint8_t>(~bit);
}

bool set_inline_bit(std::span<std::uint8_t> row, std::uint32_t page, bool value, MapBits meaning)
{
    const std::uint64_t first = le32(row.data() + 1);
    std::uint8_t* bitmap = row.data() + 5;
    const std::uint64_t bits = (row.size() - 5) * 8;
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
        if (bitmap[i / 8] & (1u << (i % 8))) {
            low = std::min(low, first + i);
            high = std::max(high, first + i);
        }
    const std::uint64_t new_first = low / 8 * 8;
    if (high - new_first >= bits) return false;
    std::vector<std::uint8_t> moved(row.size() - 5, 0);
    for (std::uint64_t i = 0; i < bits; ++i)
        if (bitmap[i / 8] & (1u << (i % 8))) set_bit(moved.data(), first + i - new_first, true);
    set_bit(moved.data(), page - new_first, true);
    std::copy(moved.begin(), moved.end(), bitmap);
    for (int i = 0; i < 4; ++i) row[1 + i] = static_cast<std::uint8_t>(new_first >> (8 * i));
    return true;
}

std::uint64_t pages_per_bitmap(std::uint32_t page_size) { return (static_cast<std::uint64_t>(page_size) - 4) * 8; }

}  // namespace

bool set_usage_map_bit(std::span<std::uint8_t> row, std::uint32_t page, bool value, std::uint32_t page_size,
                       const std::function<std::vector<std::uint8_t>*(std::uint32_t)>& bitmap_page, MapBits bits)
{
    require(!row.empty());
    if (row[0] == static_cast<std::uint8_t>(UsageMapType::Inline)) {
        require(row.size() >= 5);
        return set_inline_bit(row, page, value, bits);
    }
    require(row[0] == static_cast<std::uint8_t>(UsageMapType::Reference));
    const std::uint64_t per_page = pages_per_bitmap(page_size);
    const std::uint64_t j = page / per_page;
    const std::uint32_t map_page = j < (row.size() - 1) / 4 ? le32(row.data() + 1 + 4 * j) : 0;
    if (map_page == 0) return value == (bits == MapBits::Free);
    std::vector<std::uint8_t>* bytes = bitmap_page(map_page);
    if (!bytes) return false;
    require(bytes->size() == page_size && (*bytes)[0] == kPageUsageMap);
    set_bit(bytes->data() + 4, page % per_page, value);
    return true;
}

bool extend_usage_map(std::span<std::uint8_t> row, std::uint32_t page, std::uint32_t page_size,
                      const NewBitmapPage& allocate, MapBits bits, std::uint32_t file_end)
{
    require(!row.empty());
    const bool free_map = bits == MapBits::Free;
    const std::uint64_t per_page = pages_per_bitmap(page_size);
    const std::size_t slots = (row.size() - 1) / 4;
    // The pages the new bitmap pages must mark as listed (as used in a free
    // map), one by one and as spans [from, to).
    std::vector<std::uint64_t> pages{page};
    std::vector<std::pair<std::uint64_t, std::uint64_t>> spans;
    const bool was_inline = row[0] == static_cast<std::uint8_t>(UsageMapType::Inline);
    if (was_inline) {
        if (row.size() < 5) return false;
        const std::uint64_t first = le32(row.data() + 1);
        const std::uint64_t count = (row.size() - 5) * 8;
        for (std::uint64_t i = 0; i < count; ++i) {
            const bool set = row[5 + i / 8] & (1u << (i % 8));
            if (set != free_map && (!free_map || first + i < file_end)) pages.push_back(first + i);
        }
        if (free_map) spans = {{0, std::min<std::uint64_t>(first, file_end)}, {first + count, file_end}};
    } else {
        require(row[0] == static_cast<std::uint8_t>(UsageMapType::Reference));
        const std::uint64_t j = page / per_page;
        if (j >= slots || le32(row.data() + 1 + 4 * j) != 0) return false;
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
        row[0] = static_cast<std::uint8_t>(UsageMapType::Reference);
    }
    std::vector<std::uint8_t*> made(slots, nullptr);  // bitmap of each range made here
    for (const std::uint64_t j : ranges) {
        const auto [number, bytes] = allocate();
        bytes->assign(page_size, free_map ? 0xFF : 0x00);
        const std::uint8_t header[4] = {kPageUsageMap, 0x01, 0x00, 0x00};
        std::copy(std::begin(header), std::end(header), bytes->begin());
        made[j] = bytes->data() + 4;
        for (int i = 0; i < 4; ++i) row[1 + 4 * j + i] = static_cast<std::uint8_t>(number >> (8 * i));
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

}  // namespace jet
