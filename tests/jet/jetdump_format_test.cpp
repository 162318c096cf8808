// The text forms of jetdump's JSON Lines, which other readers' output is compared with.
#include "tools/jetdump_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

template <class T> std::string number(T v)
{
    std::string s;
    jetdump::append_number(s, v);
    return s;
}

std::string json(const std::u16string& s)
{
    std::string out;
    jetdump::append_json_string(out, s);
    return out;
}

std::string value(const jet::Value& v)
{
    std::string out;
    jetdump::append_value(out, v);
    return out;
}

}  // namespace

TEST(JetdumpFormat, NumbersAsJavaScriptWritesThem)
{
    EXPECT_EQ(number(2.5), "2.5");
    EXPECT_EQ(number(-0.0004), "-0.0004");
    EXPECT_EQ(number(1234567.891), "1234567.891");
    EXPECT_EQ(number(1e20), "100000000000000000000");
    EXPECT_EQ(number(1e21), "1e+21");
    EXPECT_EQ(number(1.5e-6), "0.0000015");
    EXPECT_EQ(number(1e-7), "1e-7");
    EXPECT_EQ(number(-1.2345e-300), "-1.2345e-300");
    EXPECT_EQ(number(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(number(-0.0), "0");
    EXPECT_EQ(number(std::nan("")), "\"NaN\"");
    EXPECT_EQ(number(-std::numeric_limits<double>::infinity()), "\"-Infinity\"");
    // Singles: the shortest digits that read back to the same single.
    EXPECT_EQ(number(0.1f), "0.1");
    EXPECT_EQ(number(56.1f), "56.1");
    EXPECT_EQ(number(16777216.0f), "16777216");
    EXPECT_EQ(number(3.4028235e38f), "3.4028235e+38");
}

TEST(JetdumpFormat, StringsAsJsonStringifyWritesThem)
{
    EXPECT_EQ(json(u"plain"), "\"plain\"");
    EXPECT_EQ(json(u"a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(json(u"\b\f\n\r\t\u0001\u001d"), "\"\\b\\f\\n\\r\\t\\u0001\\u001d\"");
    EXPECT_EQ(json(u"M\u00fcller \u6f22"), "\"M\xC3\xBCller \xE6\xBC\xA2\"");
    EXPECT_EQ(json(u"\U0001F600"), "\"\xF0\x9F\x98\x80\"");
    EXPECT_EQ(json(std::u16string(1, char16_t(0xD800)) + u"x"), "\"\\ud800x\"");
    EXPECT_EQ(json(u"\u007f"), "\"\x7f\"");
}

TEST(JetdumpFormat, Values)
{
    jet::Value v;
    EXPECT_EQ(value(v), "null");
    v.set_boolean(true);
    EXPECT_EQ(value(v), "true");
    v.set_byte(255);
    EXPECT_EQ(value(v), "255");
    v.set_integer(-32768);
    EXPECT_EQ(value(v), "-32768");
    v.set_long(-2147483647 - 1);
    EXPECT_EQ(value(v), "-2147483648");
    v.set_currency(123400);
    EXPECT_EQ(value(v), "\"12.3400\"");
    v.set_date(46363.63054398148);
    EXPECT_EQ(value(v), "\"2026-12-07T15:07:59\"");
    v.set_date(-1.25);
    EXPECT_EQ(value(v), "\"1899-12-29T06:00:00\"");
    const std::uint8_t bytes[] = {0xDE, 0xAD, 0x0B};
    v.set_bytes(bytes, 3);
    EXPECT_EQ(value(v), "{\"hex\":\"dead0b\"}");
    jet::Decimal d;
    d.scale = 4;
    d.negative = true;
    d.low = 995000;
    v.set_decimal(d);
    EXPECT_EQ(value(v), "\"-99.5000\"");
}
