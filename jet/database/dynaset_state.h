// What a dynaset holds (internal to dynaset.cpp and database.cpp).
#pragma once

#include "jet/database/database.h"
#include "jet/database/dynaset.h"
#include "jet/writing/record_writer.h"
#include "jet/rows/row.h"

#include <memory>
#include <utility>
#include <vector>

namespace jet {

struct Dynaset::State {
    State(Database& database, TableDefinition definition)
        : db(&database), table(std::move(definition)), splitter(table, database.pager().layout()),
          writer(database.pager(), table)
    {
    }
    Pager& pager() { return db->pager(); }

    std::unique_ptr<Database> link;  // the database a linked table lives in
    Database* db;
    TableLock reading;
    TableLock writing;
    const TableDefinition table;
    std::vector<std::size_t> columns;  // selected fields: indexes into table.columns
    std::vector<FieldInfo> fields;
    std::vector<RowPointer> rows;
    std::size_t position = 0;
    std::size_t visited = 0;
    RowSplitter splitter;
    std::vector<RowCell> cells;
    std::vector<Value> current;
    bool deleted = false;
    bool editing = false;
    std::vector<std::pair<std::size_t, FieldChange>> pending;  // field, change
    std::vector<FieldChange> changes;
    RecordWriter writer;
};

}  // namespace jet
