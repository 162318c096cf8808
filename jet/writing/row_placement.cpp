#include "jet/writing/row_placement.h"

#include "jet/base/error.h"
#include "jet/pages/page_edit.h"
#include "jet/pages/usage_map.h"

#include <algorithm>

namespace jet {

namespace {

// A free-space hint read without the write lock: whether the page may take the row.
bool may_fit(Pager& pager, std::uint32_t number, std::uint32_t owner, std::size_t length)
{
    const Page page = pager.page(number);
    if (page.type() != kPageData) return false;
    const Bytes b = page.bytes();
    return le32(b.data() + kDataOwnerAt) == owner && le16(b.data() + kDataFreeSpaceAt) >= length + kSlotEntrySize &&
           le16(b.data() + pager.layout().data_row_count) < kMaxRowsPerPage;
}

std::span<std::uint8_t> map_row(HeldPages& held, const Layout& layout, RowPointer at)
{
    std::vector<std::uint8_t>& bytes = held.lock(at.page);
    PageEditor page(bytes, layout);
    const RowSlot s = page.slot(at.row);
    require(!s.deleted());
    return page.row(at.row);
}

[[noreturn]] void resource_exceeded() { throw error(kSystemResourceExceeded); }

RowPointer append_page(Pager& pager, HeldPages& held, std::uint32_t owner, const PageMaps& maps, Bytes row,
                       std::uint16_t flags)
{
    const Layout& layout = pager.layout();
    // Write rules 2 and 4: the new page first, then the global map, then the
    // owner's maps; a page is marked used before anything refers to it.
    // Adding a page changes the global map, so its page's write lock
    // serialises every writer that adds pages; the file's size and the maps
    // are then read as they are now.
    held.lock(kGlobalMap.page);
    pager.refresh();
    const std::uint32_t number = pager.page_count();
    if (number > kPageNumberLimit - 2) resource_exceeded();

    // Each map's row page, then the bitmap pages a reference map changed.
    std::vector<std::uint32_t> global_pages{kGlobalMap.page}, owned_pages{maps.owned.page}, free_pages;
    std::vector<std::uint32_t>* touched = nullptr;
    auto bitmap = [&](std::uint32_t page) {
        touched->push_back(page);
        return &held.lock(page);
    };
    // Bitmap pages the owned map and the global map need to take the page,
    // appended after it.
    std::vector<std::uint32_t> added;
    auto add_bitmap = [&]() -> std::pair<std::uint32_t, std::vector<std::uint8_t>*> {
        const std::uint32_t at = number + 1 + static_cast<std::uint32_t>(added.size());
        added.push_back(at);
        return {at, &held.adopt(at, {})};
    };
    // Record the page in the maps in memory first: a map that cannot take it
    // refuses the change before anything is written.
    const auto ps = static_cast<std::uint32_t>(layout.page_size);
    touched = &owned_pages;
    const std::span<std::uint8_t> owned = map_row(held, layout, maps.owned);
    if (!set_usage_map_bit(owned, number, true, ps, bitmap) && !extend_usage_map(owned, number, ps, add_bitmap))
        resource_exceeded();
    if (maps.free.raw() != 0) {
        // Only a hint of where there is room: a page it cannot take is left out.
        free_pages.push_back(maps.free.page);
        touched = &free_pages;
        set_usage_map_bit(map_row(held, layout, maps.free), number, true, ps, bitmap);
    }
    // The global map marks the new page and every bitmap page used. One whose
    // range cannot reach a page gets bitmap pages of its own (an inline map
    // turns into a reference map); they join `added` and are marked in turn.
    touched = &global_pages;
    const std::span<std::uint8_t> global = map_row(held, layout, kGlobalMap);
    for (std::size_t i = 0; i <= added.size(); ++i) {
        const std::uint32_t p = i == 0 ? number : added[i - 1];
        if (!set_usage_map_bit(global, p, false, ps, bitmap, MapBits::Free) &&
            !extend_usage_map(global, p, ps, add_bitmap, MapBits::Free, number))
            resource_exceeded();
    }

    std::vector<std::uint8_t>& page = held.adopt(number, PageEditor::empty_page(layout, owner));
    PageEditor editor(page, layout);
    const unsigned slot = editor.add_row(row, flags);
    // A map page another program wrote without the lock refuses the change
    // before anything is written.
    for (const auto* list : {&global_pages, &owned_pages, &free_pages})
        for (const std::uint32_t p : *list) held.check(p);
    // The new pages first, in file order: a map must never name a page that
    // is not written. Then the global map: a page marked used but in no
    // owner's map is only lost space, while a page an owner lists but the
    // global map calls free could be handed out twice.
    held.write(number);
    for (const std::uint32_t p : added) held.write(p);
    std::vector<std::uint32_t> written(added);
    for (const auto* list : {&global_pages, &owned_pages, &free_pages})
        for (const std::uint32_t p : *list)
            if (std::find(written.begin(), written.end(), p) == written.end()) {
                held.write(p);
                written.push_back(p);
            }
    return RowPointer{number, static_cast<std::uint8_t>(slot)};
}

}  // namespace

RowPointer place_row(Pager& pager, HeldPages& held, std::uint32_t owner, const PageMaps& maps, Bytes row,
                     std::uint16_t flags)
{
    const Layout& layout = pager.layout();
    std::vector<std::uint32_t> pages = usage_map_pages(pager, maps.owned);
    // Recently added pages are the likeliest to have room.
    for (auto it = pages.rbegin(); it != pages.rend(); ++it) {
        const std::uint32_t number = *it;
        if (held.find(number) || !may_fit(pager, number, owner, row.size())) continue;
        std::vector<std::uint8_t>* bytes = held.try_lock(number);
        if (!bytes) continue;
        PageEditor editor(*bytes, layout);
        if (editor.owner() != owner || !editor.can_add(row.size())) {
            held.release(number);
            continue;
        }
        const unsigned slot = editor.add_row(row, flags);
        held.write(number);
        return RowPointer{number, static_cast<std::uint8_t>(slot)};
    }
    return append_page(pager, held, owner, maps, row, flags);
}

}  // namespace jet
