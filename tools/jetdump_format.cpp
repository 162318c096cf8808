#include "tools/jetdump_format.h"

#include "jet/base/text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace jetdump {

void append_json_string(std::string& out, std::u16string_view s)
{
    static const char hex[] = "0123456789abcdef";
    out.push_back('"');
    std::size_t run = 0;  // start of the characters not yet written
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c >= 0x20 && c != '"' && c != '\\' && (c < 0xD800 || c > 0xDFFF)) continue;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            ++i;  // a pair: written as UTF-8 with the run
            continue;
        }
        if (i > run) jet::append_utf8(s.substr(run, i - run), out);
        run = i + 1;
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:  // other controls and unpaired surrogates
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) out.push_back(hex[(c >> shift) & 0xF]);
        }
    }
    if (s.size() > run) jet::append_utf8(s.substr(run), out);
    out.push_back('"');
}

// Shortest round-trip digits laid out as JavaScript's Number#toString does.
template <class T> void append_js_number(std::string& out, T v)
{
    if (std::isnan(v)) { out += "\"NaN\""; return; }
    if (std::isinf(v)) { out += v < 0 ? "\"-Infinity\"" : "\"Infinity\""; return; }
    if (v == 0) { out.push_back('0'); return; }
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    const std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    std::size_t at = 0;
    if (sci[0] == '-') {
        out.push_back('-');
        at = 1;
    }
    const std::size_t e = sci.find('e');
    std::string digits;
    for (std::size_t i = at; i < e; ++i)
        if (sci[i] != '.') digits.push_back(sci[i]);
    int exponent = 0;
    std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);
    const int k = static_cast<int>(digits.size());
    const int n = exponent + 1;
    if (k <= n && n <= 21) {
        out += digits;
        out.append(static_cast<std::size_t>(n - k), '0');
    } else if (0 < n && n <= 21) {
        out.append(digits, 0, static_cast<std::size_t>(n));
        out.push_back('.');
        out.append(digits, static_cast<std::size_t>(n));
    } else if (-6 < n && n <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-n), '0');
        out += digits;
    } else {
        out.push_back(digits[0]);
        if (k > 1) {
            out.push_back('.');
            out.append(digits, 1);
        }
        out.push_back('e');
        out.push_back(n - 1 < 0 ? '-' : '+');
        out += std::to_string(std::abs(n - 1));
    }
}

void append_date(std::string& out, double v)
{
    jet::DateParts p;
    if (!jet::split_date(v, p)) {
        append_number(out, v);
        return;
    }
    auto two = [&](long long n) {
        out.push_back(static_cast<char>('0' + n / 10));
        out.push_back(static_cast<char>('0' + n % 10));
    };
    out.push_back('"');
    if (p.year < 0 || p.year > 9999) {
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, p.year);
        out.append(buf, r.ptr);
    } else {
        two(p.year / 100);
        two(p.year % 100);
    }
    out.push_back('-');
    two(p.month);
    out.push_back('-');
    two(p.day);
    out.push_back('T');
    two(p.hour);
    out.push_back(':');
    two(p.minute);
    out.push_back(':');
    two(p.second);
    out.push_back('"');
}

static void append_integer(std::string& out, long v)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

void append_value(std::string& out, const jet::Value& v)
{
    static const char hex[] = "0123456789abcdef";
    switch (v.kind()) {
    case jet::ValueKind::Null: out += "null"; break;
    case jet::ValueKind::Boolean: out += v.boolean() ? "true" : "false"; break;
    case jet::ValueKind::Byte: append_integer(out, v.byte()); break;
    case jet::ValueKind::Integer: append_integer(out, v.integer()); break;
    case jet::ValueKind::Long: append_integer(out, v.long_integer()); break;
    case jet::ValueKind::Currency: out += '"' + jet::currency_to_string(v.currency()) + '"'; break;
    case jet::ValueKind::Single: append_number(out, v.single()); break;
    case jet::ValueKind::Double: append_number(out, v.double_value()); break;
    case jet::ValueKind::Date: append_date(out, v.date()); break;
    case jet::ValueKind::Text: append_json_string(out, v.text()); break;
    case jet::ValueKind::Binary:
        out += "{\"hex\":\"";
        for (const std::uint8_t b : v.bytes()) {
            out.push_back(hex[b >> 4]);
            out.push_back(hex[b & 0xF]);
        }
        out += "\"}";
        break;
    case jet::ValueKind::Decimal: out += '"' + v.decimal().to_string() + '"'; break;
    }
}

void append_number(std::string& out, float v) { append_js_number(out, v); }
void append_number(std::string& out, double v) { append_js_number(out, v); }

}  // namespace jetdump
