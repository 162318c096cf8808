// One field value of a record, tagged with its kind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jet {

enum class ValueKind : std::uint8_t {
    Null,
    Boolean,
    Byte,
    Integer,   // 16-bit
    Long,      // 32-bit
    Currency,  // 64-bit count of ten-thousandths
    Single,
    Double,
    Date,      // OLE automation date: days since 1899-12-30, time as the fraction's magnitude
    Text,      // UTF-16
    Binary,    // binary, long binary and GUID values
    Decimal,
};

// A decimal as OLE keeps it: sign, scale and a 96-bit magnitude.
struct Decimal {
    std::uint8_t precision = 0;
    std::uint8_t scale = 0;
    bool negative = false;
    std::uint32_t high = 0;  // magnitude bits 64..95
    std::uint64_t low = 0;   // magnitude bits 0..63

    // Exact text: digits with `scale` decimals, "-" in front of a non-zero negative value.
    std::string to_string() const;
    bool operator==(const Decimal&) const = default;
};

// The calendar date and time of an OLE date, rounded to the second. Whole
// days count from 1899-12-30 and the fraction's magnitude is the time of day,
// so -1.25 is 1899-12-29 06:00. False for NaN and beyond a billion days.
struct DateParts {
    long long year = 0;
    unsigned month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
bool split_date(double date, DateParts& out);

// Exact text of a currency amount with four decimals, e.g. "-1234.5678".
std::string currency_to_string(std::int64_t ten_thousandths);

class Value {
public:
    Value() = default;

    ValueKind kind() const { return kind_; }
    bool is_null() const { return kind_ == ValueKind::Null; }

    // Accessors throw Error(kTypeMismatch) when the kind differs.
    bool boolean() const;
    std::uint8_t byte() const;
    std::int16_t integer() const;
    std::int32_t long_integer() const;
    std::int64_t currency() const;
    float single() const;
    double double_value() const;
    double date() const;
    const std::u16string& text() const;
    const std::vector<std::uint8_t>& bytes() const;
    const Decimal& decimal() const;

    // Setters keep the text and byte buffers' capacity, so a Value reused
    // for many reads does not allocate again.
    void set_null() { kind_ = ValueKind::Null; }
    void set_boolean(bool v) { kind_ = ValueKind::Boolean; num_.b = v; }
    void set_byte(std::uint8_t v) { kind_ = ValueKind::Byte; num_.u8 = v; }
    void set_integer(std::int16_t v) { kind_ = ValueKind::Integer; num_.i16 = v; }
    void set_long(std::int32_t v) { kind_ = ValueKind::Long; num_.i32 = v; }
    void set_currency(std::int64_t v) { kind_ = ValueKind::Currency; num_.i64 = v; }
    void set_single(float v) { kind_ = ValueKind::Single; num_.f = v; }
    void set_double(double v) { kind_ = ValueKind::Double; num_.d = v; }
    void set_date(double v) { kind_ = ValueKind::Date; num_.d = v; }
    void set_text(const char16_t* data, std::size_t size);
    void set_bytes(const std::uint8_t* data, std::size_t size);
    void set_decimal(const Decimal& v) { kind_ = ValueKind::Decimal; decimal_ = v; }

    bool operator==(const Value& other) const;

private:
    ValueKind kind_ = ValueKind::Null;
    union {
        bool b;
        std::uint8_t u8;
        std::int16_t i16;
        std::int32_t i32;
        std::int64_t i64;
        float f;
        double d;
    } num_{};
    Decimal decimal_;
    std::u16string text_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace jet
