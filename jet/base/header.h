// The header page (page 0): engine name, version, the masked block with the
// code page, the page-encoding key and the database password.
#pragma once

#include "jet/base/bytes.h"
#include "jet/base/format.h"

#include <cstdint>
#include <string>

namespace jet {

struct Header {
    Version version = Version::Jet4;
    std::uint16_t lcid = 0;
    std::uint16_t code_page = 0;
    std::uint32_t page_key = 0;  // 0: pages are stored plain
    double created = 0;          // Jet 4 only
    bool has_password = false;

    const Layout& layout() const { return layout_of(version); }
};

// Decodes the first bytes of the file (at least 2048). Throws Error
// "Unrecognized database format" for anything but a Jet 3 or Jet 4 database.
Header read_header(Bytes page0, const std::string& path);

// The fixed key of the masked header block.
inline constexpr std::uint8_t kHeaderKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
inline constexpr std::size_t kMaskedStart = 0x18;
inline constexpr std::size_t masked_size(Version v) { return v == Version::Jet3 ? 126 : 128; }

}  // namespace jet
