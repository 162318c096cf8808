// Reading a table's records into a snapshot.
#include "jet/reading/cursor.h"
#include "jet/rows/long_value.h"
#include "jet/rows/row.h"
#include "jet/reading/table_scan.h"
#include "jet/base/text.h"

#include <algorithm>
#include <cstring>

namespace jet {

namespace {

// Buffers larger than this (all three together) are not kept.
constexpr std::size_t kSpareLimit = std::size_t{32} << 20;

template <class Buffer> std::size_t bytes_of(const Buffer& b) { return b.capacity() * sizeof(b[0]); }

// Takes `from`'s buffer when it is the larger one, leaving `into` empty
// either way, so that only its capacity is carried over.
template <class Buffer> void keep_larger(Buffer& into, Buffer& from)
{
    if (from.capacity() > into.capacity()) into.swap(from);
    into.clear();
}

}  // namespace

// A reading tick builds a snapshot of the same size as the last one, which
// has just ended. Its buffers are handed on rather than given back: a
// fresh buffer of a few hundred kilobytes costs a page fault for every 4 KiB
// written into it (under Wine on every tick, as its heap gives blocks of
// that size back to the system when they are freed).
Snapshot::Buffers* Snapshot::spare()
{
    // A snapshot that ends after its thread's spare did (one held by an
    // object destroyed at exit) keeps its buffers to itself.
    static thread_local bool gone = false;
    struct Kept : Buffers {
        ~Kept() { gone = true; }
    };
    if (gone) return nullptr;
    static thread_local Kept buffers;
    return &buffers;
}

Snapshot::~Snapshot()
{
    if (bytes_of(cells_) + bytes_of(text_) + bytes_of(bytes_) > kSpareLimit) return;
    Buffers* s = spare();
    if (!s) return;
    keep_larger(s->cells, cells_);
    keep_larger(s->text, text_);
    keep_larger(s->bytes, bytes_);
}

class SnapshotWriter {
public:
    SnapshotWriter(Pager& pager, const TableDefinition& table, Snapshot& out)
        : pager_(pager), table_(table), out_(out),
          // Each long value's bytes lie in the file once; a damaged file can
          // point many rows at the same ones, so what they add up to is capped.
          long_value_budget_(2 * static_cast<std::uint64_t>(pager.page_count()) * pager.page_size())
    {
    }

    void add(Snapshot::Cell& cell, const Column& column, const RowCell& stored)
    {
        if (column.type == kTypeBoolean) {
            cell.kind = ValueKind::Boolean;
            cell.i = stored.present ? 1 : 0;
            return;
        }
        if (!stored.present) {
            cell.kind = ValueKind::Null;
            return;
        }
        const Bytes d = stored.data;
        switch (column.type) {
        case kTypeByte: cell.kind = ValueKind::Byte; cell.i = u8_at(d, 0); return;
        case kTypeInteger: cell.kind = ValueKind::Integer; cell.i = static_cast<std::int16_t>(u16_at(d, 0)); return;
        case kTypeLong: cell.kind = ValueKind::Long; cell.i = static_cast<std::int32_t>(u32_at(d, 0)); return;
        case kTypeCurrency:
            require(d.size() >= 8);
            cell.kind = ValueKind::Currency;
            cell.i = static_cast<std::int64_t>(le64(d.data()));
            return;
        case kTypeSingle: {
            const std::uint32_t bits = u32_at(d, 0);
            cell.kind = ValueKind::Single;
            std::memcpy(&cell.f, &bits, sizeof bits);
            return;
        }
        case kTypeDouble:
        case kTypeDateTime: {
            require(d.size() >= 8);
            const std::uint64_t bits = le64(d.data());
            cell.kind = column.type == kTypeDouble ? ValueKind::Double : ValueKind::Date;
            std::memcpy(&cell.d, &bits, sizeof bits);
            return;
        }
        case kTypeText: add_text(cell, d); return;
        case kTypeMemo:
            read_long(d);
            add_text(cell, Bytes(scratch_.data(), scratch_.size()));
            return;
        case kTypeOle:
            read_long(d);
            add_bytes(cell, Bytes(scratch_.data(), scratch_.size()));
            return;
        case kTypeGuid: add_bytes(cell, sub(d, 0, kGuidSize)); return;
        case kTypeNumeric: {
            require(d.size() >= kNumericSize);
            // sign byte, then a 128-bit magnitude as four words, most significant first
            const std::uint8_t* words = d.data() + kNumericWordsAt;
            require(le32(words) == 0);
            cell.kind = ValueKind::Decimal;
            cell.negative = (d[0] & kNumericNegative) != 0;
            cell.precision = column.precision;
            cell.scale = column.scale;
            cell.size = le32(words + 4);
            cell.offset = (static_cast<std::uint64_t>(le32(words + 8)) << 32) | le32(words + 12);
            return;
        }
        default: add_bytes(cell, d); return;
        }
    }

    // Whether checking a stored value of the column can refuse it: never a
    // yes/no value, a text or bytes (checking reads no text), nor a number
    // in a fixed column long enough for it (split() gives a fixed column
    // exactly its length).
    static bool may_refuse(const Column& c)
    {
        std::size_t needs = 0;
        switch (c.type) {
        case kTypeBoolean:
        case kTypeText: return false;
        case kTypeByte: needs = 1; break;
        case kTypeInteger: needs = 2; break;
        case kTypeLong:
        case kTypeSingle: needs = 4; break;
        case kTypeCurrency:
        case kTypeDouble:
        case kTypeDateTime: needs = 8; break;
        case kTypeGuid: needs = kGuidSize; break;
        case kTypeMemo:
        case kTypeOle:
        case kTypeNumeric: return true;
        default: return false;
        }
        return !c.fixed() || c.length < needs;
    }

    void read_long(Bytes stored)
    {
        // Checking only, each of a record's long values is kept until the
        // record has been handed on.
        if (checking_ && long_values_.size() <= long_count_) long_values_.resize(long_count_ + 1);
        std::vector<std::uint8_t>& into = checking_ ? long_values_[long_count_++] : scratch_;
        read_long_value(pager_, stored, into, checking_ ? LvalPages::Cached : LvalPages::Fresh);
        require(into.size() <= long_value_budget_);
        long_value_budget_ -= into.size();
    }

    void add_text(Snapshot::Cell& cell, Bytes stored)
    {
        if (checking_) return;  // text of any bytes decodes
        const std::size_t at = out_.text_.size();
        if (pager_.layout().jet4())
            decode_jet4_text(stored, out_.text_);
        else
            decode_code_page_text(stored, pager_.header().code_page, out_.text_);
        cell.kind = ValueKind::Text;
        cell.offset = at;
        cell.size = static_cast<std::uint32_t>(out_.text_.size() - at);
    }

    void add_bytes(Snapshot::Cell& cell, Bytes stored)
    {
        if (checking_) return;
        cell.kind = ValueKind::Binary;
        cell.offset = out_.bytes_.size();
        cell.size = static_cast<std::uint32_t>(stored.size());
        out_.bytes_.insert(out_.bytes_.end(), stored.begin(), stored.end());
    }

    void read(const std::vector<std::size_t>& columns, std::uint64_t top)
    {
        for (const std::size_t c : columns) {
            const Column& col = table_.columns.at(c);
            out_.fields_.push_back({col.name, col.dao_type(), col.dao_size(table_.version)});
        }
        if (top == 0) return;
        RowSplitter splitter(table_, pager_.layout());
        std::vector<RowCell> stored;
        const std::size_t width = columns.size();
        // The definition's row count is a hint only (it can be stale).
        const std::uint64_t expected = std::min<std::uint64_t>({table_.row_count, top, 1u << 20});
        if (Snapshot::Buffers* spare = Snapshot::spare()) {
            out_.cells_.swap(spare->cells);
            out_.text_.swap(spare->text);
            out_.bytes_.swap(spare->bytes);
        }
        out_.cells_.reserve(static_cast<std::size_t>(expected) * width);
        // Room for the text as well: growing a large buffer costs a copy and
        // fresh pages, reserving costs nothing until used.
        std::uint64_t chars_per_row = 0;
        for (const std::size_t c : columns) {
            const Column& col = table_.columns[c];
            if (col.type == kTypeText) chars_per_row += std::min<std::uint64_t>(col.length, 64);
            if (col.type == kTypeMemo) chars_per_row += 64;
        }
        out_.text_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(expected * chars_per_row, 1u << 24)));
        scan_rows(pager_, table_, [&](Bytes row) {
            splitter.split(row, stored);
            const std::size_t at = out_.cells_.size();
            out_.cells_.resize(at + width);
            for (std::size_t f = 0; f < width; ++f)
                add(out_.cells_[at + f], table_.columns[columns[f]], stored[columns[f]]);
            ++out_.rows_;
            return out_.rows_ < top;
        });
        if (out_.rows_ > 0) out_.visited_ = 1;
    }

    // Every record with every column, through the checks above, its values
    // kept nowhere.
    void check(const CheckedRecord& record)
    {
        checking_ = true;
        RowSplitter splitter(table_, pager_.layout());
        std::vector<RowCell> stored;
        Snapshot::Cell cell;
        // Only the columns whose values add() can refuse are read: the
        // others pass whatever the row holds.
        std::vector<std::size_t> checked;
        for (std::size_t c = 0; c < table_.columns.size(); ++c)
            if (may_refuse(table_.columns[c])) checked.push_back(c);
        scan_rows(pager_, table_, [&](Bytes row) {
            splitter.split(row, stored);
            long_count_ = 0;
            for (const std::size_t c : checked) add(cell, table_.columns[c], stored[c]);
            record(row, stored, std::span(long_values_.data(), long_count_));
            return true;
        });
    }

private:
    Pager& pager_;
    const TableDefinition& table_;
    Snapshot& out_;
    std::uint64_t long_value_budget_;
    std::vector<std::uint8_t> scratch_;
    bool checking_ = false;
    std::vector<std::vector<std::uint8_t>> long_values_;  // the record's, when checking
    std::size_t long_count_ = 0;
};

Snapshot read_snapshot(Pager& pager, const TableDefinition& table, const std::vector<std::size_t>& columns,
                       std::uint64_t top)
{
    Snapshot snapshot;
    SnapshotWriter(pager, table, snapshot).read(columns, top);
    return snapshot;
}

void check_records(Pager& pager, const TableDefinition& table, const CheckedRecord& record)
{
    Snapshot unused;
    SnapshotWriter(pager, table, unused).check(record);
}

}  // namespace jet
