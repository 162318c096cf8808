#include "jet/usage_map.h"

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

}  // namespace jet
