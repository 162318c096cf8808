// libFuzzer target: a database file's bytes through open, catalogue, table
// definitions and every row of every local table. Only jet::Error may leave
// the engine; anything else (or a sanitizer report) is a finding.
#include "jet/jet.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        jet::Database db(jet::File::in_memory(std::vector<std::uint8_t>(data, data + size)), "fuzz.mdb");
        for (std::size_t i = 0; i < db.table_count(); ++i) {
            const jet::CatalogueEntry& entry = db.table(i);
            if (entry.linked()) continue;  // would open other files
            try {
                db.table_definition(entry.name);
                jet::Snapshot rows = db.open_table(entry.name);
                jet::Value value;
                if (!rows.is_eof()) rows.move_last();
                for (; !rows.is_eof(); rows.move_next())
                    for (int f = 0; f < rows.field_count(); ++f) rows.read(f, value);
            } catch (const jet::Error&) {
            }
        }
    } catch (const jet::Error&) {
    }
    return 0;
}
