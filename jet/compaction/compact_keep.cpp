#include "jet/compaction/compact_keep.h"

#include "jet/base/bytes.h"
#include "jet/compaction/compact_tables.h"
#include "jet/rows/long_value.h"
#include "jet/pages/page_edit.h"
#include "jet/rows/row.h"
#include "jet/rows/table_definition.h"
#include "jet/pages/usage_map.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace jet::compaction {

namespace {

using PageBytes = std::vector<std::uint8_t>;

// One row slot of a data page being rebuilt.
struct SlotModel {
    std::uint16_t flags = 0;
    PageBytes bytes;
    bool dead = false;
};

struct PageModel {
    std::uint32_t number = 0;
    std::vector<SlotModel> slots;

    std::size_t live_bytes() const
    {
        std::size_t n = 0;
        for (const SlotModel& s : slots)
            if (!s.dead) n += s.bytes.size();
        return n;
    }
    bool any_live() const
    {
        return std::any_of(slots.begin(), slots.end(), [](const SlotModel& s) { return !s.dead; });
    }
};

// The usage maps a data page is listed in, to take it out when it is freed.
struct PageMaps {
    RowPointer owned;
    RowPointer free;
};

// The compaction that keeps every page number and row slot: what is used
// when the rebuild does not carry a source over.
class Compactor {
public:
    explicit Compactor(Pager& pager) : pager_(pager), layout_(pager.layout()) {}

    void run()
    {
        load();
        for (const std::uint32_t t : table_pages(pager_)) note_table(t);
        for (TableState& t : tables_) find_live_rows(t);
        for (TableState& t : tables_) rebuild_table_pages(t);
        rebuild_long_value_pages();
        settle_free_pages();
    }

    // The pages of the copy: those past the last one kept are left out.
    std::vector<PageBytes> take_pages()
    {
        pages_.resize(kept_);
        return std::move(pages_);
    }
    CompactResult result;

private:
    struct TableState {
        TableDefinition def;
        std::vector<std::uint32_t> data_pages;
    };

    void load()
    {
        const std::uint32_t n = pager_.page_count();
        require(n > 2);
        pages_.resize(n);
        for (std::uint32_t p = 0; p < n; ++p) pager_.read_page(p, pages_[p]);
        referenced_.assign(n, 0);
        released_.assign(n, 0);
        referenced_[0] = referenced_[1] = 1;
        result.source_pages = n;
        // The global map's set bits are the free pages: only its own pages are kept.
        for (const std::uint32_t bitmap : usage_map_bitmap_pages(map_row(kGlobalMap)))
            if (in_file(bitmap)) mark(bitmap);
    }

    bool in_file(std::uint32_t page) const { return page < pages_.size(); }

    void mark(std::uint32_t page)
    {
        require(in_file(page));
        referenced_[page] = 1;
    }

    // Marks a usage map's row, its bitmap pages and the pages it lists; returns those pages.
    std::vector<std::uint32_t> mark_map(RowPointer map)
    {
        if (map.raw() == 0) return {};
        mark(map.page);
        const DataPage page(pager_.page(map.page), layout_);
        const Bytes row = pointed_row(page, map.row);
        for (const std::uint32_t bitmap : usage_map_bitmap_pages(row)) mark(bitmap);
        std::vector<std::uint32_t> listed = usage_map_pages(pager_, row);
        for (const std::uint32_t p : listed) mark(p);
        return listed;
    }

    void note_table(std::uint32_t first)
    {
        TableState t;
        t.def = read_table_definition(pager_, first);
        for (std::uint32_t p = first, hops = 0; p != 0; p = le32(pages_[p].data() + kTdefNextAt)) {
            require(in_file(p) && ++hops <= pages_.size() && pages_[p][kPageTypeAt] == kPageTableDefinition);
            mark(p);
        }
        for (const std::uint32_t p : mark_map(t.def.owned_map)) {
            const PageBytes& b = pages_[p];
            if (b[kPageTypeAt] != kPageData || le32(b.data() + kDataOwnerAt) != first || owner_of_.count(p)) continue;
            owner_of_[p] = tables_.size();
            t.data_pages.push_back(p);
        }
        mark_map(t.def.free_map);
        for (const RealIndex& index : t.def.real_indexes) {
            mark_map(index.usage_map);
            if (index.root_page != 0) mark(index.root_page);
        }
        for (const Column& c : t.def.columns) {
            if (!c.long_value()) continue;
            for (const std::uint32_t p : mark_map(c.long_value_owned_map)) {
                const PageBytes& b = pages_[p];
                if (b[kPageTypeAt] != kPageData || le32(b.data() + kDataOwnerAt) != kLvalOwner) continue;
                lval_maps_[p].push_back({c.long_value_owned_map, c.long_value_free_map});
            }
            mark_map(c.long_value_free_map);
        }
        tables_.push_back(std::move(t));
    }

    // Which overflow copies and long-value rows the table's live rows reach.
    void find_live_rows(const TableState& t)
    {
        RowSplitter splitter(t.def, layout_);
        std::vector<RowCell> cells;
        std::vector<std::size_t> long_columns;
        for (std::size_t i = 0; i < t.def.columns.size(); ++i)
            if (t.def.columns[i].long_value()) long_columns.push_back(i);

        for (const std::uint32_t p : t.data_pages) {
            const DataPage page(pager_.page(p), layout_);
            for (unsigned i = 0; i < page.slot_count(); ++i) {
                const RowSlot slot = page.slot(i);
                if (slot.deleted() || slot.overflow_target()) continue;
                Page keep;
                Bytes row = page.row(slot);
                if (slot.overflow_header()) {
                    const RowPointer at = overflow_pointer(row);
                    mark(at.page);
                    overflow_[at.raw()] = RowPointer{p, static_cast<std::uint8_t>(i)};
                    keep = pager_.page(at.page);
                    const DataPage target(keep, layout_);
                    const std::optional<RowSlot> target_slot = overflow_slot(target, t.def.page, at.row);
                    require(target_slot.has_value());
                    row = target.row(*target_slot);
                }
                if (long_columns.empty()) continue;
                splitter.split(row, cells);
                for (const std::size_t c : long_columns)
                    if (cells[c].present && !cells[c].data.empty()) mark_long_value(cells[c].data);
            }
        }
    }

    void mark_long_value(Bytes stored)
    {
        const LongValueHeader header = long_value_header(pager_, stored);
        if (header.form == LongValueForm::Inline) return;
        LvalRows rows(pager_, header, LvalPages::Cached);
        while (rows.next()) {
            mark(rows.at().page);
            live_lval_.insert(rows.at().raw());
        }
    }

    PageModel model_of(std::uint32_t number)
    {
        PageModel m;
        m.number = number;
        const DataPage page(pager_.page(number), layout_);
        m.slots.resize(page.slot_count());
        for (unsigned i = 0; i < page.slot_count(); ++i) {
            const RowSlot s = page.slot(i);
            SlotModel& slot = m.slots[i];
            slot.flags = s.flags;
            slot.dead = s.deleted();
            if (!slot.dead) {
                const Bytes row = page.row(s);
                slot.bytes.assign(row.begin(), row.end());
            }
        }
        return m;
    }

    std::size_t capacity(const PageModel& m) const
    {
        return layout_.page_size - (layout_.data_offsets + kSlotEntrySize * m.slots.size());
    }

    void rebuild_table_pages(const TableState& t)
    {
        std::vector<PageModel> models;
        std::unordered_map<std::uint32_t, std::size_t> model_at;
        for (const std::uint32_t p : t.data_pages) {
            model_at[p] = models.size();
            models.push_back(model_of(p));
        }
        for (PageModel& m : models)
            for (unsigned i = 0; i < m.slots.size(); ++i) {
                SlotModel& s = m.slots[i];
                // A copy no header points at any more is dead.
                if (!s.dead && (s.flags & kSlotFlagMask) == kSlotOverflowTarget &&
                    !overflow_.count(RowPointer{m.number, static_cast<std::uint8_t>(i)}.raw()))
                    s.dead = true;
            }
        // Overflowed rows go back into their original slot where that page
        // now has room; the others keep only their pointer.
        for (PageModel& home : models)
            for (SlotModel& header : home.slots) {
                if (header.dead || (header.flags & kSlotFlagMask) != kSlotOverflowHeader) continue;
                const RowPointer at = overflow_pointer(Bytes(header.bytes.data(), header.bytes.size()));
                const auto found = model_at.find(at.page);
                SlotModel* target = found == model_at.end() || at.row >= models[found->second].slots.size()
                                        ? nullptr
                                        : &models[found->second].slots[at.row];
                const bool movable = target && !target->dead && (target->flags & kSlotFlagMask) == kSlotOverflowTarget;
                if (movable &&
                    home.live_bytes() - header.bytes.size() + target->bytes.size() <= capacity(home)) {
                    header.bytes = std::move(target->bytes);
                    header.flags = 0;
                    target->bytes.clear();
                    target->dead = true;
                    ++result.rows_brought_home;
                } else {
                    header.bytes.resize(kRowPointerSize);
                }
            }
        for (const PageModel& m : models) {
            if (!m.any_live()) {
                release(m.number, {{t.def.owned_map, t.def.free_map}});
                continue;
            }
            write_model(m);
        }
    }

    void rebuild_long_value_pages()
    {
        for (const auto& [number, maps] : lval_maps_) {
            PageModel m = model_of(number);
            for (unsigned i = 0; i < m.slots.size(); ++i)
                if (!live_lval_.count(RowPointer{number, static_cast<std::uint8_t>(i)}.raw())) m.slots[i].dead = true;
            if (m.any_live())
                write_model(m);
            else
                release(number, maps);
        }
    }

    // Lays the page's live rows out again, packed downward in slot order;
    // dead slots keep their number with no bytes and the deleted flags.
    void write_model(const PageModel& m)
    {
        PageBytes& page = pages_[m.number];
        const DataPage before(pager_.page(m.number), layout_);
        for (unsigned i = 0; i < m.slots.size(); ++i) {
            const RowSlot s = before.slot(i);
            if (m.slots[i].dead && s.end > s.start) ++result.rows_reclaimed;
        }
        std::fill(page.begin() + layout_.data_offsets, page.end(), std::uint8_t{0});
        const std::size_t table_end = layout_.data_offsets + kSlotEntrySize * m.slots.size();
        require(table_end <= layout_.page_size);
        std::size_t low = layout_.page_size;
        for (unsigned i = 0; i < m.slots.size(); ++i) {
            const SlotModel& s = m.slots[i];
            std::uint16_t flags = kSlotDeleted;
            if (!s.dead) {
                // Damaged slots may overlap: their rows together need not fit.
                require(s.bytes.size() <= low - table_end);
                low -= s.bytes.size();
                if (!s.bytes.empty()) std::memcpy(page.data() + low, s.bytes.data(), s.bytes.size());
                flags = s.flags;
            }
            put16(page.data() + layout_.data_offsets + kSlotEntrySize * i, flags | low);
        }
        put16(page.data() + kDataFreeSpaceAt, low - table_end);
    }

    // A page with no live row left: out of its maps, free in the global map.
    void release(std::uint32_t number, const std::vector<PageMaps>& maps)
    {
        for (const PageMaps& m : maps)
            for (const RowPointer map : {m.owned, m.free})
                if (map.raw() != 0) set_map_bit(map, number, false);
        const DataPage before(pager_.page(number), layout_);
        for (unsigned i = 0; i < before.slot_count(); ++i) {
            const RowSlot s = before.slot(i);
            if (s.end > s.start && !s.deleted()) ++result.rows_reclaimed;
        }
        set_global_free(number);
        released_[number] = 1;
        ++result.pages_freed;
    }

    std::span<std::uint8_t> map_row(RowPointer map)
    {
        require(in_file(map.page));
        PageEditor page(pages_[map.page], layout_, false);
        require(!page.slot(map.row).deleted());
        return page.row(map.row);
    }

    void set_map_bit(RowPointer map, std::uint32_t page, bool value)
    {
        set_usage_map_bit(map_row(map), page, value, page_size(), [&](std::uint32_t bitmap) -> PageBytes* {
            return in_file(bitmap) ? &pages_[bitmap] : nullptr;
        });
    }

    // The global map's bitmap page of that number, where there is one.
    PageBytes* global_bitmap(std::uint32_t bitmap)
    {
        return in_file(bitmap) && pages_[bitmap][kPageTypeAt] == kPageUsageMap ? &pages_[bitmap] : nullptr;
    }

    // A set bit in the global map means free, and so does the lack of a bit
    // past what the map reaches; below an inline map's first page nothing is
    // known, and the page counts as used.
    bool global_free(std::uint32_t page)
    {
        const MapBit bit = usage_map_bit(map_row(kGlobalMap), page, page_size(),
                                         [&](std::uint32_t bitmap) { return global_bitmap(bitmap); });
        return bit == MapBit::Set || bit == MapBit::Past;
    }

    void set_global_free(std::uint32_t page)
    {
        set_usage_map_bit(
            map_row(kGlobalMap), page, true, page_size(),
            [&](std::uint32_t bitmap) { return global_bitmap(bitmap); }, MapBits::Free);
    }

    std::uint32_t page_size() const { return static_cast<std::uint32_t>(layout_.page_size); }

    // Free pages (no structure reaches them and the global map calls them
    // free) are zeroed; those at the end are left out of the copy. A page
    // nothing reaches but the global map calls used is kept as it is.
    void settle_free_pages()
    {
        kept_ = 3;
        for (std::uint32_t p = 2; p < pages_.size(); ++p) {
            const bool in_use = referenced_[p] && !released_[p];
            if (in_use || !global_free(p)) {
                if (released_[p]) std::fill(pages_[p].begin(), pages_[p].end(), std::uint8_t{0});
                kept_ = std::max(kept_, p + 1);
                continue;
            }
            std::fill(pages_[p].begin(), pages_[p].end(), std::uint8_t{0});
        }
        result.pages = kept_;
    }

    Pager& pager_;
    const Layout& layout_;
    std::vector<PageBytes> pages_;  // decoded, changed in place
    std::vector<std::uint8_t> referenced_;
    std::vector<std::uint8_t> released_;
    std::vector<TableState> tables_;
    std::unordered_map<std::uint32_t, std::size_t> owner_of_;            // data page -> table
    std::unordered_map<std::uint32_t, std::vector<PageMaps>> lval_maps_; // long-value page -> its maps
    std::unordered_map<std::uint32_t, RowPointer> overflow_;            // copy -> its header
    std::unordered_set<std::uint32_t> live_lval_;
    std::uint32_t kept_ = 0;
};

}  // namespace

std::vector<std::vector<std::uint8_t>> keep_pages(Pager& pager, CompactResult& result)
{
    Compactor compactor(pager);
    compactor.run();
    result = compactor.result;
    return compactor.take_pages();
}

}  // namespace jet::compaction
