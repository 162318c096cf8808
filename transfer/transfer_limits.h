// Fixed figures of moving a table between the database and the grid.
#pragma once
#include "afxdefs.h"

// Columns of the grid, and fields named in the query text: the first this many
// fields of the table definition, so that grid column i shows field i.
constexpr int kMaxGridColumns = 240;
// How every read formats its values: three decimals, date and time.
constexpr int kReadPrecision = 3;
constexpr DWORD kReadDateStyle = 0x80000000;
