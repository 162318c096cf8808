// Writing changed fields of one record to the file.
#pragma once

#include "jet/held_pages.h"
#include "jet/page.h"
#include "jet/row.h"
#include "jet/table_definition.h"
#include "jet/value.h"

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

class RecordWriter {
public:
    RecordWriter(Pager& pager, const TableDefinition& table) : pager_(pager), table_(table), held_(pager) {}

    // Writes the changes to the record whose original slot is `at`, under the
    // write locks of the pages involved, before it returns. Each field is
    // compared with what the file holds now: fields that already hold their
    // new value are left alone, and when all of them do, nothing is written
    // at all (the file stays byte for byte the same). Returns whether
    // anything was written.
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
    // the errors of locking, conversion and size.
    bool update(RowPointer at, const std::vector<FieldChange>& changes);

private:
    struct Located {
        std::uint32_t page = 0;  // where the row's bytes are
        unsigned slot = 0;
        bool moved = false;      // reached through an overflow pointer
    };
    Located locate(RowPointer at);
    std::vector<std::uint8_t> new_row(Bytes old, const std::vector<const FieldChange*>& changed);
    void place(RowPointer at, const Located& where, const std::vector<std::uint8_t>& row);

    Pager& pager_;
    const TableDefinition& table_;
    HeldPages held_;
    std::vector<RowCell> cells_;
    std::vector<const FieldChange*> changed_;
    Value stored_;
};

}  // namespace jet
