// Long values (memo and OLE): a header in the row (its fields are in
// format.h), the data inline, in one LVAL row, or in a chain of LVAL rows.
#pragma once

#include "jet/bytes.h"
#include "jet/page.h"

#include <cstdint>
#include <vector>

namespace jet {

enum class LongValueForm : std::uint32_t {
    Chain = 0x00000000,
    SingleRow = 0x40000000,
    Inline = 0x80000000,
};

inline constexpr std::uint32_t kLongValueLengthMask = 0x3FFFFFFF;
inline constexpr std::uint32_t kLvalOwner = 0x4C41564C;  // "LVAL"

// Replaces `out` with the value's bytes, given the column's stored bytes
// (header and, for the inline form, the data).
void read_long_value(Pager& pager, Bytes stored, std::vector<std::uint8_t>& out);

}  // namespace jet
