// Compaction: a new database file holding what an existing one holds, and
// nothing it no longer needs.
//
// The copy is rebuilt (compact_rebuild.h): pages numbered densely, every
// table's live rows packed again in their order with overflowed rows stored
// whole, deleted and orphaned rows and long values dropped, long values
// packed per column, index pages carried over with their row pointers and
// page links renumbered, usage maps and the global map written afresh.
// Table definition pages keep their numbers, since they are the tables'
// object Ids.
//
// A source the rebuild does not carry over (an index entry naming no live
// row, an index page that would no longer hold its entries once renumbered,
// ...) is compacted keeping every page number and row slot instead
// (compact_keep.h): inside each data page the dead rows are dropped and the
// live ones packed again, pages left with no live row become free, free
// pages are zeroed and those at the end are left out.
//
// The entry, below, holds the source for exclusive use, checks the options,
// writes the copy under a name of its own and reads it back.
#pragma once

#include "jet/compaction/compact_result.h"

#include <cstdint>
#include <functional>
#include <string>

namespace jet {

// CompactDatabase's option bits (DAO's numbers). Only those that keep the
// database's format and encoding as they are can be honoured.
inline constexpr int kCompactVersion10 = 1;
inline constexpr int kCompactEncrypt = 2;
inline constexpr int kCompactDecrypt = 4;
inline constexpr int kCompactVersion11 = 8;
inline constexpr int kCompactVersion20 = 16;
inline constexpr int kCompactVersion30 = 32;
inline constexpr int kCompactVersion40 = 64;


// Writes the compacted copy of `source` to `destination` (UTF-8 paths),
// which must not exist. `locale` is a connect-style text such as
// ";LANGID=0x0409;CP=1252;COUNTRY=0" (empty: the source's own); a sort order
// other than the source's is refused, as are `options` that would change the
// format or the encoding.
//
// The source is opened exclusively (File::open_exclusive) and held so from
// the start to the end of the call: nobody else has it open meanwhile. It is
// only read, first the way the database reader reads it (the catalogue,
// every table's definition and every row's values), and what the reader
// refuses is refused here with the reader's error; that one reading gives
// a digest of every stored row and long value (compact_tables.h). The copy
// is written under a name of its own beside the destination, read back from
// its file and given the destination's name only once every table's rows
// and long values there give the source's digests, so the destination
// either does not exist or is whole.
// `while_held`, when given, runs after that, with the source still held
// (to put the copy in its place, say); what it throws goes to the caller
// and leaves the destination as it is. Where the system cannot rename a file
// over one that is open (Windows), the hold ends right before the step
// instead: whoever opens the source in between makes that rename fail. When anything else fails no
// destination is left. Copies left beside the destination by compactions
// into it that were killed are removed first (compact_copy.h). Throws Error:
//   "Could not find file '...'."                 the source is missing
//   "Database already exists."                   the destination exists
//   "'...' isn't a valid path. ..."              the destination's folder is not there
//   "Unrecognized database format '...'."        the source is no database
//   "Could not use '...'; file already in use."  someone has the source open
//   "Not a valid password."                      the source has a password
//   "The database '...' needs to be repaired ..." the source is damaged
//   "Disk or network error."                     writing failed
CompactResult compact(const std::string& source, const std::string& destination, const std::string& locale,
                      int options, const std::function<void()>& while_held);
CompactResult compact(const std::string& source, const std::string& destination, const std::string& locale = {},
                      int options = 0);

}  // namespace jet
