// RC4, as Jet uses it for the masked header block and for encoded pages.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet {

// XORs `data` with the RC4 keystream of `key` (encoding and decoding are the same).
void rc4_apply(const std::uint8_t* key, std::size_t key_size, std::uint8_t* data, std::size_t size);

}  // namespace jet
