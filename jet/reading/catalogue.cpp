#include "jet/reading/catalogue.h"

#include "jet/reading/cursor.h"
#include "jet/rows/table_definition.h"
#include "jet/base/text.h"

namespace jet {

namespace {

constexpr std::int32_t kRootParent = 0x0F000000;

std::size_t column_index(const TableDefinition& t, const char* name)
{
    for (std::size_t i = 0; i < t.columns.size(); ++i)
        if (names_equal(t.columns[i].name, name)) return i;
    corrupt();
}

std::int64_t number_of(const Value& v)
{
    switch (v.kind()) {
    case ValueKind::Byte: return v.byte();
    case ValueKind::Integer: return v.integer();
    case ValueKind::Long: return v.long_integer();
    case ValueKind::Null: return 0;
    default: corrupt();
    }
}

std::string text_of(const Value& v)
{
    if (v.is_null()) return {};
    require(v.kind() == ValueKind::Text);
    return to_utf8(v.text());
}

}  // namespace

const char* to_string(TableKind kind)
{
    switch (kind) {
    case TableKind::Linked: return "linked";
    case TableKind::System: return "system";
    default: return "table";
    }
}

std::vector<CatalogueEntry> read_catalogue(Pager& pager)
{
    const TableDefinition objects = read_table_definition(pager, kCatalogPage);
    const std::vector<std::size_t> columns = {
        column_index(objects, "Id"),          column_index(objects, "ParentId"),
        column_index(objects, "Name"),        column_index(objects, "Type"),
        column_index(objects, "Flags"),       column_index(objects, "Database"),
        column_index(objects, "ForeignName"), column_index(objects, "Connect"),
    };
    Snapshot rows = read_snapshot(pager, objects, columns, UINT64_MAX);

    struct Row {
        std::int64_t parent;
        CatalogueEntry entry;
    };
    std::vector<Row> all;
    all.reserve(rows.size());
    std::int64_t tables_id = -1;
    bool found_tables = false;
    for (; !rows.is_eof(); rows.move_next()) {
        Row r;
        CatalogueEntry& e = r.entry;
        e.id = static_cast<std::int32_t>(number_of(rows.value(0)));
        r.parent = number_of(rows.value(1));
        e.name = text_of(rows.value(2));
        e.type = static_cast<std::int16_t>(number_of(rows.value(3)));
        e.flags = static_cast<std::uint32_t>(number_of(rows.value(4)));
        e.database = text_of(rows.value(5));
        e.foreign_name = text_of(rows.value(6));
        e.connect = text_of(rows.value(7));
        if (!found_tables && e.type == kObjectContainer && r.parent == kRootParent && e.name == "Tables") {
            tables_id = e.id;
            found_tables = true;
        }
        all.push_back(std::move(r));
    }
    require(found_tables);

    std::vector<CatalogueEntry> entries;
    for (Row& r : all) {
        CatalogueEntry& e = r.entry;
        if (r.parent != tables_id) continue;
        if (e.type != kObjectTable && e.type != kObjectLinkedTable && e.type != kObjectOdbcTable) continue;
        e.attributes = e.flags;
        if (e.type == kObjectLinkedTable) e.attributes |= dbAttachedTable;
        if (e.type == kObjectOdbcTable) e.attributes |= dbAttachedODBC;
        if (e.attributes & dbSystemObject)
            e.kind = TableKind::System;
        else if (e.linked())
            e.kind = TableKind::Linked;
        entries.push_back(std::move(e));
    }
    return entries;
}

}  // namespace jet
