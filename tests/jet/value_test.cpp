// Values: exact decimal and currency text, OLE dates, Jet text.
#include "fixture.h"

#include <cstring>

using jettest::TempDir;

namespace {

std::string date_text(double v)
{
    jet::DateParts p;
    if (!jet::split_date(v, p)) return "invalid";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02u:%02u:%02u", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
    return buf;
}

std::u16string jet4_text(const std::vector<std::uint8_t>& stored)
{
    std::u16string out;
    jet::decode_jet4_text(jet::Bytes(stored.data(), stored.size()), out);
    return out;
}

}  // namespace

TEST(Value, DecimalAndCurrencyText)
{
    jet::Decimal d;
    d.low = 123456789;
    d.scale = 4;
    EXPECT_EQ(d.to_string(), "12345.6789");
    d.negative = true;
    d.low = 5;
    EXPECT_EQ(d.to_string(), "-0.0005");
    d.low = 0;
    EXPECT_EQ(d.to_string(), "0.0000");  // no sign on zero
    d = {};
    d.high = 0xFFFFFFFF;
    d.low = ~0ull;
    EXPECT_EQ(d.to_string(), "79228162514264337593543950335");
    d.scale = 28;
    EXPECT_EQ(d.to_string(), "7.9228162514264337593543950335");

    EXPECT_EQ(jet::currency_to_string(35000), "3.5000");
    EXPECT_EQ(jet::currency_to_string(-1), "-0.0001");
    EXPECT_EQ(jet::currency_to_string(0), "0.0000");
    EXPECT_EQ(jet::currency_to_string(INT64_MIN), "-922337203685477.5808");
}

TEST(Value, OleDatesIncludingNegativeOnes)
{
    EXPECT_EQ(date_text(0), "1899-12-30 00:00:00");
    EXPECT_EQ(date_text(29932.0), "1981-12-12 00:00:00");
    EXPECT_EQ(date_text(2.75), "1900-01-01 18:00:00");
    // Whole days count back from 1899-12-30; the fraction is still the time of day.
    EXPECT_EQ(date_text(-1.25), "1899-12-29 06:00:00");
    EXPECT_EQ(date_text(-0.5), "1899-12-30 12:00:00");
    EXPECT_EQ(date_text(-657434.0), "0100-01-01 00:00:00");  // the earliest date Jet accepts
    EXPECT_EQ(date_text(2958465.999994), "9999-12-31 23:59:59");
    EXPECT_EQ(date_text(1.9999999), "1900-01-01 00:00:00");  // rounds up into the next day
    EXPECT_EQ(date_text(-1.9999999), "1899-12-30 00:00:00");
    EXPECT_EQ(date_text(std::numeric_limits<double>::quiet_NaN()), "invalid");
    EXPECT_EQ(date_text(1e300), "invalid");
}

TEST(Value, NegativeDateStoredInARow)
{
    // Replace 2000-02-29 (36585.0) in AllTypes' second row with -1.25 and read it back.
    std::vector<std::uint8_t> bytes = jettest::fixture_bytes("types.mdb");
    const double from = 36585.0, to = -1.25;
    std::uint8_t pattern[8], replacement[8];
    std::memcpy(pattern, &from, 8);
    std::memcpy(replacement, &to, 8);
    int hits = 0;
    for (std::size_t i = 0; i + 8 <= bytes.size(); ++i)
        if (std::memcmp(&bytes[i], pattern, 8) == 0) {
            std::memcpy(&bytes[i], replacement, 8);
            ++hits;
        }
    ASSERT_GE(hits, 1);
    jet::Database db(jet::File::in_memory(bytes), "types.mdb");
    jet::Snapshot s = db.open_snapshot("SELECT [ColDate] FROM AllTypes");
    s.move_next();
    EXPECT_EQ(s.value(0).date(), -1.25);
    EXPECT_EQ(date_text(s.value(0).date()), "1899-12-29 06:00:00");
}

TEST(Value, Jet4TextWithCompressedRuns)
{
    EXPECT_EQ(jet4_text({0x61, 0x00, 0x62, 0x00}), u"ab");
    EXPECT_EQ(jet4_text({0xFF, 0xFE, 0x61, 0x62, 0x63}), u"abc");
    // compressed "ab", switch, plain U+041C U+0438, switch, compressed "!"
    EXPECT_EQ(jet4_text({0xFF, 0xFE, 0x61, 0x62, 0x00, 0x1C, 0x04, 0x38, 0x04, 0x00, 0x21}), u"ab\u041c\u0438!");
    EXPECT_EQ(jet4_text({0xFF, 0xFE}), u"");
    EXPECT_EQ(jet4_text({0xFF, 0xFE, 0x00, 0x41}), u"");  // an odd byte left in a plain run
    EXPECT_EQ(jet4_text({0x41, 0x00, 0x42}), u"A");

    std::u16string cp;
    const std::vector<std::uint8_t> jet3 = {0x41, 0x80, 0xA3, 0x9F};
    jet::decode_code_page_text(jet::Bytes(jet3.data(), jet3.size()), 1252, cp);
    EXPECT_EQ(cp, u"A\u20ac\u00a3\u0178");
}

TEST(Value, NamesCompareWithoutCase)
{
    EXPECT_TRUE(jet::names_equal("PlayerStats", "playerstats"));
    EXPECT_TRUE(jet::names_equal("M\xC3\xBCller", "M\xC3\x9CLLER"));
    EXPECT_FALSE(jet::names_equal("Four", "Five"));
    EXPECT_FALSE(jet::names_equal("T1", "T1 "));
    EXPECT_EQ(jet::to_utf8(jet::to_utf16("Gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80")), "Gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80");
}

TEST(Value, AccessorsCheckTheKind)
{
    jet::Value v;
    v.set_long(5);
    EXPECT_EQ(v.long_integer(), 5);
    EXPECT_EQ(jettest::error_of([&] { v.text(); }).number(), jet::kTypeMismatch);
    const char16_t t[] = u"abc";
    v.set_text(t, 3);
    EXPECT_EQ(v.text(), u"abc");
    jet::Value w;
    w.set_text(t, 3);
    EXPECT_EQ(v, w);
    w.set_text(t, 2);
    EXPECT_FALSE(v == w);
}
