// The numbers DAO gives field types and table attributes. The engine reports
// its columns and catalogue entries in them; the data-access classes hand them
// on under the names their callers know.
#pragma once

#include <cstdint>

namespace jet {

// Field types.
enum DaoType : std::int16_t {
    dbBoolean = 1,
    dbByte = 2,
    dbInteger = 3,
    dbLong = 4,
    dbCurrency = 5,
    dbSingle = 6,
    dbDouble = 7,
    dbDate = 8,
    dbBinary = 9,
    dbText = 10,
    dbLongBinary = 11,
    dbMemo = 12,
    dbGUID = 15,
    dbDecimal = 20,
};

// Attribute bits of a table definition.
inline constexpr std::uint32_t dbSystemObject = 0x80000002;
inline constexpr std::uint32_t dbHiddenObject = 0x00000001;
inline constexpr std::uint32_t dbAttachedTable = 0x40000000;
inline constexpr std::uint32_t dbAttachedODBC = 0x20000000;

}  // namespace jet
