// Text as Jet stores it (Jet 3: the code page's single bytes; Jet 4: UCS-2,
// with runs of compressed characters) and the conversions the engine needs.
#pragma once

#include "jet/base/bytes.h"

#include <string>
#include <string_view>
#include <vector>

namespace jet {

// Appends the characters of a Jet 4 text value (marker FF FE: compressed runs).
void decode_jet4_text(Bytes stored, std::u16string& out);
// Appends the characters of Jet 3 text in the given Windows code page.
void decode_code_page_text(Bytes stored, std::uint16_t code_page, std::u16string& out);

// Jet 4 text bytes: compressed (FF FE, one byte per character) when
// `compress` is set, the text has at least 3 characters and all of them lie
// in U+0001..U+00FF; otherwise UCS-2. Replaces `out`.
void encode_jet4_text(std::u16string_view text, bool compress, std::vector<std::uint8_t>& out);
// Jet 3 text bytes in the code page (1252); characters it lacks become '?'.
void encode_code_page_text(std::u16string_view text, std::uint16_t code_page, std::vector<std::uint8_t>& out);

// UTF-8 from UTF-16; an unpaired surrogate becomes U+FFFD.
std::string to_utf8(std::u16string_view text);
void append_utf8(std::u16string_view text, std::string& out);
// UTF-16 from UTF-8; invalid bytes become U+FFFD.
std::u16string to_utf16(std::string_view text);

// Jet's names compare without regard to case.
bool names_equal(std::string_view a, std::string_view b);

}  // namespace jet
