// One field of a stored row as a Value, and a Value as a field stores it.
#pragma once

#include "jet/pages/page.h"
#include "jet/rows/row.h"
#include "jet/rows/table_definition.h"
#include "jet/base/value.h"

#include <cstdint>
#include <vector>

namespace jet {

// The kind of value a column holds.
ValueKind kind_of(const Column& column);

// The column's value in a stored row (long values are read from their pages).
void decode_field(Pager& pager, const Column& column, const RowCell& stored, Value& out);

// `in` converted to the column's kind, as setting a field converts it.
// Throws "Data type conversion error." for a kind the column cannot take and
// "Numeric field overflow." for a number out of its range. NULL stays NULL,
// except for a yes/no field, which has no NULL and takes No.
void convert_for_column(const Column& column, const Value& in, Value& out);

// The bytes a fixed-length column stores for a value of its kind.
void encode_fixed(const Column& column, const Value& value, std::vector<std::uint8_t>& out);

// The bytes a text or memo column stores for a text (before any long-value
// header). Throws "The field is too small ..." when a text column's size is
// exceeded.
void encode_text(const Column& column, Version version, const std::u16string& text, std::vector<std::uint8_t>& out);

}  // namespace jet
