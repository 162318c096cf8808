// The text forms jetdump writes values in (see the comment in jetdump.cpp).
#pragma once

#include "jet/base/value.h"

#include <string>
#include <string_view>

namespace jetdump {

// A JSON string as JSON.stringify writes it.
void append_json_string(std::string& out, std::u16string_view text);
// Shortest round-trip digits, laid out as JavaScript's Number#toString does.
void append_number(std::string& out, float v);
void append_number(std::string& out, double v);
// "YYYY-MM-DDTHH:MM:SS" of an OLE date.
void append_date(std::string& out, double v);
// One value of a record.
void append_value(std::string& out, const jet::Value& v);

}  // namespace jetdump
