// Writing changed fields of one record to the file.
#pragma once

#include "jet/base/error.h"
#include "jet/writing/held_pages.h"
#include "jet/pages/page.h"
#include "jet/rows/row.h"
#include "jet/rows/table_definition.h"
#include "jet/base/value.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace jet {

struct FieldChange {
    std::size_t column = 0;  // index into the definition's columns
    Value value;             // already of the column's kind (convert_for_column)
    // The value the writer last saw in the field, when it read the record;
    // null when it does not matter what the field holds now.
    const Value* seen = nullptr;
};

// A writer keeps the write locks it took, and the pages it changed in
// place, until it goes idle: when flush() is called (the cursor leaves the
// pages, or the pass ends), when an update finds its oldest lock held for
// kIdleAfter, or when the writer is destroyed. Changes that move rows or add
// pages are written at once, in the order that keeps the file readable at
// every step; their locks are kept until idle too.
inline constexpr std::chrono::milliseconds kIdleAfter{100};

// "Data has changed; operation stopped." followed by the records (by their
// place: page and row) whose acknowledged changes were not written.
Error not_written(std::vector<RowPointer> records);

class RecordWriter {
public:
    RecordWriter(Pager& pager, const TableDefinition& table) : pager_(pager), table_(table), held_(pager) {}
    // Goes idle; a failure then is not reported.
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // Makes the changes to the record whose original slot is `at`, under the
    // write locks of the pages involved. Each field is compared with what
    // the page holds now: fields that already hold their new value are left
    // alone, and when all of them do, the record's page is written back with
    // the bytes it holds (real write traffic, the file byte for byte the
    // same). Returns whether any value changed. A failed update leaves the
    // held pages as they were before it.
    //
    // A row whose length changes is laid out again in its page, or moved to
    // an overflow row on another page of the table (its slot keeps a pointer
    // to it). A memo or OLE value is written anew only when it changed.
    //
    // Throws: "Record is deleted."; "Cannot update 'NAME'; field not
    // updateable." for a change to a column of an index (index entries are
    // not rewritten); "Cannot update. Database or object is read-only." for a
    // system table; "Data has changed; operation stopped." when a field to
    // be changed no longer holds the value its change says was seen there;
    // the errors of locking, conversion and size; "... needs to be
    // repaired." for a record whose stored form cannot be laid out again
    // with its other fields exactly as they are. Every page the change will
    // write is checked against the file before the first is written, so a
    // refusal for another program's write leaves the file as it was.
    bool update(RowPointer at, const std::vector<FieldChange>& changes);

    // Goes idle: writes the pages changed in place and gives every lock
    // back. When another program wrote one of them meanwhile, that page is
    // not written, and "Data has changed; operation stopped." is thrown with
    // the records whose acknowledged changes were therefore not written
    // named after it (not_written()). A failed update goes idle too and
    // throws that error in place of its own when records were lost so.
    void flush();
    // Whether the last update that failed had written a page before failing.
    bool failure_wrote() const { return failure_wrote_; }
    // Whether the writer holds the page's write lock now.
    bool holds(std::uint32_t page) { return held_.find(page) != nullptr; }
    bool holding() const { return held_.holding(); }

private:
    bool change(RowPointer at, const std::vector<FieldChange>& changes);
    struct Located {
        std::uint32_t page = 0;  // where the row's bytes are
        unsigned slot = 0;
        bool moved = false;      // reached through an overflow pointer
    };
    Located locate(RowPointer at);
    std::vector<std::uint8_t> new_row(Bytes old, const std::vector<const FieldChange*>& changed);
    void require_laid_out_again(Bytes row, RowSplitter& splitter);
    void place(RowPointer at, const Located& where, const std::vector<std::uint8_t>& row);
    void lost_with(std::uint32_t page);

    struct InPlace {
        std::uint32_t page = 0;  // the page changed, not written yet
        RowPointer record;
    };

    Pager& pager_;
    const TableDefinition& table_;
    HeldPages held_;
    std::vector<RowCell> cells_;
    std::vector<RowCell> again_;
    std::vector<InPlace> in_place_;       // acknowledged changes waiting for idle
    std::vector<RowPointer> unwritten_;   // acknowledged changes another program's write overtook
    bool failure_wrote_ = false;
    std::vector<const FieldChange*> changed_;
    Value stored_;
};

}  // namespace jet
