// The Jet engine: reads Access databases (Jet 3 and Jet 4 .mdb files) while
// other programs use them.
//
//   jet::Database db(path);                      // shared open; throws jet::Error
//   for (std::size_t i = 0; i < db.table_count(); ++i)
//       db.table(i).name, db.table(i).attributes // catalogue order, DAO's bits
//   jet::TableDefinition t = db.table_definition("Games");
//       t.columns[i].name, .dao_type(), .dao_size(t.version)
//   jet::Snapshot s = db.open_snapshot("SELECT TOP 1000 [A], [B] FROM T");
//       s.is_eof(), s.move_first(), s.move_last(), s.move_next(),
//       s.record_count(), s.field_count(), s.value(i) / s.read(i, value)
//   jet::Dynaset d = db.open_dynaset("SELECT TOP 1000 [A], [B] FROM T");
//       the same movement and reads, and per record:
//       d.edit(), d.set_value(i, value), d.update()   // written when it returns
//
// Every failure is a jet::Error with Jet's error number and description.
#pragma once

#include "jet/reading/catalogue.h"
#include "jet/reading/cursor.h"
#include "jet/database/database.h"
#include "jet/database/dynaset.h"
#include "jet/base/error.h"
#include "jet/rows/table_definition.h"
#include "jet/base/value.h"
