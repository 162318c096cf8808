// Changing a data page in memory: rows replaced, added and flagged, with the
// offset table and the free-space count kept right. The caller writes the
// page back whole.
#pragma once

#include "jet/base/bytes.h"
#include "jet/base/format.h"
#include "jet/pages/page.h"

#include <cstdint>
#include <span>
#include <vector>

namespace jet {

// Row numbers are one byte; 255 slots at most.
inline constexpr unsigned kMaxRowsPerPage = 255;
// The format gives 255 as the most row slots a page holds, and a writer
// adds a row only to a page with fewer. A reader takes every row number the
// byte can name, one more, so that a page another writer filled to the
// byte's limit still reads; the two limits move together.
static_assert(kMaxSlots == kMaxRowsPerPage + 1, "a page read holds at most one slot more than a writer makes");

class PageEditor {
public:
    // Corrupt unless `page` is a data page whose rows lie packed downward
    // from its end in slot order, deleted slots included. With `whole`
    // false only the header is checked (for reading one row: slot() checks
    // the bounds of the slot asked for).
    PageEditor(std::vector<std::uint8_t>& page, const Layout& layout, bool whole = true);

    // An empty data page of `owner` (a table's definition page, or kLvalOwner).
    static std::vector<std::uint8_t> empty_page(const Layout& layout, std::uint32_t owner);

    std::uint32_t owner() const { return le32(page_.data() + kDataOwnerAt); }
    unsigned slot_count() const;
    // Bounds and flags; Corrupt past the last slot and for a live slot whose
    // bytes would lie outside the rows' part of the page.
    RowSlot slot(unsigned index) const;
    // The slot's bytes; Corrupt when they would lie outside the page (a
    // deleted slot's offset may be anything).
    std::span<std::uint8_t> row(unsigned index);
    // Bytes between the offset table and the lowest row.
    std::size_t free_space() const;

    // Gives slot `index` the new bytes, moving the rows below it when the
    // length changes; false (and nothing changed) when the page lacks room.
    bool replace_row(unsigned index, Bytes bytes);
    bool can_add(std::size_t length) const;
    // Adds a row in a new slot below the others; returns its number.
    unsigned add_row(Bytes bytes, std::uint16_t flags);
    void set_flags(unsigned index, std::uint16_t flags);

private:
    std::uint16_t entry(unsigned index) const;
    void set_entry(unsigned index, std::uint16_t value);
    std::size_t lowest_start() const;
    void store_free_space();

    std::vector<std::uint8_t>& page_;
    const Layout& layout_;
};

}  // namespace jet
