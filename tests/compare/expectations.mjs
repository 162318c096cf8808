// What the comparison knows about particular fixtures beyond what the readers
// say. Keys are paths relative to tests/fixtures.

// Files with a database password. The viewer opens with an empty connect
// string, so the engine must refuse them (mdbtools reads them regardless).
export const PASSWORD_PROTECTED = new Set([
  "real/mdbreader-V2000-with-password.mdb",
  "real/mdbreader-V2003-with-password.mdb",
]);
export const PASSWORD_ERROR = "Not a valid password.";

// Tables where mdbtools and mdb-reader return rows in physical order while Jet
// returns a row moved to an overflow location at its original slot. The list
// gives, for each record the two readers return, its position in Jet's order.
export const READER_ROW_ORDER = new Map([
  ["real/jackcess-V2000-overflowTest.mdb", new Map([["Table1", [1, 2, 4, 6, 7, 3, 5]]])],
]);
