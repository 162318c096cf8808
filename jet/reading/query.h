// The query text the viewer builds: SELECT [TOP n] [f1], [f2], ... FROM table
// Keywords in any case, names bare or in brackets, whitespace as SQL allows,
// an optional closing semicolon. Anything else is a syntax error worded as
// Jet words it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jet {

struct SelectQuery {
    std::optional<std::uint64_t> top;
    bool all_fields = false;          // SELECT *
    std::vector<std::string> fields;  // as written, without brackets
    std::string table;
};

SelectQuery parse_query(std::string_view sql);

// A word Jet's SQL keeps for itself (in any case): a table or field of that
// name must stand in brackets, bare it is a syntax error.
bool is_reserved_word(std::string_view name);

}  // namespace jet
