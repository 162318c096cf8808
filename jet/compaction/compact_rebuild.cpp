#include "jet/compaction/compact_rebuild.h"

#include "jet/base/bytes.h"
#include "jet/compaction/compact_tables.h"
#include "jet/rows/long_value.h"
#include "jet/pages/page_edit.h"
#include "jet/rows/row.h"
#include "jet/rows/table_definition.h"
#include "jet/pages/usage_map.h"

#include <algorithm>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace jet::compaction {

namespace {

using PageBytes = std::vector<std::uint8_t>;

// A page with less room than this is left out of its free-space map: an
// insert would hardly ever fit there.
constexpr std::size_t kRoomWorthListing = 64;

[[noreturn]] void unsupported() { throw Unsupported{}; }

// An index page's entries, each whole (the shared prefix put back).
std::vector<PageBytes> index_entries(Bytes b, const Layout& x, std::size_t& prefix, std::size_t& end)
{
    prefix = x.index_prefix_size == 2 ? le16(b.data() + x.index_prefix) : b[x.index_prefix];
    std::vector<PageBytes> out;
    std::size_t start = x.index_entries;
    for (std::size_t bit = 0; bit < std::size_t{x.index_mask_size} * 8; ++bit) {
        if (!(b[x.index_mask + bit / 8] & (1u << (bit % 8)))) continue;
        const std::size_t stop = x.index_entries + bit;
        require(stop > start && stop <= b.size());
        PageBytes entry;
        if (!out.empty()) entry.assign(out.front().begin(), out.front().begin() + static_cast<std::ptrdiff_t>(prefix));
        entry.insert(entry.end(), b.begin() + static_cast<std::ptrdiff_t>(start),
                     b.begin() + static_cast<std::ptrdiff_t>(stop));
        if (out.empty()) require(entry.size() >= prefix);
        out.push_back(std::move(entry));
        start = stop;
    }
    end = start;
    return out;
}

// Stores the entries again with the prefix they still share (never longer
// than the one they had, so a page that is read again gives the same bytes).
void store_index_entries(PageBytes& page, const Layout& x, const std::vector<PageBytes>& entries,
                         std::size_t old_prefix, std::size_t old_end)
{
    std::size_t prefix = entries.empty() ? 0 : std::min(old_prefix, entries.front().size());
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const auto [a, b] = std::mismatch(entries.front().begin(), entries.front().end(), entries[i].begin(),
                                          entries[i].end());
        prefix = std::min(prefix, static_cast<std::size_t>(a - entries.front().begin()));
    }
    std::fill(page.begin() + static_cast<std::ptrdiff_t>(x.index_mask), page.end(), std::uint8_t{0});
    std::size_t at = x.index_entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t skip = i == 0 ? 0 : prefix;
        const std::size_t n = entries[i].size() - skip;
        // An entry that no longer fits, or one stored as nothing, would need
        // the page split: not done here.
        if (n == 0 || at + n > page.size() || at + n - x.index_entries >= std::size_t{x.index_mask_size} * 8)
            unsupported();
        std::copy(entries[i].begin() + static_cast<std::ptrdiff_t>(skip), entries[i].end(),
                  page.begin() + static_cast<std::ptrdiff_t>(at));
        at += n;
        const std::size_t bit = at - x.index_entries;
        page[x.index_mask + bit / 8] = static_cast<std::uint8_t>(page[x.index_mask + bit / 8] | (1u << (bit % 8)));
    }
    if (x.index_prefix_size == 2)
        put16(page.data() + x.index_prefix, prefix);
    else
        page[x.index_prefix] = static_cast<std::uint8_t>(prefix);
    // The free-space count moves by what the entries gained or lost.
    const std::size_t free = le16(page.data() + kIndexFreeSpaceAt);
    require(free + old_end >= at);
    put16(page.data() + kIndexFreeSpaceAt, free + old_end - at);
}

// Rows laid into new data pages of one owner, one page after another.
struct Packer {
    std::uint32_t owner = 0;
    std::uint32_t page = 0;  // the page being filled; 0 before the first
    std::vector<std::uint32_t> pages;
};

struct LongColumn {
    std::size_t column = 0;  // in the definition's columns
    Packer packer;
};

// Old row pointer -> new one, in old order.
using RowMap = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

struct TableJob {
    std::uint32_t page = 0;
    TableDefinition def;
    std::vector<std::uint32_t> chain;      // definition pages, old numbers
    std::vector<std::uint32_t> new_chain;  // their new numbers
    std::vector<std::uint32_t> roots;      // new root page per real index
};

class Rebuilder {
public:
    Rebuilder(Pager& pager, CompactResult& result)
        : pager_(pager), l_(pager.layout()), result_(result)
    {
    }

    std::vector<PageBytes> run()
    {
        const std::uint32_t n = pager_.page_count();
        require(n > 2);
        result_.source_pages = n;
        std::vector<TableJob> tables;
        for (const std::uint32_t page : table_pages(pager_)) {
            TableJob t;
            t.page = page;
            t.def = read_table_definition(pager_, page);
            tables.push_back(std::move(t));
        }
        // Page 0, the global map's page and every table's first definition
        // page keep their numbers.
        take(0);
        take(1);
        for (const TableJob& t : tables) take(t.page);
        copy_page(0, out_[0]);
        copy_page(1, out_[1]);
        require(DataPage(pager_.page(1), l_).slot_count() > 0);

        for (TableJob& t : tables) carry_table(t);
        place_maps();
        for (TableJob& t : tables) write_definition(t);
        write_global_map();

        for (PageBytes& p : out_)
            if (p.empty()) p.assign(l_.page_size, 0);
        result_.pages = static_cast<std::uint32_t>(out_.size());
        result_.pages_freed = n > result_.pages ? n - result_.pages : 0;
        result_.renumbered = true;
        return std::move(out_);
    }

private:
    void take(std::uint32_t page)
    {
        if (out_.size() <= page) {
            out_.resize(page + 1);
            taken_.resize(page + 1, 0);
        }
        require(!taken_[page]);
        taken_[page] = 1;
    }

    std::uint32_t allocate()
    {
        while (cursor_ < taken_.size() && taken_[cursor_]) ++cursor_;
        const std::uint32_t page = cursor_++;
        take(page);
        return page;
    }

    // The map plan an old map pointer stands for (null pointer: none).
    std::set<std::uint32_t>* map_pages(RowPointer map)
    {
        if (map.raw() == 0) return nullptr;
        const auto [at, added] = map_index_.emplace(map.raw(), maps_.size());
        if (added) maps_.push_back({map.raw(), {}, 0});
        return &maps_[at->second].pages;
    }

    std::uint32_t new_map(RowPointer map) const
    {
        if (map.raw() == 0) return 0;
        // A map no table part was carried with (a long-value entry of a
        // column that holds no long values, say) has no new place.
        const auto found = map_index_.find(map.raw());
        if (found == map_index_.end()) unsupported();
        return maps_[found->second].now;
    }

    RowPointer place(Packer& k, Bytes bytes)
    {
        require(bytes.size() + kSlotEntrySize <= l_.page_size - l_.data_offsets);
        if (k.page != 0) {
            PageEditor e(out_[k.page], l_, false);
            if (e.can_add(bytes.size())) return {k.page, static_cast<std::uint8_t>(e.add_row(bytes, 0))};
        }
        k.page = allocate();
        k.pages.push_back(k.page);
        out_[k.page] = PageEditor::empty_page(l_, k.owner);
        PageEditor e(out_[k.page], l_, false);
        return {k.page, static_cast<std::uint8_t>(e.add_row(bytes, 0))};
    }

    std::span<std::uint8_t> placed_row(RowPointer at)
    {
        PageEditor e(out_[at.page], l_, false);
        return e.row(at.row);
    }

    // Adds a packer's pages to the owned map and those with room to the free map.
    void list_pages(const Packer& k, RowPointer owned, RowPointer free)
    {
        std::set<std::uint32_t>* o = map_pages(owned);
        std::set<std::uint32_t>* f = map_pages(free);
        for (const std::uint32_t p : k.pages) {
            if (o) o->insert(p);
            if (f && le16(out_[p].data() + kDataFreeSpaceAt) >= kRoomWorthListing) f->insert(p);
        }
    }

    // Counts the slots with bytes on the page: what was there to carry.
    void count_stored(const DataPage& page)
    {
        for (unsigned i = 0; i < page.slot_count(); ++i) {
            const RowSlot s = page.slot(i);
            if (s.end > s.start) ++stored_;
        }
    }

    // A page of the source as read before (the file is held alone).
    void copy_page(std::uint32_t number, PageBytes& out)
    {
        const Bytes bytes = pager_.page(number).bytes();
        out.assign(bytes.begin(), bytes.end());
    }

    void carry_table(TableJob& t)
    {
        const TableDefinition& d = t.def;
        std::unordered_set<std::uint32_t> seen;
        for (std::uint32_t p = t.page; p != 0; p = le32(pager_.page(p).bytes().data() + kTdefNextAt)) {
            require(p < pager_.page_count() && seen.insert(p).second && pager_.page(p).type() == kPageTableDefinition);
            t.chain.push_back(p);
            t.new_chain.push_back(p == t.page ? p : allocate());
        }

        std::vector<std::uint32_t> data_pages;
        if (d.owned_map.raw() != 0)
            for (const std::uint32_t p : usage_map_pages(pager_, d.owned_map)) {
                const Page page = pager_.page(p);
                if (page.type() == kPageData && le32(page.bytes().data() + kDataOwnerAt) == t.page) data_pages.push_back(p);
            }
        std::vector<LongColumn> long_columns;
        std::unordered_set<std::uint32_t> lval_pages;
        for (std::size_t i = 0; i < d.columns.size(); ++i) {
            if (!d.columns[i].long_value()) continue;
            long_columns.push_back({i, Packer{kLvalOwner, 0, {}}});
            if (d.columns[i].long_value_owned_map.raw() != 0)
                for (const std::uint32_t p : usage_map_pages(pager_, d.columns[i].long_value_owned_map)) {
                    const Page page = pager_.page(p);
                    if (page.type() == kPageData && le32(page.bytes().data() + kDataOwnerAt) == kLvalOwner &&
                        lval_pages.insert(p).second)
                        count_stored(DataPage(page, l_));
                }
        }

        RowSplitter splitter(d, l_);
        std::vector<RowCell> cells;
        PageBytes bytes;  // the row being carried
        Packer rows{t.page, 0, {}};
        RowMap& map = row_maps_[t.page];
        map.clear();
        for (const std::uint32_t p : data_pages) {
            const DataPage page(pager_.page(p), l_);
            count_stored(page);
            for (unsigned i = 0; i < page.slot_count(); ++i) {
                const RowSlot slot = page.slot(i);
                if (slot.deleted() || slot.overflow_target()) continue;
                Bytes row = page.row(slot);
                std::optional<DataPage> target;
                if (slot.overflow_header()) {
                    const RowPointer at = overflow_pointer(row);
                    target.emplace(pager_.page(at.page), l_);
                    const std::optional<RowSlot> target_slot = overflow_slot(*target, d.page, at.row);
                    require(target_slot.has_value());
                    row = target->row(*target_slot);
                    ++result_.rows_brought_home;
                    ++carried_;  // the header's own bytes are not carried either
                }
                bytes.assign(row.begin(), row.end());
                if (!long_columns.empty()) {
                    splitter.split(Bytes(bytes.data(), bytes.size()), cells);
                    for (LongColumn& c : long_columns) {
                        const RowCell& cell = cells[c.column];
                        if (!cell.present || cell.data.size() < kLongValueHeaderSize) continue;
                        carry_long_value(c, {bytes.data() + (cell.data.data() - bytes.data()), cell.data.size()});
                    }
                }
                const RowPointer now = place(rows, Bytes(bytes.data(), bytes.size()));
                ++carried_;
                map.emplace_back(RowPointer{p, static_cast<std::uint8_t>(i)}.raw(), now.raw());
            }
        }
        list_pages(rows, d.owned_map, d.free_map);
        for (const LongColumn& c : long_columns)
            list_pages(c.packer, d.columns[c.column].long_value_owned_map, d.columns[c.column].long_value_free_map);

        t.roots.assign(d.real_indexes.size(), 0);
        for (std::size_t i = 0; i < d.real_indexes.size(); ++i) t.roots[i] = carry_index(t, d.real_indexes[i], map);
        result_.rows_reclaimed = static_cast<std::uint32_t>(stored_ > carried_ ? stored_ - carried_ : 0);
    }

    // Copies a long value's LVAL rows into the column's new pages and points
    // the header (in the row being carried) at them.
    void carry_long_value(LongColumn& c, std::span<std::uint8_t> stored)
    {
        const LongValueHeader header = long_value_header(pager_, stored);
        if (header.form == LongValueForm::Inline) return;
        std::uint8_t* const pointer = stored.data() + kLongValuePointerAt;
        LvalRows rows(pager_, header, LvalPages::Cached);
        if (header.form == LongValueForm::SingleRow) {
            rows.next();
            put32(pointer, carry_lval_row(c, rows.at(), rows.row()).raw());
            return;
        }
        RowPointer first{}, previous{};
        while (rows.next()) {
            // A chain, or a part of one, that two values share.
            if (lval_map_.count(rows.at().raw())) unsupported();
            const RowPointer now = carry_lval_row(c, rows.at(), rows.row());
            put32(placed_row(now).data() + kLvalChainNextAt, 0);
            if (previous.raw() != 0)
                put32(placed_row(previous).data() + kLvalChainNextAt, now.raw());
            else
                first = now;
            previous = now;
        }
        put32(pointer, first.raw());
    }

    RowPointer carry_lval_row(LongColumn& c, RowPointer at, Bytes row)
    {
        const auto known = lval_map_.find(at.raw());
        if (known != lval_map_.end()) return RowPointer::from(known->second);
        const RowPointer now = place(c.packer, row);
        lval_map_.emplace(at.raw(), now.raw());
        ++carried_;
        return now;
    }

    // Carries every page of an index tree over, in their old order, with the
    // row pointers of its entries and its page links renumbered. Returns the
    // new root page.
    std::uint32_t carry_index(const TableJob& t, const RealIndex& index, const RowMap& rows)
    {
        std::set<std::uint32_t>* listed = map_pages(index.usage_map);
        if (index.root_page == 0) return 0;
        std::set<std::uint32_t> tree;
        std::vector<std::uint32_t> todo{index.root_page};
        while (!todo.empty()) {
            const std::uint32_t p = todo.back();
            todo.pop_back();
            if (p == 0 || !tree.insert(p).second) continue;
            require(p < pager_.page_count());
            const Page page = pager_.page(p);
            const Bytes b = page.bytes();
            if ((page.type() != kPageIndexNode && page.type() != kPageIndexLeaf) ||
                le32(b.data() + kIndexOwnerAt) != t.page)
                unsupported();
            std::size_t prefix = 0, end = 0;
            if (page.type() == kPageIndexNode)
                for (const PageBytes& e : index_entries(b, l_, prefix, end)) {
                    require(e.size() >= kIndexRowPointerSize + kIndexChildPageSize);
                    todo.push_back(be32(e.data() + e.size() - kIndexChildPageSize));
                }
            for (const std::size_t link : {l_.index_prev, l_.index_next, l_.index_tail})
                todo.push_back(le32(b.data() + link));
        }
        std::unordered_map<std::uint32_t, std::uint32_t> renumbered;
        for (const std::uint32_t p : tree) renumbered[p] = allocate();
        const auto page_of = [&](std::uint32_t p) -> std::uint32_t {
            if (p == 0) return 0;
            const auto found = renumbered.find(p);
            if (found == renumbered.end()) unsupported();
            return found->second;
        };
        for (const std::uint32_t p : tree) {
            PageBytes& out = out_[renumbered[p]];
            copy_page(p, out);
            std::size_t prefix = 0, end = 0;
            std::vector<PageBytes> entries = index_entries(Bytes(out.data(), out.size()), l_, prefix, end);
            const bool node = out[kPageTypeAt] == kPageIndexNode;
            // The entry's tail: its row pointer, and a node's child page after it.
            const std::size_t tail = kIndexRowPointerSize + (node ? kIndexChildPageSize : 0);
            for (PageBytes& e : entries) {
                require(e.size() >= tail);
                std::uint8_t* row = e.data() + e.size() - tail;
                const std::uint32_t old = be32(row);
                put_be32(row, node ? row_at_or_before(rows, old) : row_at(rows, old));
                if (node) put_be32(row + kIndexRowPointerSize, page_of(be32(row + kIndexRowPointerSize)));
            }
            store_index_entries(out, l_, entries, prefix, end);
            for (const std::size_t link : {l_.index_prev, l_.index_next, l_.index_tail})
                put32(out.data() + link, page_of(le32(out.data() + link)));
            if (listed) listed->insert(renumbered[p]);
        }
        return page_of(index.root_page);
    }

    // A leaf entry names a live row: its new pointer.
    static std::uint32_t row_at(const RowMap& rows, std::uint32_t old)
    {
        const auto at = std::lower_bound(rows.begin(), rows.end(), std::make_pair(old, std::uint32_t{0}));
        if (at == rows.end() || at->first != old) unsupported();
        return at->second;
    }

    // A node entry bounds its subtree and may name a row deleted since:
    // the last live row at or before it bounds the same entries.
    static std::uint32_t row_at_or_before(const RowMap& rows, std::uint32_t old)
    {
        const auto at = std::upper_bound(rows.begin(), rows.end(), std::make_pair(old, UINT32_MAX));
        return at == rows.begin() ? 0 : std::prev(at)->second;
    }

    // A usage map row of `length` bytes listing `pages`: inline when they fit
    // its bitmap, otherwise a reference map with new bitmap pages.
    PageBytes map_row(std::size_t length, const std::set<std::uint32_t>& pages)
    {
        PageBytes row(length, 0);
        const std::vector<std::uint32_t> listed(pages.begin(), pages.end());
        std::optional<BitmapPages> bitmaps = build_usage_map(row, listed, page_size(), [&] { return allocate(); });
        if (!bitmaps) unsupported();
        for (auto& [number, bytes] : *bitmaps) out_[number] = std::move(bytes);
        return row;
    }

    std::uint32_t page_size() const { return static_cast<std::uint32_t>(l_.page_size); }

    // Every map row the tables use, written afresh: those on the global
    // map's page in place, the others packed into new pages.
    void place_maps()
    {
        Packer packer{0, 0, {}};
        for (MapPlan& m : maps_) {
            const RowPointer old = RowPointer::from(m.old);
            require(old.page < pager_.page_count());
            const DataPage page(pager_.page(old.page), l_);
            const std::size_t length = pointed_row(page, old.row).size();
            const PageBytes row = map_row(length, m.pages);
            if (old.page == kGlobalMap.page) {
                if (old.row == kGlobalMap.row) unsupported();
                std::ranges::copy(row, placed_row(old).begin());
                m.now = m.old;
            } else {
                m.now = place(packer, Bytes(row.data(), row.size())).raw();
            }
        }
    }

    // The definition with its maps, index roots and chain renumbered.
    void write_definition(const TableJob& t)
    {
        PageBytes logical = logical_table_definition(pager_, t.page);
        const Bytes b(logical.data(), logical.size());
        put32(logical.data() + l_.tdef_owned_map, new_map(t.def.owned_map));
        put32(logical.data() + l_.tdef_free_map, new_map(t.def.free_map));
        for (std::size_t i = 0; i < t.def.real_indexes.size(); ++i) {
            std::uint8_t* d = logical.data() + t.def.real_index_offset + i * l_.real_index_size;
            require(t.def.real_index_offset + (i + 1) * l_.real_index_size <= logical.size());
            put32(d + l_.real_index_map, new_map(t.def.real_indexes[i].usage_map));
            put32(d + l_.real_index_root, t.roots[i]);
        }
        for (std::size_t at = t.def.long_value_offset; u16_at(b, at) != kLongColumnListEnd; at += kLongColumnEntrySize) {
            require(at + kLongColumnEntrySize <= logical.size());
            for (const std::uint32_t field : {kLongColumnOwnedMapAt, kLongColumnFreeMapAt}) {
                std::uint8_t* map = logical.data() + at + field;
                put32(map, new_map(RowPointer::from(le32(map))));
            }
        }
        std::size_t from = 0;
        for (std::size_t k = 0; k < t.chain.size(); ++k) {
            PageBytes& out = out_[t.new_chain[k]];
            copy_page(t.chain[k], out);
            const std::size_t skip = k == 0 ? 0 : kTdefPageHeaderSize;
            std::copy(logical.begin() + static_cast<std::ptrdiff_t>(from),
                      logical.begin() + static_cast<std::ptrdiff_t>(from + out.size() - skip),
                      out.begin() + static_cast<std::ptrdiff_t>(skip));
            from += out.size() - skip;
            put32(out.data() + kTdefNextAt, k + 1 < t.chain.size() ? t.new_chain[k + 1] : 0);
        }
    }

    // The global map: a set bit is a free page. Every page of the new file
    // is in use but the gaps left below the definition pages that kept
    // their numbers.
    void write_global_map()
    {
        const std::span<std::uint8_t> placed = placed_row(kGlobalMap);
        PageBytes row(placed.begin(), placed.end());
        // Page 0 and the global map's own page are never free.
        std::optional<BitmapPages> bitmaps =
            build_free_map(row, static_cast<std::uint32_t>(out_.size()), 2,
                           [&](std::uint32_t p) { return taken_[p] != 0; }, page_size(), [&] { return allocate(); });
        if (!bitmaps) unsupported();
        for (auto& [number, bytes] : *bitmaps) out_[number] = std::move(bytes);
        std::ranges::copy(row, placed_row(kGlobalMap).begin());
    }

    struct MapPlan {
        std::uint32_t old = 0;
        std::set<std::uint32_t> pages;  // new numbers
        std::uint32_t now = 0;
    };

    Pager& pager_;
    const Layout& l_;
    CompactResult& result_;
    std::vector<PageBytes> out_;
    std::vector<std::uint8_t> taken_;
    std::uint32_t cursor_ = 2;
    std::deque<MapPlan> maps_;  // stable: plans are referred to while others are added
    std::unordered_map<std::uint32_t, std::size_t> map_index_;
    std::unordered_map<std::uint32_t, RowMap> row_maps_;
    std::unordered_map<std::uint32_t, std::uint32_t> lval_map_;
    std::uint64_t stored_ = 0;   // source slots with bytes, on the pages carried from
    std::uint64_t carried_ = 0;  // of those, the ones carried (or folded into their row)
};

}  // namespace

std::vector<std::vector<std::uint8_t>> rebuild(Pager& pager, CompactResult& result)
{
    return Rebuilder(pager, result).run();
}

}  // namespace jet::compaction
