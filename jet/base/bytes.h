// Little-endian reads with bounds checks. Every number taken from the file
// passes through here; a read outside the bytes throws Corrupt, which the
// database turns into a "needs to be repaired" error naming the file.
#pragma once

#include "jet/base/error.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace jet {

// Structural damage found while decoding. Internal: the public operations
// convert it into an Error that names the database.
struct Corrupt {};

[[noreturn]] inline void corrupt() { throw Corrupt{}; }
// A check of what the file holds: false means the file is damaged.
inline void require(bool condition)
{
    if (!condition) corrupt();
}
// A check of a rule the engine keeps itself, which nothing a file holds can
// break: false is a fault of the engine, reported as such (kEngineInvariant,
// naming `rule`) and never as a damaged database.
inline void invariant(bool holds, const char* rule)
{
    if (!holds) broken_invariant(rule);
}

using Bytes = std::span<const std::uint8_t>;

inline std::uint16_t le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t le64(const std::uint8_t* p)
{
    return static_cast<std::uint64_t>(le32(p)) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
}

// Writes of the same numbers, for bytes the caller has sized.
inline void put16(std::uint8_t* p, std::size_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Index keys and the row pointers inside index entries are big-endian.
inline std::uint32_t be32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
inline void put_be32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// Checked reads at an offset into a span.
inline std::uint8_t u8_at(Bytes b, std::size_t off)
{
    require(off < b.size());
    return b[off];
}
inline std::uint16_t u16_at(Bytes b, std::size_t off)
{
    require(off <= b.size() && b.size() - off >= 2);
    return le16(b.data() + off);
}
inline std::uint32_t u32_at(Bytes b, std::size_t off)
{
    require(off <= b.size() && b.size() - off >= 4);
    return le32(b.data() + off);
}
inline Bytes sub(Bytes b, std::size_t off, std::size_t len)
{
    require(off <= b.size() && b.size() - off >= len);
    return b.subspan(off, len);
}

// A row pointer: row number in the low byte, page number above it.
struct RowPointer {
    std::uint32_t page = 0;
    std::uint8_t row = 0;

    static RowPointer from(std::uint32_t raw) { return {raw >> 8, static_cast<std::uint8_t>(raw & 0xFF)}; }
    std::uint32_t raw() const { return (page << 8) | row; }
    bool operator==(const RowPointer&) const = default;
};

}  // namespace jet
