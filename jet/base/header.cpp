#include "jet/base/header.h"

#include "jet/base/error.h"
#include "jet/base/rc4.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace jet {

Header read_header(Bytes page0, const std::string& path)
{
    if (page0.size() < kJet3Layout.page_size) throw unrecognized_format(path);
    static const char kName[] = "Standard Jet DB";
    if (page0[0] != 0 || page0[1] != 1 || page0[2] != 0 || page0[3] != 0 ||
        std::memcmp(page0.data() + 4, kName, sizeof kName) != 0)
        throw unrecognized_format(path);

    Header h;
    switch (page0[0x14]) {
    case 0: h.version = Version::Jet3; break;
    case 1: h.version = Version::Jet4; break;
    default: throw unrecognized_format(path);  // ACE and anything newer
    }
    if (page0.size() < h.layout().page_size) throw unrecognized_format(path);

    std::vector<std::uint8_t> block(page0.begin(), page0.begin() + 0x100);
    rc4_apply(kHeaderKey, sizeof kHeaderKey, block.data() + kMaskedStart, masked_size(h.version));

    h.code_page = le16(&block[0x3C]);
    h.page_key = le32(&block[0x3E]);
    if (h.version == Version::Jet3) {
        h.lcid = le16(&block[0x3A]);
        for (std::size_t i = 0; i < 20; ++i) h.has_password = h.has_password || block[0x42 + i] != 0;
    } else {
        h.lcid = le16(&block[0x6E]);
        std::memcpy(&h.created, &block[0x72], sizeof h.created);
        // The password is masked with the creation date's whole days.
        std::uint8_t mask[4] = {};
        if (std::isfinite(h.created) && std::fabs(h.created) < 2147483647.0) {
            const auto days = static_cast<std::uint32_t>(static_cast<std::int32_t>(h.created));
            for (int i = 0; i < 4; ++i) mask[i] = static_cast<std::uint8_t>(days >> (8 * i));
        }
        for (std::size_t i = 0; i < 40; ++i)
            h.has_password = h.has_password || (block[0x42 + i] ^ mask[i % 4]) != 0;
    }
    return h;
}

}  // namespace jet
