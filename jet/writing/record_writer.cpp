#include "jet/writing/record_writer.h"

#include "jet/base/bytes.h"
#include "jet/base/error.h"
#include "jet/base/file.h"
#include "jet/rows/field_value.h"
#include "jet/writing/long_value_writer.h"
#include "jet/pages/page_edit.h"
#include "jet/writing/row_packer.h"
#include "jet/writing/row_placement.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace jet {

namespace {

[[noreturn]] void record_deleted() { throw error(kRecordDeleted); }

}  // namespace

Error not_written(std::vector<RowPointer> records)
{
    std::sort(records.begin(), records.end(), [](RowPointer a, RowPointer b) { return a.raw() < b.raw(); });
    records.erase(std::unique(records.begin(), records.end()), records.end());
    std::string text = error(kDataChanged).description();
    text += " The changes to " + std::to_string(records.size()) + (records.size() == 1 ? " record" : " records") +
            " were not written:";
    for (std::size_t i = 0; i < records.size(); ++i)
        text += (i == 0 ? " page " : ", page ") + std::to_string(records[i].page) + " row " +
                std::to_string(records[i].row);
    return Error(kDataChanged, text + ".");
}

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

// The acknowledged changes waiting on `page` are lost: another program
// wrote the page without its lock.
void RecordWriter::lost_with(std::uint32_t page)
{
    for (const InPlace& c : in_place_)
        if (c.page == page) unwritten_.push_back(c.record);
}

void RecordWriter::flush()
{
    for (const std::uint32_t page : held_.flush()) lost_with(page);
    in_place_.clear();
    if (unwritten_.empty()) return;
    std::vector<RowPointer> lost;
    lost.swap(unwritten_);
    throw not_written(std::move(lost));
}

// Write rule 7: an update that changes nothing still writes its page, with
// the bytes it holds.
bool RecordWriter::update(RowPointer at, const std::vector<FieldChange>& changes)
{
    held_.begin();
    const std::uint64_t written = pager_.pages_written();
    bool changed;
    try {
        changed = change(at, changes);
    } catch (...) {
        failure_wrote_ = pager_.pages_written() != written;
        // The held pages go back to what the updates before this one left,
        // and the writer goes idle, so that a refusal keeps nobody waiting.
        // Acknowledged changes that going idle could not write are what the
        // caller must hear of first.
        held_.roll_back();
        flush();
        throw;
    }
    held_.commit();
    if (coarse_milliseconds() - held_.held_since() >= static_cast<std::uint64_t>(kIdleAfter.count())) flush();
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

    // Only the fields being set are read from the row: an unchanged value
    // costs a comparison, whatever the row's width.
    changed_.clear();
    bool overtaken = false;
    for (const FieldChange& ch : changes) {
        const Column& c = table_.columns.at(ch.column);
        decode_field(pager_, c, splitter.cell(row, c), stored_);
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

    splitter.split(row, cells_);
    require_laid_out_again(row, splitter);
    held_.keep();  // from here on held pages change
    const std::vector<std::uint8_t> packed = new_row(row, changed_);
    place(at, where, packed);
    return true;
}

// Every field of the record must come out of the new layout as it went in;
// a stored form that does not (counts and offsets that a damaged row gets
// past the reader with) fails as damage before anything is written, rather
// than changing fields nobody set.
void RecordWriter::require_laid_out_again(Bytes row, RowSplitter& splitter)
{
    const std::vector<std::uint8_t> again = repack_row(table_, pager_.layout(), row, {});
    splitter.split(Bytes(again.data(), again.size()), again_);
    for (std::size_t i = 0; i < cells_.size(); ++i)
        require(again_[i].present == cells_[i].present &&
                std::equal(again_[i].data.begin(), again_[i].data.end(), cells_[i].data.begin(), cells_[i].data.end()));
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
            in_place_.push_back(InPlace{where.page, at});
            return;
        }
    }
    // Every page written below is checked first: a refusal then leaves the
    // file as it was. The pages place_row() writes it reads under their locks.
    held_.check(at.page);
    if (where.moved) held_.check(where.page);
    // Write rule 3: the new copy first, then the pointer, the old copy last.
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
    std::erase_if(in_place_, [&](const InPlace& c) { return c.page == at.page; });
    if (where.moved) {
        // The copy it replaces goes: marked deleted, its bytes given back.
        // The update is in the file already; when another program wrote the
        // old copy's page meanwhile, the copy stays (space lost, nothing
        // refers to it), and changes waiting on that page are lost.
        PageEditor old(*held_.find(where.page), layout);
        old.replace_row(where.slot, Bytes());
        old.set_flags(where.slot, kSlotDeleted);
        if (!held_.write_if_unchanged(where.page)) lost_with(where.page);
    }
}

}  // namespace jet
