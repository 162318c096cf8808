#include "jet/rows/field_value.h"

#include "jet/base/error.h"
#include "jet/rows/long_value.h"
#include "jet/base/text.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace jet {

namespace {

[[noreturn]] void conversion_error() { throw error(kDataTypeConversion); }
[[noreturn]] void overflow() { throw error(kNumericFieldOverflow); }
[[noreturn]] void field_too_small() { throw error(kFieldTooSmall); }

void put_le(std::vector<std::uint8_t>& out, std::uint64_t v, unsigned bytes)
{
    for (unsigned i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

bool is_integral(ValueKind k)
{
    return k == ValueKind::Boolean || k == ValueKind::Byte || k == ValueKind::Integer || k == ValueKind::Long;
}

std::int64_t integral_of(const Value& v)
{
    switch (v.kind()) {
    case ValueKind::Boolean: return v.boolean() ? -1 : 0;  // True is -1, as in a VARIANT
    case ValueKind::Byte: return v.byte();
    case ValueKind::Integer: return v.integer();
    case ValueKind::Long: return v.long_integer();
    default: conversion_error();
    }
}

// A Decimal's value as a double (for conversions to the floating kinds).
double decimal_as_double(const Decimal& d)
{
    double m = static_cast<double>(d.high) * 18446744073709551616.0 + static_cast<double>(d.low);
    for (unsigned i = 0; i < d.scale; ++i) m /= 10;
    return d.negative ? -m : m;
}

double number_of(const Value& v)
{
    switch (v.kind()) {
    case ValueKind::Currency: return static_cast<double>(v.currency()) / 10000.0;
    case ValueKind::Single: return v.single();
    case ValueKind::Double: return v.double_value();
    case ValueKind::Date: return v.date();
    case ValueKind::Decimal: return decimal_as_double(v.decimal());
    default: return static_cast<double>(integral_of(v));
    }
}

bool is_number(ValueKind k)
{
    return is_integral(k) || k == ValueKind::Currency || k == ValueKind::Single || k == ValueKind::Double ||
           k == ValueKind::Date || k == ValueKind::Decimal;
}

// A whole number from any numeric kind, rounded half to even as VARIANT
// conversions round; overflow outside [lo, hi].
std::int64_t whole(const Value& v, std::int64_t lo, std::int64_t hi)
{
    std::int64_t r;
    if (is_integral(v.kind())) {
        r = integral_of(v);
    } else {
        const double d = v.kind() == ValueKind::Currency ? static_cast<double>(v.currency()) / 10000.0 : number_of(v);
        if (!std::isfinite(d) || d < -9.2e18 || d > 9.2e18) overflow();
        r = static_cast<std::int64_t>(std::nearbyint(d));
    }
    if (r < lo || r > hi) overflow();
    return r;
}

// A 96-bit magnitude as three 32-bit words, most significant first.
struct Magnitude {
    std::uint32_t w[3] = {0, 0, 0};
    Magnitude() = default;
    explicit Magnitude(const Decimal& d) : w{d.high, static_cast<std::uint32_t>(d.low >> 32), static_cast<std::uint32_t>(d.low)} {}
    bool times10()
    {
        std::uint64_t carry = 0;
        for (int i = 2; i >= 0; --i) {
            const std::uint64_t v = std::uint64_t{w[i]} * 10 + carry;
            w[i] = static_cast<std::uint32_t>(v);
            carry = v >> 32;
        }
        return carry == 0;
    }
    unsigned div10()
    {
        std::uint64_t rest = 0;
        for (std::uint32_t& x : w) {
            const std::uint64_t cur = (rest << 32) | x;
            x = static_cast<std::uint32_t>(cur / 10);
            rest = cur % 10;
        }
        return static_cast<unsigned>(rest);
    }
    bool less_than(const Magnitude& o) const
    {
        for (int i = 0; i < 3; ++i)
            if (w[i] != o.w[i]) return w[i] < o.w[i];
        return false;
    }
};

void to_decimal(const Column& c, const Value& in, Value& out)
{
    Decimal d;
    if (in.kind() == ValueKind::Decimal) {
        d = in.decimal();
    } else if (is_integral(in.kind())) {
        const std::int64_t v = integral_of(in);
        d.negative = v < 0;
        d.low = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    } else {
        conversion_error();
    }
    // Bring the value to the column's scale; digits that would be lost refuse it.
    Magnitude m(d);
    unsigned scale = d.scale;
    for (; scale < c.scale; ++scale)
        if (!m.times10()) overflow();
    for (; scale > c.scale; --scale)
        if (m.div10() != 0) conversion_error();
    if (c.precision > 0 && c.precision < 29) {
        Magnitude limit;
        limit.w[2] = 1;
        for (unsigned i = 0; i < c.precision; ++i) limit.times10();
        if (!m.less_than(limit)) overflow();
    }
    d.high = m.w[0];
    d.low = (static_cast<std::uint64_t>(m.w[1]) << 32) | m.w[2];
    d.scale = c.scale;
    d.precision = c.precision;
    out.set_decimal(d);
}

}  // namespace

ValueKind kind_of(const Column& c)
{
    switch (c.type) {
    case kTypeBoolean: return ValueKind::Boolean;
    case kTypeByte: return ValueKind::Byte;
    case kTypeInteger: return ValueKind::Integer;
    case kTypeLong: return ValueKind::Long;
    case kTypeCurrency: return ValueKind::Currency;
    case kTypeSingle: return ValueKind::Single;
    case kTypeDouble: return ValueKind::Double;
    case kTypeDateTime: return ValueKind::Date;
    case kTypeText:
    case kTypeMemo: return ValueKind::Text;
    case kTypeNumeric: return ValueKind::Decimal;
    default: return ValueKind::Binary;
    }
}

void decode_field(Pager& pager, const Column& c, const RowCell& stored, Value& out)
{
    if (c.type == kTypeBoolean) {
        out.set_boolean(stored.present);
        return;
    }
    if (!stored.present) {
        out.set_null();
        return;
    }
    const Bytes d = stored.data;
    switch (c.type) {
    case kTypeByte: out.set_byte(u8_at(d, 0)); return;
    case kTypeInteger: out.set_integer(static_cast<std::int16_t>(u16_at(d, 0))); return;
    case kTypeLong: out.set_long(static_cast<std::int32_t>(u32_at(d, 0))); return;
    case kTypeCurrency:
        require(d.size() >= 8);
        out.set_currency(static_cast<std::int64_t>(le64(d.data())));
        return;
    case kTypeSingle: {
        const std::uint32_t bits = u32_at(d, 0);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        out.set_single(f);
        return;
    }
    case kTypeDouble:
    case kTypeDateTime: {
        require(d.size() >= 8);
        const std::uint64_t bits = le64(d.data());
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (c.type == kTypeDouble)
            out.set_double(v);
        else
            out.set_date(v);
        return;
    }
    case kTypeText:
    case kTypeMemo: {
        std::vector<std::uint8_t> bytes;
        Bytes text = d;
        if (c.type == kTypeMemo) {
            read_long_value(pager, d, bytes);
            text = Bytes(bytes.data(), bytes.size());
        }
        std::u16string chars;
        if (pager.layout().jet4())
            decode_jet4_text(text, chars);
        else
            decode_code_page_text(text, pager.header().code_page, chars);
        out.set_text(chars.data(), chars.size());
        return;
    }
    case kTypeOle: {
        std::vector<std::uint8_t> bytes;
        read_long_value(pager, d, bytes);
        out.set_bytes(bytes.data(), bytes.size());
        return;
    }
    case kTypeGuid: {
        const Bytes g = sub(d, 0, kGuidSize);
        out.set_bytes(g.data(), g.size());
        return;
    }
    case kTypeNumeric: {
        require(d.size() >= kNumericSize);
        // The magnitude's top word is beyond what a Decimal holds, and must be 0.
        const std::uint8_t* words = d.data() + kNumericWordsAt;
        require(le32(words) == 0);
        Decimal v;
        v.negative = (d[0] & kNumericNegative) != 0;
        v.precision = c.precision;
        v.scale = c.scale;
        v.high = le32(words + 4);
        v.low = (static_cast<std::uint64_t>(le32(words + 8)) << 32) | le32(words + 12);
        out.set_decimal(v);
        return;
    }
    default: out.set_bytes(d.data(), d.size()); return;
    }
}

void convert_for_column(const Column& c, const Value& in, Value& out)
{
    const ValueKind want = kind_of(c);
    if (in.is_null()) {
        if (want == ValueKind::Boolean)
            out.set_boolean(false);
        else
            out.set_null();
        return;
    }
    if (in.kind() == want && want != ValueKind::Decimal) {
        out = in;
        if (c.type == kTypeGuid && out.bytes().size() != kGuidSize) conversion_error();
        return;
    }
    const ValueKind k = in.kind();
    switch (want) {
    case ValueKind::Boolean:
        if (!is_number(k)) conversion_error();
        out.set_boolean(number_of(in) != 0);
        return;
    case ValueKind::Byte:
        if (!is_number(k)) conversion_error();
        out.set_byte(static_cast<std::uint8_t>(whole(in, 0, 255)));
        return;
    case ValueKind::Integer:
        if (!is_number(k)) conversion_error();
        out.set_integer(static_cast<std::int16_t>(whole(in, -32768, 32767)));
        return;
    case ValueKind::Long:
        if (!is_number(k)) conversion_error();
        out.set_long(static_cast<std::int32_t>(whole(in, std::numeric_limits<std::int32_t>::min(),
                                                      std::numeric_limits<std::int32_t>::max())));
        return;
    case ValueKind::Currency: {
        if (!is_number(k)) conversion_error();
        if (is_integral(k)) {
            const std::int64_t v = integral_of(in);
            if (v > 922337203685477 || v < -922337203685477) overflow();
            out.set_currency(v * 10000);
            return;
        }
        const double d = number_of(in) * 10000.0;
        if (!std::isfinite(d) || std::fabs(d) >= 9.2e18) overflow();
        out.set_currency(static_cast<std::int64_t>(std::nearbyint(d)));
        return;
    }
    case ValueKind::Single: {
        if (!is_number(k)) conversion_error();
        const double d = number_of(in);
        if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) overflow();
        out.set_single(static_cast<float>(d));
        return;
    }
    case ValueKind::Double:
        if (!is_number(k)) conversion_error();
        out.set_double(number_of(in));
        return;
    case ValueKind::Date:
        if (!is_number(k) || k == ValueKind::Boolean) conversion_error();
        out.set_date(number_of(in));
        return;
    case ValueKind::Decimal: to_decimal(c, in, out); return;
    default: conversion_error();
    }
}

void encode_fixed(const Column& c, const Value& v, std::vector<std::uint8_t>& out)
{
    out.clear();
    switch (c.type) {
    case kTypeByte: out.push_back(v.byte()); return;
    case kTypeInteger: put_le(out, static_cast<std::uint16_t>(v.integer()), 2); return;
    case kTypeLong: put_le(out, static_cast<std::uint32_t>(v.long_integer()), 4); return;
    case kTypeCurrency: put_le(out, static_cast<std::uint64_t>(v.currency()), 8); return;
    case kTypeSingle: {
        const float f = v.single();
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        put_le(out, bits, 4);
        return;
    }
    case kTypeDouble:
    case kTypeDateTime: {
        const double d = c.type == kTypeDouble ? v.double_value() : v.date();
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        put_le(out, bits, 8);
        return;
    }
    case kTypeNumeric: {
        // sign, then the magnitude as four 32-bit words, most significant first
        const Decimal& d = v.decimal();
        out.push_back(d.negative ? kNumericNegative : 0x00);
        put_le(out, 0, 4);
        put_le(out, d.high, 4);
        put_le(out, static_cast<std::uint32_t>(d.low >> 32), 4);
        put_le(out, static_cast<std::uint32_t>(d.low), 4);
        return;
    }
    default: {
        const std::vector<std::uint8_t>& b = v.bytes();
        out.assign(b.begin(), b.end());
        return;
    }
    }
}

void encode_text(const Column& c, Version version, const std::u16string& text, std::vector<std::uint8_t>& out)
{
    if (version == Version::Jet4) {
        if (c.type == kTypeText && text.size() > c.length / 2u) field_too_small();
        // Long memos are stored uncompressed, as other writers store them.
        const bool compress = (c.extended_flags & kColumnCompressedText) != 0 &&
                              (c.type == kTypeText || text.size() <= 1024);
        encode_jet4_text(text, compress, out);
        return;
    }
    if (c.type == kTypeText && text.size() > c.length) field_too_small();
    encode_code_page_text(text, c.code_page, out);
}

}  // namespace jet
