// Long values (memo and OLE): a header in the row (its fields are in
// format.h), the data inline, in one LVAL row, or in a chain of LVAL rows.
// Every reader of a header and every walk of a chain goes through here, so
// a damaged value is refused the same way wherever it is met.
#pragma once

#include "jet/base/bytes.h"
#include "jet/pages/page.h"

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace jet {

enum class LongValueForm : std::uint32_t {
    Chain = 0x00000000,
    SingleRow = 0x40000000,
    Inline = 0x80000000,
};

inline constexpr std::uint32_t kLongValueLengthMask = 0x3FFFFFFF;
inline constexpr std::uint32_t kLvalOwner = 0x4C41564C;  // "LVAL"

struct LongValueHeader {
    LongValueForm form = LongValueForm::Inline;
    std::size_t length = 0;
    RowPointer first;  // the value's (first) LVAL row; unused inline
};

// Decodes the header at the start of a column's stored bytes. Corrupt if
// the bytes are shorter than a header, the form is none of the three, the
// length is more than the file could hold, or inline data falls short of it.
LongValueHeader long_value_header(const Pager& pager, Bytes stored);

// How LVAL pages are read: afresh while other users may be adding rows, or
// from the cache when the file is ours alone.
enum class LvalPages { Fresh, Cached };

// Walks the LVAL rows of a value stored out of row, in order: its single
// row, or each row of its chain until the value's length is covered. Each
// row must lie on an LVAL page in a live slot and hold what it claims; a
// chain must not end early or come back to a row it passed.
class LvalRows {
public:
    LvalRows(Pager& pager, const LongValueHeader& header, LvalPages pages);

    // Moves to the next row; false once the value is complete.
    bool next();

    RowPointer at() const { return at_; }
    // The whole stored row (for a chain, its next pointer included).
    Bytes row() const { return row_; }
    // The part of the value this row holds.
    Bytes data() const { return data_; }

private:
    Pager& pager_;
    const LongValueHeader header_;
    const LvalPages pages_;
    RowPointer next_;
    std::size_t collected_ = 0;
    bool started_ = false;
    std::unordered_set<std::uint32_t> seen_;
    Page keep_;
    RowPointer at_;
    Bytes row_;
    Bytes data_;
};

// Replaces `out` with the value's bytes, given the column's stored bytes
// (header and, for the inline form, the data).
void read_long_value(Pager& pager, Bytes stored, std::vector<std::uint8_t>& out,
                     LvalPages pages = LvalPages::Fresh);

}  // namespace jet
