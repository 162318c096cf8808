// The catalogue: MSysObjects' table entries (local, linked and system tables).
#pragma once

#include "jet/base/dao_numbers.h"
#include "jet/pages/page.h"

#include <cstdint>
#include <string>
#include <vector>

namespace jet {

// MSysObjects.Type of the objects the catalogue lists.
enum ObjectType : std::int16_t {
    kObjectTable = 1,
    kObjectContainer = 3,
    kObjectOdbcTable = 4,
    kObjectLinkedTable = 6,
};

// A local table's Id holds its definition's page in the low 24 bits.
inline constexpr std::uint32_t kObjectIdPageMask = 0x00FFFFFF;

enum class TableKind : std::uint8_t { Table, Linked, System };

const char* to_string(TableKind kind);  // "table", "linked", "system"

struct CatalogueEntry {
    std::string name;         // UTF-8
    std::uint32_t attributes = 0;
    TableKind kind = TableKind::Table;
    std::int32_t id = 0;      // a local table's Id is its definition's page
    std::int16_t type = 0;    // ObjectType
    std::uint32_t flags = 0;  // as stored
    std::string database;     // linked Jet table: the file, as stored
    std::string foreign_name; // linked table: its name in the other database
    std::string connect;      // ODBC and other links: the connect string

    std::uint32_t definition_page() const { return static_cast<std::uint32_t>(id) & kObjectIdPageMask; }
    bool linked() const { return type == kObjectLinkedTable || type == kObjectOdbcTable; }
};

// MSysObjects page: its definition is always on page 2.
inline constexpr std::uint32_t kCatalogPage = 2;

// The table entries in catalogue (storage) order.
std::vector<CatalogueEntry> read_catalogue(Pager& pager);

}  // namespace jet
