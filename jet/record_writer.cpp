#include "jet/record_writer.h"

#include "jet/bytes.h"
#include "jet/error.h"
#include "jet/field_value.h"
#include "jet/long_value_writer.h"
#include "jet/page_edit.h"
#include "jet/row_packer.h"
#include "jet/row_placement.h"

#include <cstring>

namespace jet {

namespace {

[[noreturn]] void record_deleted() { throw error(kRecordDeleted); }

}  // namespace

RecordWriter::Located RecordWriter::locate(RowPointer at)
{
    const Layout& layout = pager_.layout();
    std::vector<std::uint8_t>& home = held_.lock(at.page);
    if (home[kPageTypeAt] != kPageData) record_deleted();
    PageEditor page(home, layout, false);
    if (page.owner() != table_.page || at.row >= page.slot_count()) record_deleted();
    const RowSlot slot = page.slot(at.row);
    if (slot.deleted() || slot.overflow_target()) record_deleted();
    if (!slot.overflow_header()) return Located{at.page, at.row, false};
    // The copy may lie on the same page as its pointer, as the reader allows.
    const RowPointer target = overflow_pointer(page.row(at.row));
    std::vector<std::uint8_t>& bytes = held_.lock(target.page);
    const PageEditor target_page(bytes, layout, false);
    const std::optional<RowSlot> target_slot = overflow_slot(target_page, table_.page, target.row);
    require(target_slot && target_slot->overflow_target());
    return Located{target.page, target.row, true};
}

RecordWriter::~RecordWriter()
{
    try {
        flush();
    } catch (...) {
        // Going idle failed: the locks are given back all the same, and what
        // could not be written is not written.
    }
}

void RecordWriter::flush() { held_.flush(); }

bool RecordWriter::update(RowPointer at, const std::vector<FieldChange>& changes)
{
    held_.begin();
    bool changed;
    try {
        changed = change(at, changes);
    } catch (...) {
        // The held pages go back to what the updates before this one left,
        // and the writer goes idle, so that a refusal keeps nobody waiting.
        held_.roll_back();
        try {
            flush();
        } catch (...) {
        }
        throw;
    }
    held_.commit();
    if (std::chrono::steady_clock::now() - held_.held_since() >= kIdleAfter) flush();
    return changed;
}

bool RecordWriter::change(RowPointer at, const std::vector<FieldChange>& changes)
{
    const Layout& layout = pager_.layout();
    const Located where = locate(at);
    std::vector<std::uint8_t>& bytes = *held_.find(where.page);
    const RowSlot slot = PageEditor(bytes, layout, false).slot(where.slot);
    const Bytes row(bytes.data() + slot.start, slot.end - slot.start);
    RowSplitter splitter(table_, layout);
    splitter.split(row, cells_);

    changed_.clear();
    bool overtaken = false;
    for (const FieldChange& ch : changes) {
        decode_field(pager_, table_.columns.at(ch.column), cells_[ch.column], stored_);
        if (stored_ == ch.value) continue;
        // Another user changed the field since the writer read it: writing
        // now would put back a value that is no longer there.
        if (ch.seen && !(stored_ == *ch.seen)) overtaken = true;
        changed_.push_back(&ch);
    }
    if (changed_.empty()) {
        // Nothing to change: the page goes back to the file as it is, so the
        // update is real write traffic all the same.
        held_.defer(where.page);
        return false;
    }
    if (overtaken) throw error(kDataChanged);

    if (table_.table_type != 'N') throw read_only();  // the catalogue is the engine's own
    for (const FieldChange* ch : changed_) {
        const Column& c = table_.columns[ch->column];
        if (!c.real_indexes.empty())
            throw error(kFieldNotUpdatable, {c.name});
    }

    const std::vector<std::uint8_t> packed = new_row(row, changed_);
    place(at, where, packed);
    return true;
}

std::vector<std::uint8_t> RecordWriter::new_row(Bytes old, const std::vector<const FieldChange*>& changed)
{
    const Layout& layout = pager_.layout();
    std::vector<std::vector<std::uint8_t>> data(changed.size());
    std::vector<CellChange> cells(changed.size());
    std::vector<std::vector<std::uint8_t>> long_data(changed.size());
    for (std::size_t i = 0; i < changed.size(); ++i) {
        const Column& c = table_.columns[changed[i]->column];
        const Value& v = changed[i]->value;
        cells[i].column = &c;
        if (c.type == kTypeBoolean) {
            cells[i].present = v.boolean();
            continue;
        }
        if (v.is_null()) continue;
        cells[i].present = true;
        if (c.type == kTypeText) {
            encode_text(c, layout.version, v.text(), data[i]);
        } else if (c.long_value()) {
            if (c.type == kTypeMemo)
                encode_text(c, layout.version, v.text(), long_data[i]);
            else
                long_data[i] = v.bytes();
            const Bytes d(long_data[i].data(), long_data[i].size());
            data[i] = write_long_value(pager_, held_, c, d, d.size() <= kLongValueInRowLimit);
        } else {
            encode_fixed(c, v, data[i]);  // numbers by their type; binary and GUID values as they are
            if (!c.fixed() && data[i].size() > c.length)
                throw error(kFieldTooSmall);
        }
    }
    for (;;) {
        for (std::size_t i = 0; i < cells.size(); ++i) cells[i].data = Bytes(data[i].data(), data[i].size());
        try {
            return repack_row(table_, layout, old, cells);
        } catch (const Error& e) {
            // Too long with long values kept in the row: move them out.
            bool moved = false;
            for (std::size_t i = 0; i < cells.size(); ++i) {
                const Column& c = *cells[i].column;
                if (e.number() != kRecordTooLarge || !c.long_value() || data[i].size() <= kLongValueHeaderSize) continue;
                const Bytes d(long_data[i].data(), long_data[i].size());
                data[i] = write_long_value(pager_, held_, c, d, false);
                moved = true;
            }
            if (!moved) throw;
        }
    }
}

void RecordWriter::place(RowPointer at, const Located& where, const std::vector<std::uint8_t>& row)
{
    const Layout& layout = pager_.layout();
    const Bytes packed(row.data(), row.size());
    {
        PageEditor page(*held_.find(where.page), layout);
        if (page.replace_row(where.slot, packed)) {
            held_.defer(where.page);
            return;
        }
    }
    // No room on its page: the row moves to an overflow row elsewhere, and
    // its slot keeps a pointer to it (so the row keeps its place and id).
    const RowPointer target =
        place_row(pager_, held_, table_.page, PageMaps{table_.owned_map, table_.free_map}, packed, kSlotOverflowTarget);
    std::vector<std::uint8_t>& home_bytes = *held_.find(at.page);
    PageEditor home(home_bytes, layout);
    std::uint8_t pointer[kRowPointerSize];
    put32(pointer, target.raw());
    const std::span<std::uint8_t> header = home.row(at.row);
    if (header.size() >= kRowPointerSize) {
        std::memcpy(header.data(), pointer, kRowPointerSize);
    } else if (!home.replace_row(at.row, Bytes(pointer, kRowPointerSize))) {
        throw error(kRecordTooLarge);
    }
    home.set_flags(at.row, kSlotOverflowHeader);
    held_.write(at.page);
    if (where.moved) {
        // The copy it replaces goes: marked deleted, its bytes given back.
        PageEditor old(*held_.find(where.page), layout);
        old.replace_row(where.slot, Bytes());
        old.set_flags(where.slot, kSlotDeleted);
        held_.write(where.page);
    }
}

}  // namespace jet
