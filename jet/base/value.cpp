#include "jet/base/value.h"

#include "jet/base/error.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace jet {

namespace {

[[noreturn]] void mismatch() { throw error(kTypeMismatch); }

// Decimal digits of a magnitude of 32-bit words, most significant word first.
std::string magnitude_digits(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2)
{
    std::uint32_t words[3] = {w0, w1, w2};
    std::string digits;
    for (;;) {
        std::uint64_t rest = 0;
        bool zero = true;
        for (std::uint32_t& w : words) {
            const std::uint64_t cur = (rest << 32) | w;
            w = static_cast<std::uint32_t>(cur / 10);
            rest = cur % 10;
            zero = zero && w == 0;
        }
        digits.push_back(static_cast<char>('0' + rest));
        if (zero) break;
    }
    std::reverse(digits.begin(), digits.end());
    return digits;
}

std::string place_point(bool negative, std::string digits, unsigned scale)
{
    if (scale > 0) {
        if (digits.size() <= scale) digits.insert(0, scale - digits.size() + 1, '0');
        digits.insert(digits.size() - scale, 1, '.');
    }
    if (negative) digits.insert(0, 1, '-');
    return digits;
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civil_from_days(long long z, long long& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
}

}  // namespace

bool split_date(double v, DateParts& out)
{
    if (!(std::fabs(v) < 1e9)) return false;
    long long day = static_cast<long long>(std::trunc(v));
    long long seconds = std::llround(std::fabs(v - std::trunc(v)) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++day;
    }
    civil_from_days(day - 25569, out.year, out.month, out.day);  // 1899-12-30 is day -25569 of 1970
    out.hour = static_cast<unsigned>(seconds / 3600);
    out.minute = static_cast<unsigned>(seconds / 60 % 60);
    out.second = static_cast<unsigned>(seconds % 60);
    return true;
}

std::string Decimal::to_string() const
{
    const bool zero = high == 0 && low == 0;
    return place_point(negative && !zero,
                       magnitude_digits(high, static_cast<std::uint32_t>(low >> 32),
                                        static_cast<std::uint32_t>(low)),
                       scale);
}

std::string currency_to_string(std::int64_t v)
{
    const bool negative = v < 0;
    const std::uint64_t m = negative ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    return place_point(negative,
                       magnitude_digits(0, static_cast<std::uint32_t>(m >> 32), static_cast<std::uint32_t>(m)),
                       4);
}

bool Value::boolean() const { if (kind_ != ValueKind::Boolean) mismatch(); return num_.b; }
std::uint8_t Value::byte() const { if (kind_ != ValueKind::Byte) mismatch(); return num_.u8; }
std::int16_t Value::integer() const { if (kind_ != ValueKind::Integer) mismatch(); return num_.i16; }
std::int32_t Value::long_integer() const { if (kind_ != ValueKind::Long) mismatch(); return num_.i32; }
std::int64_t Value::currency() const { if (kind_ != ValueKind::Currency) mismatch(); return num_.i64; }
float Value::single() const { if (kind_ != ValueKind::Single) mismatch(); return num_.f; }
double Value::double_value() const { if (kind_ != ValueKind::Double) mismatch(); return num_.d; }
double Value::date() const { if (kind_ != ValueKind::Date) mismatch(); return num_.d; }

const std::u16string& Value::text() const
{
    if (kind_ != ValueKind::Text) mismatch();
    return text_;
}

const std::vector<std::uint8_t>& Value::bytes() const
{
    if (kind_ != ValueKind::Binary) mismatch();
    return bytes_;
}

const Decimal& Value::decimal() const
{
    if (kind_ != ValueKind::Decimal) mismatch();
    return decimal_;
}

void Value::set_text(const char16_t* data, std::size_t size)
{
    kind_ = ValueKind::Text;
    text_.assign(data, size);
}

void Value::set_bytes(const std::uint8_t* data, std::size_t size)
{
    kind_ = ValueKind::Binary;
    bytes_.assign(data, data + size);
}

bool Value::operator==(const Value& o) const
{
    if (kind_ != o.kind_) return false;
    switch (kind_) {
    case ValueKind::Null: return true;
    case ValueKind::Boolean: return num_.b == o.num_.b;
    case ValueKind::Byte: return num_.u8 == o.num_.u8;
    case ValueKind::Integer: return num_.i16 == o.num_.i16;
    case ValueKind::Long: return num_.i32 == o.num_.i32;
    case ValueKind::Currency: return num_.i64 == o.num_.i64;
    case ValueKind::Single: return std::memcmp(&num_.f, &o.num_.f, sizeof(float)) == 0;
    case ValueKind::Double:
    case ValueKind::Date: return std::memcmp(&num_.d, &o.num_.d, sizeof(double)) == 0;
    case ValueKind::Text: return text_ == o.text_;
    case ValueKind::Binary: return bytes_ == o.bytes_;
    case ValueKind::Decimal: return decimal_ == o.decimal_;
    }
    return false;
}

}  // namespace jet
