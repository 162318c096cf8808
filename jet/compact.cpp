#include "jet/compact.h"

#include "jet/compact_rebuild.h"

#include "jet/bytes.h"
#include "jet/catalogue.h"
#include "jet/cursor.h"
#include "jet/error.h"
#include "jet/file.h"
#include "jet/header.h"
#include "jet/long_value.h"
#include "jet/page.h"
#include "jet/page_edit.h"
#include "jet/rc4.h"
#include "jet/row.h"
#include "jet/table_definition.h"
#include "jet/usage_map.h"
#include "jet/value.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace jet {

namespace {

using PageBytes = std::vector<std::uint8_t>;

constexpr RowPointer kGlobalMap{1, 0};
constexpr std::int16_t kObjectLocalTable = 1;

Error invalid_argument() { return error(kInvalidArgument); }

// What the database reader makes of one table: its name and, row by row in
// storage order, a digest of every field's value.
struct TableReading {
    std::string name;
    std::vector<std::uint64_t> rows;
    bool operator==(const TableReading&) const = default;
};

class Digest {
public:
    void add(const void* data, std::size_t size)
    {
        const auto* p = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) hash_ = (hash_ ^ p[i]) * 0x100000001B3ull;
    }
    template <class T> void add_value(const T& v) { add(&v, sizeof v); }
    std::uint64_t value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xCBF29CE484222325ull;
};

void add_value(Digest& d, const Value& v)
{
    d.add_value(static_cast<std::uint8_t>(v.kind()));
    switch (v.kind()) {
    case ValueKind::Null: break;
    case ValueKind::Boolean: d.add_value(v.boolean()); break;
    case ValueKind::Byte: d.add_value(v.byte()); break;
    case ValueKind::Integer: d.add_value(v.integer()); break;
    case ValueKind::Long: d.add_value(v.long_integer()); break;
    case ValueKind::Currency: d.add_value(v.currency()); break;
    case ValueKind::Single: d.add_value(v.single()); break;
    case ValueKind::Double: d.add_value(v.double_value()); break;
    case ValueKind::Date: d.add_value(v.date()); break;
    case ValueKind::Text:
        d.add_value(v.text().size());
        d.add(v.text().data(), v.text().size() * sizeof(char16_t));
        break;
    case ValueKind::Binary:
        d.add_value(v.bytes().size());
        d.add(v.bytes().data(), v.bytes().size());
        break;
    case ValueKind::Decimal: {
        const Decimal& x = v.decimal();
        d.add_value(x.precision), d.add_value(x.scale), d.add_value(x.negative);
        d.add_value(x.high), d.add_value(x.low);
        break;
    }
    }
}

// Reads the database as the reader does when it opens it and reads every
// local table whole: the catalogue, each table's definition, each row's
// values. Damage is the reader's error, naming `path`.
std::vector<TableReading> read_as_the_reader(Pager& pager, const std::string& path)
{
    try {
        std::vector<TableReading> out;
        for (const CatalogueEntry& entry : read_catalogue(pager)) {
            if (entry.linked()) continue;
            const TableDefinition table = read_table_definition(pager, entry.definition_page());
            std::vector<std::size_t> columns(table.columns.size());
            for (std::size_t i = 0; i < columns.size(); ++i) columns[i] = i;
            Snapshot rows = read_snapshot(pager, table, columns, UINT64_MAX);
            TableReading reading{entry.name, {}};
            reading.rows.reserve(rows.size());
            Value v;
            for (; !rows.is_eof(); rows.move_next()) {
                Digest d;
                for (int f = 0; f < rows.field_count(); ++f) {
                    rows.read(f, v);
                    add_value(d, v);
                }
                reading.rows.push_back(d.value());
            }
            out.push_back(std::move(reading));
        }
        return out;
    } catch (const Corrupt&) {
        throw needs_repair(path);
    } catch (const std::length_error&) {
        throw needs_repair(path);
    }
}

void check_locale(const std::string& locale, const Header& header)
{
    std::string upper = locale;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::size_t at = upper.find("LANGID=");
    if (at == std::string::npos) return;
    char* end = nullptr;
    const unsigned long lcid = std::strtoul(upper.c_str() + at + 7, &end, 0);
    // Index keys are carried over as they are, so they stay in the
    // source's sort order: another one cannot be given to the copy.
    if (end == upper.c_str() + at + 7 || lcid != header.lcid) throw invalid_argument();
}

void check_options(int options, const Header& header)
{
    constexpr int kVersions =
        kCompactVersion10 | kCompactVersion11 | kCompactVersion20 | kCompactVersion30 | kCompactVersion40;
    bool ok = (options & ~(kVersions | kCompactEncrypt | kCompactDecrypt)) == 0;
    if (options & kVersions)
        ok = ok && (options & kVersions) ==
                       (header.version == Version::Jet3 ? kCompactVersion30 : kCompactVersion40);
    if (options & kCompactEncrypt) ok = ok && header.page_key != 0 && !(options & kCompactDecrypt);
    if (options & kCompactDecrypt) ok = ok && header.page_key == 0;
    if (!ok) throw invalid_argument();
}

void encode_page(std::uint32_t page_key, std::uint32_t number, std::uint8_t* data, std::size_t size)
{
    if (page_key == 0 || number == 0) return;
    const std::uint32_t k = page_key ^ number;
    const std::uint8_t key[4] = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8),
                                 static_cast<std::uint8_t>(k >> 16), static_cast<std::uint8_t>(k >> 24)};
    rc4_apply(key, 4, data, size);
}

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
        for (const std::uint32_t t : compaction::table_pages(pager_)) note_table(t);
        for (TableState& t : tables_) find_live_rows(t);
        for (TableState& t : tables_) rebuild_table_pages(t);
        rebuild_long_value_pages();
        settle_free_pages();
    }

    std::vector<PageBytes>& pages() { return pages_; }
    std::uint32_t kept_pages() const { return kept_; }
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
        const std::span<std::uint8_t> global = map_row(kGlobalMap);
        if (u8_at(global, 0) == static_cast<std::uint8_t>(UsageMapType::Reference))
            for (std::size_t at = 1; at + 4 <= global.size(); at += 4) {
                const std::uint32_t bitmap = le32(global.data() + at);
                if (bitmap != 0 && in_file(bitmap)) mark(bitmap);
            }
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
        if (u8_at(row, 0) == static_cast<std::uint8_t>(UsageMapType::Reference))
            for (std::size_t at = 1; at + 4 <= row.size(); at += 4) {
                const std::uint32_t bitmap = le32(row.data() + at);
                if (bitmap != 0) mark(bitmap);
            }
        std::vector<std::uint32_t> listed = usage_map_pages(pager_, row);
        for (const std::uint32_t p : listed) mark(p);
        return listed;
    }

    void note_table(std::uint32_t first)
    {
        TableState t;
        t.def = read_table_definition(pager_, first);
        for (std::uint32_t p = first, hops = 0; p != 0; p = le32(pages_[p].data() + 4)) {
            require(in_file(p) && ++hops <= pages_.size() && pages_[p][0] == kPageTableDefinition);
            mark(p);
        }
        for (const std::uint32_t p : mark_map(t.def.owned_map)) {
            const PageBytes& b = pages_[p];
            if (b[0] != kPageData || le32(b.data() + 4) != first || owner_of_.count(p)) continue;
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
                if (b[0] != kPageData || le32(b.data() + 4) != kLvalOwner) continue;
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
        require(stored.size() >= kLongValueHeaderSize);
        const std::uint32_t word = le32(stored.data());
        const std::size_t length = word & kLongValueLengthMask;
        const auto form = static_cast<LongValueForm>(word & ~kLongValueLengthMask);
        if (form == LongValueForm::Inline) return;
        RowPointer at = RowPointer::from(le32(stored.data() + 4));
        if (form == LongValueForm::SingleRow) {
            lval_row(at);
            return;
        }
        require(form == LongValueForm::Chain);
        std::size_t collected = 0;
        std::unordered_set<std::uint32_t> seen;
        while (collected < length) {
            require(at.raw() != 0 && seen.insert(at.raw()).second);
            const Bytes row = lval_row(at);
            require(row.size() >= 4);
            collected += row.size() - 4;
            at = RowPointer::from(le32(row.data()));
        }
    }

    Bytes lval_row(RowPointer at)
    {
        mark(at.page);
        const DataPage page(pager_.page(at.page), layout_);
        require(page.owner() == kLvalOwner);
        live_lval_.insert(at.raw());
        return pointed_row(page, at.row);
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
        return layout_.page_size - (layout_.data_offsets + 2u * m.slots.size());
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
                if (!s.dead && (s.flags & kSlotDeleted) == kSlotOverflowTarget &&
                    !overflow_.count(RowPointer{m.number, static_cast<std::uint8_t>(i)}.raw()))
                    s.dead = true;
            }
        // Overflowed rows go back into their original slot where that page
        // now has room; the others keep only their pointer.
        for (PageModel& home : models)
            for (SlotModel& header : home.slots) {
                if (header.dead || (header.flags & kSlotDeleted) != kSlotOverflowHeader) continue;
                const RowPointer at = RowPointer::from(le32(header.bytes.data()));
                const auto found = model_at.find(at.page);
                SlotModel* target = found == model_at.end() || at.row >= models[found->second].slots.size()
                                        ? nullptr
                                        : &models[found->second].slots[at.row];
                const bool movable = target && !target->dead && (target->flags & kSlotDeleted) == kSlotOverflowTarget;
                if (movable &&
                    home.live_bytes() - header.bytes.size() + target->bytes.size() <= capacity(home)) {
                    header.bytes = std::move(target->bytes);
                    header.flags = 0;
                    target->bytes.clear();
                    target->dead = true;
                    ++result.rows_brought_home;
                } else {
                    header.bytes.resize(4);
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
        const std::size_t table_end = layout_.data_offsets + 2u * m.slots.size();
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
            const auto entry = static_cast<std::uint16_t>(flags | low);
            page[layout_.data_offsets + 2 * i] = static_cast<std::uint8_t>(entry);
            page[layout_.data_offsets + 2 * i + 1] = static_cast<std::uint8_t>(entry >> 8);
        }
        const std::size_t free = low - table_end;
        page[2] = static_cast<std::uint8_t>(free);
        page[3] = static_cast<std::uint8_t>(free >> 8);
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
        set_usage_map_bit(map_row(map), page, value, layout_.page_size, [&](std::uint32_t bitmap) -> PageBytes* {
            return in_file(bitmap) ? &pages_[bitmap] : nullptr;
        });
    }

    // The global map's bit of a page: a set bit means free, and a page the
    // map does not reach counts as free. Null where there is no bit.
    std::uint8_t* global_byte(std::uint32_t page, std::uint8_t& bit)
    {
        const std::span<std::uint8_t> row = map_row(kGlobalMap);
        require(!row.empty());
        if (row[0] == static_cast<std::uint8_t>(UsageMapType::Inline)) {
            require(row.size() >= 5);
            const std::uint32_t first = le32(row.data() + 1);
            if (page < first) return nullptr;
            const std::uint64_t index = page - first;
            if (index >= (row.size() - 5) * 8) return nullptr;
            bit = static_cast<std::uint8_t>(1u << (index % 8));
            return row.data() + 5 + index / 8;
        }
        require(row[0] == static_cast<std::uint8_t>(UsageMapType::Reference));
        const std::uint64_t per_page = (static_cast<std::uint64_t>(layout_.page_size) - 4) * 8;
        const std::uint64_t j = page / per_page;
        if (1 + 4 * (j + 1) > row.size()) return nullptr;
        const std::uint32_t bitmap = le32(row.data() + 1 + 4 * j);
        if (bitmap == 0 || !in_file(bitmap) || pages_[bitmap][0] != kPageUsageMap) return nullptr;
        const std::uint64_t index = page % per_page;
        bit = static_cast<std::uint8_t>(1u << (index % 8));
        return pages_[bitmap].data() + 4 + index / 8;
    }

    bool global_free(std::uint32_t page)
    {
        std::uint8_t bit = 0;
        const std::uint8_t* byte = global_byte(page, bit);
        if (!byte) {
            // Below an inline map's first page nothing is known: count it used.
            const std::span<std::uint8_t> row = map_row(kGlobalMap);
            return !(row[0] == 0 && page < le32(row.data() + 1));
        }
        return (*byte & bit) != 0;
    }

    void set_global_free(std::uint32_t page)
    {
        std::uint8_t bit = 0;
        if (std::uint8_t* byte = global_byte(page, bit)) *byte |= bit;
    }

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

// Writes the pages in large runs, encoded as the source's were; page 0 goes
// out exactly as it was read.
void write_pages(File& out, const std::vector<PageBytes>& pages, std::uint32_t count, const Header& header)
{
    const std::size_t page_size = header.layout().page_size;
    constexpr std::uint32_t kRun = 256;
    std::vector<std::uint8_t> run;
    for (std::uint32_t first = 0; first < count; first += kRun) {
        const std::uint32_t n = std::min(kRun, count - first);
        run.resize(std::size_t{n} * page_size);
        for (std::uint32_t i = 0; i < n; ++i) {
            std::uint8_t* at = run.data() + std::size_t{i} * page_size;
            std::memcpy(at, pages[first + i].data(), page_size);
            encode_page(header.page_key, first + i, at, page_size);
        }
        if (!out.write_at(std::uint64_t{first} * page_size, run.data(), run.size())) throw disk_error();
    }
    if (!out.flush()) throw disk_error();
}

// The rebuilt pages, encoded as they will be written, read back through a
// second pager and compared with the source table by table.
bool reads_back(Pager& source, const std::vector<PageBytes>& pages, const Header& header)
{
    const std::size_t page_size = header.layout().page_size;
    std::vector<std::uint8_t> image(pages.size() * page_size);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        std::uint8_t* at = image.data() + p * page_size;
        std::memcpy(at, pages[p].data(), page_size);
        encode_page(header.page_key, static_cast<std::uint32_t>(p), at, page_size);
    }
    Pager copy(File::in_memory(std::move(image)), header);
    return compaction::reads_alike(source, copy);
}

// The copy just written, read back through its own file as the reader reads
// it, must hold what the source held, table for table and row for row.
void expect_reads_as_source(std::unique_ptr<File> written, const std::vector<TableReading>& source_reading,
                            const std::string& source, const std::string& name)
{
    std::vector<std::uint8_t> first(kJet4Layout.page_size);
    first.resize(written->read_at(0, first.data(), first.size()));
    try {
        Pager copy(std::move(written), read_header(Bytes(first.data(), first.size()), name));
        if (read_as_the_reader(copy, name) == source_reading) return;
    } catch (const Error&) {
    } catch (const Corrupt&) {
    }
    throw needs_repair(source);
}

// Compacts the source into `out`; the figures of the compaction used.
CompactResult compact_into(Pager& pager, File& out, const std::string& source)
{
    const Header& header = pager.header();
    // The full rebuild first; what it does not carry over (or finds odd)
    // is left to the compaction that keeps every page in place, which also
    // tells real damage apart.
    CompactResult rebuilt;
    std::vector<PageBytes> pages;
    try {
        pages = compaction::rebuild(pager, rebuilt);
    } catch (const compaction::Unsupported&) {
        pages.clear();
    } catch (const Corrupt&) {
        pages.clear();
    } catch (const std::length_error&) {
        pages.clear();
    }
    if (!pages.empty() && reads_back(pager, pages, header)) {
        write_pages(out, pages, static_cast<std::uint32_t>(pages.size()), header);
        return rebuilt;
    }
    Compactor compactor(pager);
    try {
        compactor.run();
    } catch (const Corrupt&) {
        throw needs_repair(source);
    } catch (const std::length_error&) {
        throw needs_repair(source);
    }
    write_pages(out, compactor.pages(), compactor.kept_pages(), header);
    return compactor.result;
}

}  // namespace

CompactResult compact(const std::string& source, const std::string& destination, const std::string& locale,
                      int options)
{
    return compact(source, destination, locale, options, {});
}

CompactResult compact(const std::string& source, const std::string& destination, const std::string& locale,
                      int options, const std::function<void()>& while_held)
{
    std::unique_ptr<File> file = File::open_exclusive(source);
    std::vector<std::uint8_t> first(kJet4Layout.page_size);
    first.resize(file->read_at(0, first.data(), first.size()));
    const Header header = read_header(Bytes(first.data(), first.size()), source);
    check_locale(locale, header);
    check_options(options, header);
    if (header.has_password) throw error(kNotValidPassword);
    auto pager = std::make_unique<Pager>(std::move(file), header);
    if (File::exists(destination)) throw error(kDatabaseExists);
    const std::vector<TableReading> reading = read_as_the_reader(*pager, source);

    // Written under a name of its own, so that a compaction cut short
    // leaves no destination behind, only that file.
    std::string partial;
    std::unique_ptr<File> out = File::create_beside(destination, partial);
    if (!out) throw cannot_open_file(destination);
    CompactResult result;
    try {
        result = compact_into(*pager, *out, source);
        expect_reads_as_source(std::move(out), reading, source, partial);
        bool exists = false;
        if (!File::rename_new(partial, destination, exists)) {
            if (exists) throw error(kDatabaseExists);
            throw disk_error();
        }
    } catch (...) {
        out.reset();
        File::remove(partial);
        throw;
    }
    if (while_held) {
        // Where an open file cannot be replaced the hold ends just before the
        // step: a program that opens the source in that moment keeps the
        // replacement from happening (its handle stops the rename), so no
        // write of its own is lost.
        if (!pager->file().replaceable_while_open()) pager.reset();
        while_held();
    }
    return result;
}

}  // namespace jet
