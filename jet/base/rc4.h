// RC4, as Jet uses it for the masked header block and for encoded pages.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet {

// XORs `data` with the RC4 keystream of `key` (encoding and decoding are the same).
void rc4_apply(const std::uint8_t* key, std::size_t key_size, std::uint8_t* data, std::size_t size);

// Encodes or decodes page `number` of a database whose header gives
// `page_key`: RC4 keyed with the key XOR the page number, as four bytes
// little-endian. Page 0 and the pages of a database without a key are
// stored as they are.
void apply_page_key(std::uint32_t page_key, std::uint32_t number, std::uint8_t* data, std::size_t size);

}  // namespace jet
