#include "jet/database/dynaset.h"

#include "jet/database/database.h"
#include "jet/database/dynaset_state.h"
#include "jet/base/error.h"
#include "jet/rows/field_value.h"
#include "jet/reading/table_scan.h"

#include <stdexcept>

namespace jet {

Dynaset::Dynaset() = default;
Dynaset::~Dynaset() = default;
Dynaset::Dynaset(Dynaset&&) noexcept = default;
Dynaset& Dynaset::operator=(Dynaset&&) noexcept = default;
Dynaset::Dynaset(std::unique_ptr<State> state) : s_(std::move(state)) {}

// Damage found below turns into the error that names the database. A read
// that met a page caught in the middle of another user's change is tried
// again (see Database::read_again); so is an update that failed so before it
// wrote anything (what it read outside its locks, another user may have
// changed since); a write is not.
template <class F> auto Dynaset::guarded(F&& f, Retry retry) const -> decltype(f())
{
    const auto again = [&](int attempt) {
        const bool may = retry == Retry::Reading || (retry == Retry::Updating && !s_->writer.failure_wrote());
        return may && s_->db->read_again(attempt);
    };
    for (int attempt = 1;; ++attempt) {
        try {
            return f();
        } catch (const Corrupt&) {
            if (!again(attempt)) throw needs_repair(s_->db->path());
        } catch (const std::length_error&) {
            if (!again(attempt)) throw needs_repair(s_->db->path());
        }
    }
}

// Write rule 6: hold until idle.
// The writer goes idle when the cursor moves to a record on a page it does
// not hold, or past the last record.
void Dynaset::leave_for(std::size_t position)
{
    State& s = *s_;
    if (!s.writer.holding()) return;
    if (position < s.rows.size() && s.writer.holds(s.rows[position].page)) return;
    guarded([&] { s.writer.flush(); }, Retry::Never);
}

void Dynaset::idle()
{
    if (s_) guarded([&] { s_->writer.flush(); }, Retry::Never);
}

void Dynaset::close()
{
    if (!s_) return;
    struct Closing {
        std::unique_ptr<State>& state;
        ~Closing() { state.reset(); }
    } closing{s_};
    guarded([&] { s_->writer.flush(); }, Retry::Never);
}

int Dynaset::field_count() const { return s_ ? static_cast<int>(s_->fields.size()) : 0; }

const std::vector<FieldInfo>& Dynaset::fields() const
{
    static const std::vector<FieldInfo> none;
    return s_ ? s_->fields : none;
}

bool Dynaset::is_eof() const { return !s_ || s_->position >= s_->rows.size(); }
bool Dynaset::is_bof() const { return !s_ || s_->rows.empty(); }
long Dynaset::record_count() const { return s_ ? static_cast<long>(s_->visited) : 0; }
std::size_t Dynaset::size() const { return s_ ? s_->rows.size() : 0; }
std::size_t Dynaset::position() const { return s_ ? s_->position : 0; }
bool Dynaset::editing() const { return s_ && s_->editing; }

void Dynaset::load()
{
    State& s = *s_;
    s.editing = false;
    s.pending.clear();
    if (s.position >= s.rows.size()) return;
    if (s.position + 1 > s.visited) s.visited = s.position + 1;
    guarded([&] {
        Page keep;
        Bytes row;
        s.deleted = !read_row_at(s.pager(), s.table, s.rows[s.position], keep, row);
        if (s.deleted) return;
        s.splitter.split(row, s.cells);
        for (std::size_t f = 0; f < s.columns.size(); ++f)
            decode_field(s.pager(), s.table.columns[s.columns[f]], s.cells[s.columns[f]], s.current[f]);
    }, Retry::Reading);
}

void Dynaset::move_first()
{
    if (is_bof()) throw no_current_record();
    leave_for(0);
    s_->position = 0;
    load();
}

void Dynaset::move_last()
{
    if (is_bof()) throw no_current_record();
    leave_for(s_->rows.size() - 1);
    s_->position = s_->rows.size() - 1;
    s_->visited = s_->rows.size();
    load();
}

void Dynaset::move_next()
{
    if (is_eof()) throw no_current_record();
    leave_for(s_->position + 1);
    ++s_->position;
    load();
}

Value Dynaset::value(int field) const
{
    Value v;
    read(field, v);
    return v;
}

void Dynaset::read(int field, Value& out) const
{
    if (field < 0 || field >= field_count()) throw item_not_found();
    if (is_eof()) throw no_current_record();
    if (s_->deleted) throw error(kRecordDeleted);
    out = s_->current[static_cast<std::size_t>(field)];
}

void Dynaset::edit()
{
    if (is_eof()) throw no_current_record();
    if (s_->deleted) throw error(kRecordDeleted);
    s_->db->require_writable();
    s_->editing = true;
    s_->pending.clear();
}

void Dynaset::set_value(int field, const Value& value)
{
    if (field < 0 || field >= field_count()) throw item_not_found();
    if (!s_->editing) throw error(kUpdateWithoutEdit);
    const std::size_t column = s_->columns[static_cast<std::size_t>(field)];
    const Column& c = s_->table.columns[column];
    if (c.auto_number()) throw error(kFieldCannotBeUpdated);
    for (auto& p : s_->pending)
        if (p.first == static_cast<std::size_t>(field)) {
            convert_for_column(c, value, p.second.value);
            return;
        }
    s_->pending.emplace_back(static_cast<std::size_t>(field), FieldChange{column, Value()});
    try {
        convert_for_column(c, value, s_->pending.back().second.value);
    } catch (...) {
        s_->pending.pop_back();
        throw;
    }
}

bool Dynaset::update()
{
    if (!s_ || !s_->editing) throw error(kUpdateWithoutEdit);
    State& s = *s_;
    bool written = false;
    if (!s.pending.empty()) {
        s.changes.clear();
        for (const auto& p : s.pending) {
            s.changes.push_back(p.second);
            s.changes.back().seen = &s.current[p.first];
        }
        try {
            written = guarded([&] { return s.writer.update(s.rows[s.position], s.changes); }, Retry::Updating);
        } catch (const Error& e) {
            // The record changed under this cursor: the edit ends and the
            // record is read again, so that a new edit starts from what the
            // other user wrote.
            if (e.number() == kDataChanged) load();
            throw;
        }
        for (const auto& p : s.pending) s.current[p.first] = p.second.value;
    }
    s.editing = false;
    s.pending.clear();
    return written;
}

void Dynaset::cancel_update()
{
    if (!s_ || !s_->editing) throw error(kUpdateWithoutEdit);
    s_->editing = false;
    s_->pending.clear();
}

}  // namespace jet
