// A snapshot cursor: the records a query selected, read once when it opened
// and held in memory, with DAO's movement and value access.
#pragma once

#include "jet/sharing/lock_manager.h"
#include "jet/rows/row.h"
#include "jet/pages/page.h"
#include "jet/rows/table_definition.h"
#include "jet/base/value.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace jet {

struct FieldInfo {
    std::string name;  // UTF-8
    std::int16_t dao_type = 0;
    std::int32_t size = 0;
};

class Snapshot {
public:
    Snapshot() = default;
    Snapshot(const Snapshot&) = default;
    Snapshot(Snapshot&&) noexcept = default;
    Snapshot& operator=(const Snapshot&) = default;
    Snapshot& operator=(Snapshot&&) noexcept = default;
    // Hands its buffers on to the next snapshot of this thread (see
    // snapshot.cpp).
    ~Snapshot();

    int field_count() const { return static_cast<int>(fields_.size()); }
    const std::vector<FieldInfo>& fields() const { return fields_; }

    bool is_eof() const { return position_ >= rows_; }
    bool is_bof() const { return rows_ == 0; }
    // DAO's count: the records visited so far, all of them after move_last().
    long record_count() const { return static_cast<long>(visited_); }
    // The number of records the snapshot holds.
    std::size_t size() const { return rows_; }
    std::size_t position() const { return position_; }

    // Movement throws Error "No current record." where DAO does.
    void move_first();
    void move_last();
    void move_next();

    // The current record's field; throws "No current record." at the end and
    // "Item not found in this collection." for an index outside the fields.
    Value value(int field) const;
    void read(int field, Value& out) const;

    // Keeps the table's read lock for as long as the snapshot (or a copy of
    // it) is open.
    void hold(TableLock lock) { lock_ = std::make_shared<TableLock>(std::move(lock)); }

private:
    friend class SnapshotWriter;

    struct Cell {
        ValueKind kind = ValueKind::Null;
        std::uint8_t precision = 0;
        std::uint8_t scale = 0;
        bool negative = false;
        std::uint32_t size = 0;  // text: characters, binary: bytes, decimal: magnitude bits 64..95
        union {
            std::int64_t i;
            double d;
            float f;
            std::uint64_t offset;  // into the text or byte store; decimal: magnitude bits 0..63
        };
        Cell() : i(0) {}
    };

    // A snapshot's buffers, kept for the next one when it ends.
    struct Buffers {
        std::vector<Cell> cells;
        std::u16string text;
        std::vector<std::uint8_t> bytes;
    };
    static Buffers* spare();  // null once the thread's spare has ended
    void note_visit() { if (position_ < rows_ && position_ + 1 > visited_) visited_ = position_ + 1; }

    std::vector<FieldInfo> fields_;
    std::vector<Cell> cells_;  // rows_ × fields_ cells, row by row
    std::u16string text_;
    std::vector<std::uint8_t> bytes_;
    std::size_t rows_ = 0;
    std::size_t position_ = 0;
    std::size_t visited_ = 0;
    std::shared_ptr<TableLock> lock_;
};

// Reads up to `top` records of `table` with the given columns (indexes into
// its definition), in storage order.
Snapshot read_snapshot(Pager& pager, const TableDefinition& table, const std::vector<std::size_t>& columns,
                       std::uint64_t top);

// Goes through every record of `table` as read_snapshot does with all its
// columns, refusing what it refuses, but keeps no value: `record` gets each
// record's stored bytes, its cells, and the long values of its memo and OLE
// columns that hold one, in column order (all valid during the call). For a
// file held alone: its long values are read from pages cached before.
using CheckedRecord = std::function<void(Bytes row, const std::vector<RowCell>& cells,
                                         std::span<const std::vector<std::uint8_t>> long_values)>;
void check_records(Pager& pager, const TableDefinition& table, const CheckedRecord& record);

}  // namespace jet
