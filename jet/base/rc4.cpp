#include "jet/base/rc4.h"

#include <utility>

namespace jet {

void rc4_apply(const std::uint8_t* key, std::size_t key_size, std::uint8_t* data, std::size_t size)
{
    std::uint8_t s[256];
    for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + key[static_cast<std::size_t>(i) % key_size]);
        std::swap(s[i], s[j]);
    }
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    for (std::size_t n = 0; n < size; ++n) {
        a = static_cast<std::uint8_t>(a + 1);
        b = static_cast<std::uint8_t>(b + s[a]);
        std::swap(s[a], s[b]);
        data[n] ^= s[static_cast<std::uint8_t>(s[a] + s[b])];
    }
}

void apply_page_key(std::uint32_t page_key, std::uint32_t number, std::uint8_t* data, std::size_t size)
{
    if (page_key == 0 || number == 0) return;
    const std::uint32_t k = page_key ^ number;
    const std::uint8_t key[4] = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8),
                                 static_cast<std::uint8_t>(k >> 16), static_cast<std::uint8_t>(k >> 24)};
    rc4_apply(key, 4, data, size);
}

}  // namespace jet
