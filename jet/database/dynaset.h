// A dynaset cursor: the records a query selected, as places in the table.
// Each record's values are read from the file when it becomes current, and
// a record can be changed field by field:
//
//   jet::Dynaset d = db.open_dynaset("SELECT TOP 1000 [A], [B] FROM T");
//   for (; !d.is_eof(); d.move_next())
//       for (int i = 0; i < d.field_count(); ++i) {
//           jet::Value v = d.value(i);
//           d.edit();
//           d.set_value(i, v);
//           d.update();
//       }
//
// The dynaset's writer keeps the write locks of the pages it changed, and
// pages changed in place, until it goes idle: the cursor moving to a record
// on another page or past the last one, an update finding its locks held
// for 100 ms, close() or destruction (see RecordWriter).
//
// A dynaset refers to its database, which must outlive it.
#pragma once

#include "jet/reading/cursor.h"
#include "jet/base/value.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <vector>

namespace jet {

class Database;

class Dynaset {
public:
    Dynaset();
    ~Dynaset();
    Dynaset(Dynaset&&) noexcept;
    Dynaset& operator=(Dynaset&&) noexcept;

    int field_count() const;
    const std::vector<FieldInfo>& fields() const;

    bool is_eof() const;
    bool is_bof() const;
    // DAO's count: the records visited so far, all of them after move_last().
    long record_count() const;
    std::size_t size() const;
    std::size_t position() const;

    // Movement throws Error "No current record." where DAO does; the record
    // moved to is read afresh.
    void move_first();
    void move_last();
    void move_next();

    // The current record's field as read when it became current (or as this
    // cursor last wrote it). Throws "No current record." at the end, "Record
    // is deleted." when another program deleted it, "Item not found in this
    // collection." for an index outside the fields.
    Value value(int field) const;
    void read(int field, Value& out) const;

    // Starts changing the current record. Throws "No current record.",
    // "Record is deleted." and, for a database open for reading only,
    // "Cannot update. Database or object is read-only."
    void edit();
    // Sets a field of the record being edited, converted to the field's type.
    // Throws "Update or CancelUpdate without AddNew or Edit." outside edit(),
    // "Field cannot be updated." for an auto-number field, and conversion
    // errors.
    void set_value(int field, const Value& value);
    // Writes the fields set since edit() and ends the edit (see
    // RecordWriter::update for what is written, and the errors). On failure
    // the edit stays open. Returns whether a value changed: a field set to
    // the value it holds has its record's page written back as it is. When another user changed a field
    // being set since this cursor read the record, nothing is written and
    // Error kDataChanged is thrown ("Data has changed; operation stopped.");
    // the edit ends and the record is read again.
    bool update();
    // Ends the edit without writing.
    void cancel_update();
    bool editing() const;

    // Lets the writer go idle now: its pages written, its locks given back
    // (as Jet's idle call that frees locks). Throws "Data has changed;
    // operation stopped." when another program wrote one of its pages
    // without the lock; that page is not written, and the error names the
    // records whose changes it held. Moving off the page and a failed
    // update go idle the same way, with the same error.
    void idle();
    // Lets the writer go idle (its pages written, its locks given back) and
    // closes the cursor; the errors of going idle are thrown, and the cursor
    // is closed all the same. Destruction does the same without throwing.
    void close();

private:
    friend class Database;
    struct State;
    explicit Dynaset(std::unique_ptr<State> state);
    enum class Retry { Never, Reading, Updating };
    template <class F> auto guarded(F&& f, Retry retry) const -> decltype(f());
    void load();
    void leave_for(std::size_t position);

    std::unique_ptr<State> s_;
};

}  // namespace jet
