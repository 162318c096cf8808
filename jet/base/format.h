// Where the fields of the file lie: the two page layouts, Jet 3 (2 KiB
// pages) and Jet 4 (4 KiB pages), and the offsets both share. An offset
// counts bytes from the start of the structure its section names; each line
// holds one field, so that it can be checked against the format reference's
// tables one by one.
#pragma once

#include <cstdint>

namespace jet {

enum class Version : std::uint8_t { Jet3, Jet4 };

// ---- Offsets both layouts share --------------------------------------

// Row pointer: byte 0 the row number, bytes 1-3 the page number.
inline constexpr std::uint32_t kRowPointerSize = 4;           // u32, read as (page << 8) | row
inline constexpr std::uint32_t kPageNumberLimit = 0x1000000;  // no page number reaches 2^24

// Every page but the header page begins with its type and a fixed byte.
inline constexpr std::uint32_t kPageTypeAt = 0;  // u8: page type
inline constexpr std::uint32_t kPageMarkAt = 1;  // u8: always kPageMark
inline constexpr std::uint8_t kPageMark = 0x01;  // byte 1 of every page of types 1-5

// Data page header (table rows, long values, usage-map rows); the slot
// count and the start of the offset table differ, and are in the Layout.
inline constexpr std::uint32_t kDataFreeSpaceAt = 2;  // u16: free_space
inline constexpr std::uint32_t kDataOwnerAt = 4;      // u32: owner, a definition's page or "LVAL"
inline constexpr std::uint32_t kSlotEntrySize = 2;    // offset table: 2 bytes per slot

// Table definition page header; the logical definition is the first page
// whole, then each further page from its header's end on.
inline constexpr std::uint32_t kTdefNextAt = 4;          // u32: next definition page, 0 = last
inline constexpr std::uint32_t kTdefPageHeaderSize = 8;  // the header every definition page repeats
inline constexpr std::uint32_t kJet4TdefMagicAt = 12;    // u32: magic 0x0659 (Jet 4 only)

// Column descriptor fields not in the Layout.
inline constexpr std::uint32_t kColumnTypeAt = 0;                // u8: column type, both layouts
inline constexpr std::uint32_t kJet3ColumnCodePageAt = 11;       // u16: text code page (Jet 3 only)
inline constexpr std::uint32_t kJet4ColumnExtendedFlagsAt = 16;  // u8: extended flags (Jet 4 only)

// Real index definition: its key columns, from Layout::real_index_columns.
inline constexpr std::uint32_t kIndexKeyColumns = 10;     // key column entries, used or not
inline constexpr std::uint32_t kIndexKeyColumnSize = 3;   // {u16 column number, u8 order}
inline constexpr std::uint32_t kIndexKeyOrderAt = 2;      // u8: 0x01 ascending, 0x00 descending
inline constexpr std::uint16_t kIndexKeyUnused = 0xFFFF;  // column number of an unused entry

// Long-value column list, the definition's last part: one entry per memo
// or OLE column, then the end mark.
inline constexpr std::uint32_t kLongColumnEntrySize = 10;    // {u16 column number, u32, u32}
inline constexpr std::uint32_t kLongColumnOwnedMapAt = 2;    // u32: row pointer to its owned map
inline constexpr std::uint32_t kLongColumnFreeMapAt = 6;     // u32: row pointer to its free-space map
inline constexpr std::uint16_t kLongColumnListEnd = 0xFFFF;  // u16 after the last entry

// Row, from its start: the column count (Layout::row_count_size bytes),
// then the fixed area, a fixed column at row_count_size + its fixed offset.
// From its end: the null mask, (ncols + 7) / 8 bytes, bit n % 8 of byte
// n / 8 for column n; below it, in a table with variable columns, the variable
// count, slot[0], slot[1] ... and EOD (Layout::row_var_size bytes each),
// Jet 3 putting its jump bytes between the count and slot[0].
inline constexpr std::uint32_t kJet3RowJumpSpan = 256;  // Jet 3: one jump byte per 256 bytes of row

// Long-value header, in the variable slot of a memo or OLE column.
inline constexpr std::uint32_t kLongValueWordAt = 0;       // u32: length in bits 0-29, form in 30-31
inline constexpr std::uint32_t kLongValuePointerAt = 4;    // u32: row pointer to the first LVAL row
inline constexpr std::uint32_t kLongValueHeaderSize = 12;  // with an unknown u32 at 8; inline data follows
// A row of an LVAL chain.
inline constexpr std::uint32_t kLvalChainNextAt = 0;  // u32: row pointer to the next row, 0 at the end
inline constexpr std::uint32_t kLvalChainDataAt = 4;  // the chunk, to the row's end

// Fixed-size values whose bytes are read by parts.
inline constexpr std::uint32_t kNumericSize = 17;       // numeric: sign byte and 128-bit magnitude
inline constexpr std::uint8_t kNumericNegative = 0x80;  // numeric: sign byte of a negative value
inline constexpr std::uint32_t kNumericWordsAt = 1;     // numeric: four u32, most significant first
inline constexpr std::uint32_t kGuidSize = 16;          // GUID: 16 bytes

// Index page header (type 0x03 node, 0x04 leaf): free space and owner lie
// where a data page has them; its links, prefix and entry mask are in the
// Layout. An entry is its key, then a row pointer (page in 3 bytes, then
// the row, big-endian); a node's entry adds its child's page.
inline constexpr std::uint32_t kIndexFreeSpaceAt = kDataFreeSpaceAt;  // u16: free space
inline constexpr std::uint32_t kIndexOwnerAt = kDataOwnerAt;          // u32: the table's definition page
inline constexpr std::uint32_t kIndexRowPointerSize = 4;              // entry: big-endian row pointer after the key
inline constexpr std::uint32_t kIndexChildPageSize = 4;               // node entry: big-endian u32 child page, last

// Usage map row and the bitmap pages a reference map points at. Bit i
// (least significant first in each byte) stands for page first + i; the
// j-th bitmap page covers the P pages from j * P on, P = (page size - 4) * 8.
inline constexpr std::uint32_t kMapTypeAt = 0;         // u8: 0 inline, 1 reference
inline constexpr std::uint32_t kMapFirstPageAt = 1;    // inline: u32 page of bit 0
inline constexpr std::uint32_t kMapBitmapAt = 5;       // inline: the bitmap, to the row's end
inline constexpr std::uint32_t kMapPagesAt = 1;        // reference: u32 bitmap pages (0 = none) to the row's end
inline constexpr std::uint32_t kMapPageEntrySize = 4;  // reference: bytes per bitmap-page number
inline constexpr std::uint32_t kBitmapPageBitsAt = 4;  // bitmap page (type 0x05): its bits, after 05 01 00 00

// ---- Offsets that differ between the layouts --------------------------

struct Layout {
    Version version;
    std::uint32_t page_size;

    // data page header
    std::uint32_t data_row_count;  // u16: num_rows, the slot count
    std::uint32_t data_offsets;    // the row offset table, 2 bytes per slot

    // table definition, fixed part
    std::uint32_t tdef_row_count;      // u32: num_rows
    std::uint32_t tdef_autonumber;     // u32: last autonumber
    std::uint32_t tdef_table_type;     // u8: 'N' user, 'S' system
    std::uint32_t tdef_max_cols;       // u16: max_cols
    std::uint32_t tdef_var_slots;      // u16: var_slots
    std::uint32_t tdef_num_cols;       // u16: num_cols
    std::uint32_t tdef_num_idx;        // u32: num_idx (logical)
    std::uint32_t tdef_num_real_idx;   // u32: num_real_idx
    std::uint32_t tdef_owned_map;      // u32: row pointer to the owned-pages map
    std::uint32_t tdef_free_map;       // u32: row pointer to the free-space map
    std::uint32_t tdef_variable_part;  // where the variable part begins
    // table definition, variable part: the size of each entry
    std::uint32_t index_stats_size;    // statistics block, one per real index
    std::uint32_t column_size;         // column descriptor
    std::uint32_t real_index_size;     // real index definition
    std::uint32_t logical_index_size;  // logical index definition

    // column descriptor
    std::uint32_t col_number;        // u16: column number (its null-mask bit)
    std::uint32_t col_var_index;     // u16: variable slot index
    std::uint32_t col_flags;         // u8: flags
    std::uint32_t col_fixed_offset;  // u16: fixed-area offset
    std::uint32_t col_length;        // u16: length
    std::uint32_t col_lcid;          // u16: text and memo collation
    std::uint32_t col_precision;     // u8: numeric precision
    std::uint32_t col_scale;         // u8: numeric scale

    // real index definition
    std::uint32_t real_index_columns;  // the first of its key columns
    std::uint32_t real_index_map;      // u32: row pointer to the usage map of its pages
    std::uint32_t real_index_root;     // u32: root page
    std::uint32_t real_index_flags;    // u8: index flags

    // logical index definition
    std::uint32_t logical_index_number;  // u32: logical index number
    std::uint32_t logical_index_real;    // u32: the real index that backs it
    std::uint32_t logical_index_kind;    // u8: 1 primary key, 2 foreign key, 0 other

    // index page header
    std::uint32_t index_prev;         // u32: previous page on the same level
    std::uint32_t index_next;         // u32: next page
    std::uint32_t index_tail;         // u32: a node page's last leaf
    std::uint32_t index_prefix;       // the shared prefix length, index_prefix_size bytes
    std::uint32_t index_prefix_size;  // 1 byte (Jet3) or 2 (Jet4)
    std::uint32_t index_mask;         // the entry end mask, a bit per byte from index_entries on
    std::uint32_t index_mask_size;    // its bytes
    std::uint32_t index_entries;      // where the entries begin

    // row
    std::uint32_t row_count_size;  // ncols: 1 byte (Jet3) or 2 (Jet4)
    std::uint32_t row_var_size;    // the variable count, each offset and EOD: 1 byte (Jet3) or 2 (Jet4)

    bool jet4() const { return version == Version::Jet4; }
};

inline constexpr Layout kJet3Layout{
    .version = Version::Jet3,
    .page_size = 2048,

    .data_row_count = 8,
    .data_offsets = 10,

    .tdef_row_count = 12,
    .tdef_autonumber = 16,
    .tdef_table_type = 20,
    .tdef_max_cols = 21,
    .tdef_var_slots = 23,
    .tdef_num_cols = 25,
    .tdef_num_idx = 27,
    .tdef_num_real_idx = 31,
    .tdef_owned_map = 35,
    .tdef_free_map = 39,
    .tdef_variable_part = 43,
    .index_stats_size = 8,
    .column_size = 18,
    .real_index_size = 39,
    .logical_index_size = 20,

    .col_number = 1,
    .col_var_index = 3,
    .col_flags = 13,
    .col_fixed_offset = 14,
    .col_length = 16,
    .col_lcid = 9,
    .col_precision = 11,
    .col_scale = 12,

    .real_index_columns = 0,
    .real_index_map = 30,
    .real_index_root = 34,
    .real_index_flags = 38,

    .logical_index_number = 0,
    .logical_index_real = 4,
    .logical_index_kind = 19,

    .index_prev = 8,
    .index_next = 12,
    .index_tail = 16,
    .index_prefix = 20,
    .index_prefix_size = 1,
    .index_mask = 22,
    .index_mask_size = 226,
    .index_entries = 0xF8,

    .row_count_size = 1,
    .row_var_size = 1,
};

inline constexpr Layout kJet4Layout{
    .version = Version::Jet4,
    .page_size = 4096,

    .data_row_count = 12,
    .data_offsets = 14,

    .tdef_row_count = 16,
    .tdef_autonumber = 20,
    .tdef_table_type = 40,
    .tdef_max_cols = 41,
    .tdef_var_slots = 43,
    .tdef_num_cols = 45,
    .tdef_num_idx = 47,
    .tdef_num_real_idx = 51,
    .tdef_owned_map = 55,
    .tdef_free_map = 59,
    .tdef_variable_part = 63,
    .index_stats_size = 12,
    .column_size = 25,
    .real_index_size = 52,
    .logical_index_size = 28,

    .col_number = 5,
    .col_var_index = 7,
    .col_flags = 15,
    .col_fixed_offset = 21,
    .col_length = 23,
    .col_lcid = 11,
    .col_precision = 11,
    .col_scale = 12,

    .real_index_columns = 4,
    .real_index_map = 34,
    .real_index_root = 38,
    .real_index_flags = 46,

    .logical_index_number = 4,
    .logical_index_real = 8,
    .logical_index_kind = 23,

    .index_prev = 12,
    .index_next = 16,
    .index_tail = 20,
    .index_prefix = 24,
    .index_prefix_size = 2,
    .index_mask = 27,
    .index_mask_size = 453,
    .index_entries = 0x1E0,

    .row_count_size = 2,
    .row_var_size = 2,
};

// The offset table follows the u16 slot count in both layouts.
static_assert(kJet3Layout.data_offsets == kJet3Layout.data_row_count + kSlotEntrySize);
static_assert(kJet4Layout.data_offsets == kJet4Layout.data_row_count + kSlotEntrySize);

inline const Layout& layout_of(Version v) { return v == Version::Jet3 ? kJet3Layout : kJet4Layout; }

}  // namespace jet
