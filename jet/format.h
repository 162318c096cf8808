// The two page layouts: Jet 3 (2 KiB pages) and Jet 4 (4 KiB pages).
#pragma once

#include <cstdint>

namespace jet {

enum class Version : std::uint8_t { Jet3, Jet4 };

struct Layout {
    Version version;
    std::uint32_t page_size;

    // data page header
    std::uint32_t data_row_count;  // u16 slot count
    std::uint32_t data_offsets;    // first entry of the row offset table

    // table definition
    std::uint32_t tdef_row_count;
    std::uint32_t tdef_autonumber;
    std::uint32_t tdef_table_type;
    std::uint32_t tdef_max_cols;
    std::uint32_t tdef_var_slots;
    std::uint32_t tdef_num_cols;
    std::uint32_t tdef_num_idx;
    std::uint32_t tdef_num_real_idx;
    std::uint32_t tdef_owned_map;
    std::uint32_t tdef_free_map;
    std::uint32_t tdef_variable_part;
    std::uint32_t index_stats_size;
    std::uint32_t column_size;
    std::uint32_t real_index_size;
    std::uint32_t logical_index_size;

    // column descriptor
    std::uint32_t col_number;
    std::uint32_t col_var_index;
    std::uint32_t col_flags;
    std::uint32_t col_fixed_offset;
    std::uint32_t col_length;

    // row
    std::uint32_t row_count_size;  // ncols: 1 byte (Jet3) or 2 (Jet4)

    bool jet4() const { return version == Version::Jet4; }
};

inline constexpr Layout kJet3Layout{
    Version::Jet3, 2048,
    8, 10,
    12, 16, 20, 21, 23, 25, 27, 31, 35, 39, 43, 8, 18, 39, 20,
    1, 3, 13, 14, 16,
    1,
};

inline constexpr Layout kJet4Layout{
    Version::Jet4, 4096,
    12, 14,
    16, 20, 40, 41, 43, 45, 47, 51, 55, 59, 63, 12, 25, 52, 28,
    5, 7, 15, 21, 23,
    2,
};

inline const Layout& layout_of(Version v) { return v == Version::Jet3 ? kJet3Layout : kJet4Layout; }

}  // namespace jet
