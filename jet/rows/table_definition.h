// A table definition (tdef): its columns, indexes and usage maps.
#pragma once

#include "jet/base/bytes.h"
#include "jet/base/dao_numbers.h"
#include "jet/base/format.h"
#include "jet/pages/page.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jet {

// Column types as the file stores them.
enum ColumnType : std::uint8_t {
    kTypeBoolean = 0x01,
    kTypeByte = 0x02,
    kTypeInteger = 0x03,
    kTypeLong = 0x04,
    kTypeCurrency = 0x05,
    kTypeSingle = 0x06,
    kTypeDouble = 0x07,
    kTypeDateTime = 0x08,
    kTypeBinary = 0x09,
    kTypeText = 0x0A,
    kTypeOle = 0x0B,
    kTypeMemo = 0x0C,
    kTypeGuid = 0x0F,
    kTypeNumeric = 0x10,
};

// Jet's limit of fields in a table.
inline constexpr std::uint16_t kMaxColumns = 255;

// Column flag bits.
inline constexpr std::uint8_t kColumnFixed = 0x01;
inline constexpr std::uint8_t kColumnAutoLong = 0x04;
inline constexpr std::uint8_t kColumnAutoGuid = 0x40;
inline constexpr std::uint8_t kColumnCompressedText = 0x01;  // extended flags (Jet 4)

struct Column {
    std::string name;  // UTF-8
    std::uint8_t type = 0;
    std::uint16_t number = 0;  // position in the row's null mask
    std::uint16_t var_index = 0;
    std::uint16_t fixed_offset = 0;
    std::uint16_t length = 0;  // bytes in the row (Jet 4 text: two per character)
    std::uint8_t flags = 0;
    std::uint8_t extended_flags = 0;
    std::uint8_t precision = 0;
    std::uint8_t scale = 0;
    std::uint16_t lcid = 0;
    std::uint16_t code_page = 0;
    std::vector<std::uint32_t> real_indexes;  // real indexes whose key includes this column
    RowPointer long_value_owned_map;          // memo and OLE columns
    RowPointer long_value_free_map;

    bool fixed() const { return (flags & kColumnFixed) != 0; }
    bool auto_number() const { return (flags & (kColumnAutoLong | kColumnAutoGuid)) != 0; }
    bool long_value() const { return type == kTypeMemo || type == kTypeOle; }
    std::int16_t dao_type() const;
    // DAO's size: characters for text, bytes for binary and the fixed types, 0 for memo and OLE.
    std::int32_t dao_size(Version version) const;
};

struct IndexColumn {
    std::uint16_t number = 0;
    bool ascending = true;
};

struct RealIndex {
    std::vector<IndexColumn> columns;
    RowPointer usage_map;
    std::uint32_t root_page = 0;
    std::uint8_t flags = 0;  // 0x01 unique, 0x02 ignore nulls, 0x08 required
};

struct LogicalIndex {
    std::string name;
    std::uint32_t number = 0;
    std::uint32_t real_index = 0;
    std::uint8_t kind = 0;  // 1 primary key, 2 foreign key
};

struct TableDefinition {
    std::uint32_t page = 0;
    Version version = Version::Jet4;
    std::uint32_t row_count = 0;
    std::uint32_t last_autonumber = 0;
    std::uint8_t table_type = 0;  // 'N' user, 'S' system
    std::uint16_t max_cols = 0;
    std::uint16_t var_slots = 0;
    RowPointer owned_map;
    RowPointer free_map;
    std::vector<Column> columns;  // field order: by column number
    std::vector<RealIndex> real_indexes;
    std::vector<LogicalIndex> indexes;
    // Where the parts that hold page and row references begin in the
    // logical definition (for a writer that renumbers them): the real
    // indexes' entries, and the long-value columns' map entries.
    std::size_t real_index_offset = 0;
    std::size_t long_value_offset = 0;

    // The column of that name (compared without regard to case), or null.
    const Column* find(std::string_view name) const;
};

// Reads the table definition whose first page is `page`.
TableDefinition read_table_definition(Pager& pager, std::uint32_t page);

// The definition as one run of bytes: the whole first page, then bytes 8..
// of each further page of its chain.
std::vector<std::uint8_t> logical_table_definition(Pager& pager, std::uint32_t page);

}  // namespace jet
