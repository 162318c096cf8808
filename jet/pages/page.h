// Pages of the database file: the page reader with its cache, and the row
// slots of a data page.
#pragma once

#include "jet/base/bytes.h"
#include "jet/base/file.h"
#include "jet/base/header.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace jet {

class LockManager;

enum PageType : std::uint8_t {
    kPageHeader = 0x00,
    kPageData = 0x01,
    kPageTableDefinition = 0x02,
    kPageIndexNode = 0x03,
    kPageIndexLeaf = 0x04,
    kPageUsageMap = 0x05,
};

// Whether the page's first bytes mark it a page of that type.
inline bool page_is(Bytes b, PageType type) { return b[kPageTypeAt] == type && b[kPageMarkAt] == kPageMark; }

// A page's bytes; the buffer stays valid while the handle lives, even after
// the cache has let it go.
class Page {
public:
    Page() = default;
    explicit Page(std::shared_ptr<const std::vector<std::uint8_t>> data) : data_(std::move(data)) {}
    Bytes bytes() const { return Bytes(data_->data(), data_->size()); }
    std::uint8_t type() const { return (*data_)[kPageTypeAt]; }
    std::uint32_t number = 0;

private:
    std::shared_ptr<const std::vector<std::uint8_t>> data_;
};

// Changed pages a writer of this handle holds and has not written yet: the
// handle's readers see them as the writer will write them.
class PageOverlay {
public:
    virtual const std::vector<std::uint8_t>* changed_page(std::uint32_t number) const = 0;

protected:
    ~PageOverlay() = default;
};

// Reads pages, decoding encoded ones. Pages read since the last refresh()
// are kept, so one operation reads each page once; refresh() before an
// operation sees what other programs have written since. Readers take no
// locks, as Jet's don't: a writer puts every page down whole and in an order
// that keeps the file readable at every step, and a reader that meets a page
// caught in the middle of a change reads it again (see Database).
class Pager {
public:
    Pager(std::unique_ptr<File> file, const Header& header);

    const Header& header() const { return header_; }
    const Layout& layout() const { return *layout_; }
    std::uint32_t page_size() const { return layout_->page_size; }
    std::uint32_t page_count() const { return page_count_; }
    // Whether the file reaches page `number`. When the count known so far
    // says it does not, the file's size is taken again first: another user
    // may have appended pages since.
    bool reaches(std::uint64_t number) const;
    File& file() { return *file_; }

    // The page, or Corrupt if it lies outside the file.
    Page page(std::uint32_t number);
    // Forgets every cached page and takes the file's size again.
    void refresh();

    void set_locks(LockManager* locks) { locks_ = locks; }
    LockManager* locks() const { return locks_; }

    // The page read afresh, replacing a cached copy.
    Page fresh_page(std::uint32_t number);
    // Reads a page afresh and decoded into `out`, bypassing the cache and
    // any overlay. Corrupt if it lies outside the file.
    void read_page(std::uint32_t number, std::vector<std::uint8_t>& out);
    // Writes a whole page in one call (encoded if the database encodes its
    // pages); a page just past the end appends it. Throws "Disk or network error.".
    void write_page(std::uint32_t number, const std::vector<std::uint8_t>& page);

    void add_overlay(const PageOverlay* overlay);
    void remove_overlay(const PageOverlay* overlay);

    // Reads from the file (one may bring several pages) and pages written
    // to it, for measuring the traffic.
    std::uint64_t pages_read() const { return reads_; }
    std::uint64_t pages_written() const { return writes_; }

private:
    using Cache = std::unordered_map<std::uint32_t, std::shared_ptr<const std::vector<std::uint8_t>>>;
    void refresh_size() const;
    void read_raw(std::uint32_t number, std::vector<std::uint8_t>& out);
    Cache::iterator read_ahead(std::uint32_t number);
    const std::vector<std::uint8_t>* overlaid(std::uint32_t number) const;

    std::unique_ptr<File> file_;
    LockManager* locks_ = nullptr;
    std::vector<const PageOverlay*> overlays_;
    Header header_;
    const Layout* layout_;
    mutable std::uint32_t page_count_ = 0;
    std::uint64_t reads_ = 0;
    std::uint64_t writes_ = 0;
    Cache cache_;
    std::unique_ptr<std::uint8_t[]> run_;  // pages read in one call
    std::size_t run_size_ = 0;
};

// Row slot flags in a data page's offset table.
inline constexpr std::uint16_t kSlotOverflowHeader = 0x4000;  // holds a pointer to the row
inline constexpr std::uint16_t kSlotOverflowTarget = 0x8000;  // reached only through a pointer
inline constexpr std::uint16_t kSlotDeleted = 0xC000;
inline constexpr std::uint16_t kSlotOffsetMask = 0x1FFF;
inline constexpr std::uint16_t kSlotFlagMask = 0xC000;  // the bits above the offset
inline constexpr unsigned kMaxSlots = 256;

struct RowSlot {
    std::uint16_t start = 0;
    std::uint16_t end = 0;
    std::uint16_t flags = 0;
    bool deleted() const { return (flags & kSlotFlagMask) == kSlotDeleted; }
    bool overflow_target() const { return (flags & kSlotFlagMask) == kSlotOverflowTarget; }
    bool overflow_header() const { return (flags & kSlotFlagMask) == kSlotOverflowHeader; }
};

// Following an overflow row. An overflow header's bytes begin with a pointer
// to the row's copy; the copy lies on a data page of the same owner (the
// header's own page too: other writers leave such rows), and holds the row
// itself, so a row is reached in one hop at the most.

// The pointer an overflow header holds; Corrupt if it is too short for one.
inline RowPointer overflow_pointer(Bytes header)
{
    require(header.size() >= kRowPointerSize);
    return RowPointer::from(le32(header.data()));
}

// The slot the pointer leads to on `target` (a DataPage or a PageEditor of
// the pointer's page), or nothing when that slot is deleted: a writer moved
// the row on after the header was read. Corrupt when the page belongs to
// another owner, the slot lies outside it, or it is a pointer again.
template <class DataPageLike>
std::optional<RowSlot> overflow_slot(const DataPageLike& target, std::uint32_t owner, std::uint8_t row)
{
    require(target.owner() == owner);
    const RowSlot s = target.slot(row);
    if (s.deleted()) return std::nullopt;
    require(!s.overflow_header());  // one hop only
    return s;
}

// A data page (table rows, long values, usage-map rows).
class DataPage {
public:
    // Corrupt unless the page is a data page whose offset table fits.
    DataPage(Page page, const Layout& layout);

    std::uint32_t owner() const { return le32(bytes().data() + kDataOwnerAt); }
    unsigned slot_count() const { return count_; }
    // The slot's bounds; Corrupt if a live slot's bounds lie outside the page.
    RowSlot slot(unsigned index) const;
    Bytes row(const RowSlot& s) const { return bytes().subspan(s.start, s.end - s.start); }
    Bytes bytes() const { return page_.bytes(); }
    std::uint32_t number() const { return page_.number; }

private:
    Page page_;
    const Layout* layout_;
    unsigned count_;
};

// The row a row pointer names: Corrupt if it is missing or deleted.
Bytes pointed_row(const DataPage& page, std::uint8_t row, RowSlot* slot_out = nullptr);

}  // namespace jet
