// Field values as cell texts: every variant type, with the readers'
// precision 3 and date-and-time style, and the other styles.
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>
#include "dao_test_files.h"
#include "transfer.h"

namespace {
std::string Text(const COleVariant& v, int precision = 3, DWORD style = 0x80000000)
{
    return std::string(transfer::ToString(v, precision, style));
}
} // namespace

TEST(ToString, NumbersAsPrintfFormatsThem)
{
    EXPECT_EQ(Text(COleVariant(2.5)), "2.500");
    EXPECT_EQ(Text(COleVariant(0.25f)), "0.250");
    EXPECT_EQ(Text(COleVariant(-0.0004)), "-0.000");
    EXPECT_EQ(Text(COleVariant(1234567.891)), "1234567.891");
    EXPECT_EQ(Text(COleVariant(0.1f)), "0.100");
    EXPECT_EQ(Text(COleVariant(2.5), 5), "2.50000");
    EXPECT_EQ(Text(COleVariant(70000L)), "70000");
    EXPECT_EQ(Text(COleVariant(-1L)), "-1");
    EXPECT_EQ(Text(COleVariant(short(-32768))), "-32768");
    EXPECT_EQ(Text(COleVariant(BYTE(255))), "255");
    COleVariant u4;
    u4.vt = VT_UI4;
    u4.ulVal = 4294967295u;
    EXPECT_EQ(Text(u4), "4294967295");
}

TEST(ToString, YesNoNullAndText)
{
    EXPECT_EQ(Text(COleVariant(short(-1), VT_BOOL)), "1");
    EXPECT_EQ(Text(COleVariant(short(0), VT_BOOL)), "0");
    COleVariant odd;
    odd.vt = VT_BOOL;
    odd.boolVal = 1;  // any value but 0 is yes
    EXPECT_EQ(Text(odd), "1");

    COleVariant null;
    null.vt = VT_NULL;
    EXPECT_EQ(Text(null), "null");

    const std::string accented = AnsiFromUtf8("M\xC3\xBCller caf\xC3\xA9");
    EXPECT_EQ(Text(COleVariant(accented.c_str(), VT_BSTRT)), accented);
    EXPECT_EQ(Text(COleVariant("", VT_BSTRT)), "");
    const std::string memo(100000, 'x');
    EXPECT_EQ(Text(COleVariant(memo.c_str(), VT_BSTRT)), memo);
}

TEST(ToString, DatesInThreeStylesAndAnInvalidOne)
{
    const COleVariant date(COleDateTime(2026, 12, 7, 15, 7, 59));
    EXPECT_EQ(Text(date), "12/07/26 03:07PM");
    EXPECT_EQ(Text(date, 3, 1), "03:07PM");
    EXPECT_EQ(Text(date, 3, 2), "12/07/26");
    EXPECT_EQ(Text(date, 3, 0), "12/07/26 03:07PM");
    EXPECT_EQ(Text(COleVariant(COleDateTime(2000, 2, 29, 0, 0, 0))), "02/29/00 12:00AM");
    EXPECT_EQ(Text(COleVariant(COleDateTime(1899, 12, 29, 6, 0, 0))), "12/29/99 06:00AM");
    EXPECT_EQ(Text(COleVariant(1e10, VT_DATE)), "invalid date");
    EXPECT_EQ(Text(COleVariant(-1e10, VT_DATE), 3, 1), "invalid date");
}

TEST(ToString, TypesWithoutAFormatSayso)
{
    const char unknown[] = "unknown format specifier ToString()";
    COleVariant money;
    money.vt = VT_CY;
    money.cyVal.int64 = 123400;
    EXPECT_EQ(Text(money), unknown);
    EXPECT_EQ(Text(COleVariant()), unknown);

    COleVariant binary;
    binary.vt = VT_ARRAY | VT_UI1;
    binary.parray = ::SafeArrayCreateVector(VT_UI1, 0, 4);
    EXPECT_EQ(Text(binary), unknown);

    COleVariant decimal;
    decimal.decVal.Lo64 = 5;
    decimal.vt = VT_DECIMAL;
    EXPECT_EQ(Text(decimal), unknown);
    for (int vt : {int(VT_DISPATCH), int(VT_ERROR), int(VT_VARIANT), int(VT_UNKNOWN), 15, int(VT_I1), int(VT_UI2), int(VT_I8)}) {
        COleVariant other;
        other.vt = static_cast<VARTYPE>(vt);  // the value is never looked at
        EXPECT_EQ(Text(other), unknown) << vt;
        other.vt = VT_EMPTY;
    }
}

namespace {
// A value and the text printf gives it with the format the conversion is
// specified by.
struct Printed {
    COleVariant value;
    CString expected;
};

Printed Integer(VARTYPE vt, long long n)
{
    COleVariant v;
    v.vt = vt;
    CString s;
    switch (vt) {
    case VT_I2: v.iVal = static_cast<SHORT>(n); s.Format("%d", static_cast<int>(v.iVal)); break;
    case VT_I4: v.lVal = static_cast<LONG>(n); s.Format("%d", static_cast<int>(v.lVal)); break;
    case VT_UI1: v.bVal = static_cast<BYTE>(n); s.Format("%d", static_cast<int>(v.bVal)); break;
    default: v.ulVal = static_cast<ULONG>(n); s.Format("%u", static_cast<unsigned>(v.ulVal)); break;
    }
    return {v, s};
}

Printed Real(double d, bool bSingle, int precision)
{
    COleVariant v = bSingle ? COleVariant(static_cast<float>(d)) : COleVariant(d);
    CString s;
    s.Format("%.*f", precision, bSingle ? static_cast<double>(v.fltVal) : v.dblVal);
    return {v, s};
}
} // namespace

// The conversions that do without printf give printf's digits.
TEST(ToString, FastConversionsGivePrintfsDigits)
{
    std::vector<std::pair<Printed, int>> cases;
    for (long long n : {0LL, 1LL, -1LL, 9LL, 10LL, 99LL, 100LL, -32768LL, 32767LL, 255LL, 70000LL, -2147483647LL - 1,
                        2147483647LL, 4294967295LL, 1000000000LL, -999999999LL})
        for (VARTYPE vt : {VT_I2, VT_I4, VT_UI1, VT_UI4}) cases.push_back({Integer(vt, n), 3});
    for (double d : {0.0, -0.0, 2.5, 0.0625, 0.0005, -0.0004, 0.1, 1.0 / 3, 1234567.891, 1e15, 1e20, -1e300, 123.4565,
                     9.9995, 4.35, 1e-300, 5e-324})
        for (bool bSingle : {false, true})
            for (int precision : {0, 3, 7}) cases.push_back({Real(d, bSingle, precision), precision});
    for (const auto& [printed, precision] : cases)
        EXPECT_EQ(Text(printed.value, precision), std::string(printed.expected))
            << "type " << printed.value.vt << ", precision " << precision;
}
