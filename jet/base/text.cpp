#include "jet/base/text.h"

namespace jet {

namespace {

// Windows-1252 characters 0x80..0x9F; the rest of the code page is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Next code point of UTF-8 text; invalid input gives U+FFFD and moves one byte.
char32_t next_code_point(std::string_view s, std::size_t& i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    auto cont = [&](std::size_t k) {
        return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    };
    auto bits = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[i + k]) & 0x3F); };
    if (c < 0x80) { ++i; return c; }
    if (c >= 0xC2 && c < 0xE0 && cont(1)) {
        const char32_t cp = (static_cast<char32_t>(c & 0x1F) << 6) | bits(1);
        i += 2;
        return cp;
    }
    if (c >= 0xE0 && c < 0xF0 && cont(1) && cont(2)) {
        const char32_t cp = (static_cast<char32_t>(c & 0x0F) << 12) | (bits(1) << 6) | bits(2);
        if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) { i += 3; return cp; }
    }
    if (c >= 0xF0 && c < 0xF5 && cont(1) && cont(2) && cont(3)) {
        const char32_t cp = (static_cast<char32_t>(c & 0x07) << 18) | (bits(1) << 12) | (bits(2) << 6) | bits(3);
        if (cp >= 0x10000 && cp <= 0x10FFFF) { i += 4; return cp; }
    }
    ++i;
    return 0xFFFD;
}

char32_t fold_case(char32_t c)
{
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c < 0x80) return c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;        // Latin-1
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;        // Greek
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;                      // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c >= 0x100 && c <= 0x17E && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x178) {         // Latin Extended-A pairs
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
        return c | 1;
    }
    return c;
}

}  // namespace

void decode_jet4_text(Bytes b, std::u16string& out)
{
    const std::size_t at = out.size();
    if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        out.resize(at + b.size() - 2);  // at most one character per byte
        char16_t* w = out.data() + at;
        bool compressed = true;
        std::size_t i = 2;
        while (i < b.size()) {
            const std::uint8_t c = b[i];
            if (c == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                *w++ = static_cast<char16_t>(c);
                ++i;
            } else {
                if (i + 1 >= b.size()) break;
                *w++ = static_cast<char16_t>(c | (b[i + 1] << 8));
                i += 2;
            }
        }
        out.resize(static_cast<std::size_t>(w - out.data()));
        return;
    }
    const std::size_t n = b.size() / 2;
    out.resize(at + n);
    char16_t* w = out.data() + at;
    for (std::size_t k = 0; k < n; ++k) w[k] = static_cast<char16_t>(b[2 * k] | (b[2 * k + 1] << 8));
}

void decode_code_page_text(Bytes b, std::uint16_t, std::u16string& out)
{
    // Every sample uses 1252; other code pages are read as 1252 as well.
    const std::size_t at = out.size();
    out.resize(at + b.size());
    for (std::size_t k = 0; k < b.size(); ++k) {
        const std::uint8_t c = b[k];
        out[at + k] = (c >= 0x80 && c < 0xA0) ? kCp1252High[c - 0x80] : static_cast<char16_t>(c);
    }
}

void encode_jet4_text(std::u16string_view text, bool compress, std::vector<std::uint8_t>& out)
{
    out.clear();
    bool narrow = compress && text.size() >= 3;
    for (std::size_t i = 0; narrow && i < text.size(); ++i) narrow = text[i] >= 0x01 && text[i] <= 0xFF;
    if (narrow) {
        out.reserve(text.size() + 2);
        out.push_back(0xFF);
        out.push_back(0xFE);
        for (const char16_t c : text) out.push_back(static_cast<std::uint8_t>(c));
        return;
    }
    out.resize(2 * text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out[2 * i] = static_cast<std::uint8_t>(text[i]);
        out[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
    }
}

void encode_code_page_text(std::u16string_view text, std::uint16_t, std::vector<std::uint8_t>& out)
{
    out.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        std::uint8_t b = '?';
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            b = static_cast<std::uint8_t>(c);
        } else {
            for (unsigned k = 0; k < 32; ++k)
                if (kCp1252High[k] == c) b = static_cast<std::uint8_t>(0x80 + k);
        }
        out[i] = b;
    }
}

void append_utf8(std::u16string_view s, std::string& out)
{
    const std::size_t at = out.size();
    out.resize(at + 3 * s.size());  // no UTF-16 unit needs more than three bytes
    char* w = out.data() + at;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c < 0x80) {
            *w++ = static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x800) {
            *w++ = static_cast<char>(0xC0 | (c >> 6));
            *w++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *w++ = static_cast<char>(0xE0 | (c >> 12));
            *w++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *w++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *w++ = static_cast<char>(0xF0 | (c >> 18));
            *w++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *w++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *w++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out.resize(static_cast<std::size_t>(w - out.data()));
}

std::string to_utf8(std::u16string_view s)
{
    std::string out;
    out.reserve(s.size());
    append_utf8(s, out);
    return out;
}

std::u16string to_utf16(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const char32_t c = next_code_point(s, i);
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

bool names_equal(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (fold_case(next_code_point(a, i)) != fold_case(next_code_point(b, j))) return false;
    }
    return i == a.size() && j == b.size();
}

}  // namespace jet
