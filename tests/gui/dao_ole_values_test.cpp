// COleVariant and COleDateTime: the value classes the data-access layer
// hands out and the viewer formats.
#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <string>
#include "afxole.h"

TEST(OleDateTime, CalendarDatesAndTheirAutomationValues)
{
    EXPECT_EQ(COleDateTime(1899, 12, 30, 0, 0, 0).m_dt, 0.0);
    EXPECT_EQ(COleDateTime(2000, 2, 29, 0, 0, 0).m_dt, 36585.0);
    EXPECT_EQ(COleDateTime(1899, 12, 29, 6, 0, 0).m_dt, -1.25);
    EXPECT_EQ(COleDateTime(1900, 1, 1, 12, 0, 0).m_dt, 2.5);

    COleDateTime t(2026, 12, 7, 15, 7, 59);
    EXPECT_EQ(t.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(t.GetYear(), 2026);
    EXPECT_EQ(t.GetMonth(), 12);
    EXPECT_EQ(t.GetDay(), 7);
    EXPECT_EQ(t.GetHour(), 15);
    EXPECT_EQ(t.GetMinute(), 7);
    EXPECT_EQ(t.GetSecond(), 59);
    EXPECT_EQ(t.GetDayOfWeek(), 2);  // a Monday

    COleDateTime before(-1.25);
    EXPECT_EQ(before.GetDay(), 29);
    EXPECT_EQ(before.GetHour(), 6);

    // Out of the calendar's range, or a part out of range: invalid.
    EXPECT_EQ(COleDateTime(2025, 2, 29, 0, 0, 0).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(99, 12, 31, 0, 0, 0).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(1e10).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(std::numeric_limits<double>::quiet_NaN()).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(1e10).GetYear(), -1);
    EXPECT_EQ(COleDateTime(9999, 12, 31, 23, 59, 59).GetStatus(), COleDateTime::valid);
    EXPECT_EQ(COleDateTime(100, 1, 1, 0, 0, 0).GetStatus(), COleDateTime::valid);
}

TEST(OleDateTime, FormatCodesTwelveHourClockAndRounding)
{
    COleDateTime t(2026, 12, 7, 15, 7, 59);
    EXPECT_EQ(std::string(t.Format("%m/%d/%y %I:%M%p")), "12/07/26 03:07PM");
    EXPECT_EQ(std::string(t.Format("%I:%M%p")), "03:07PM");
    EXPECT_EQ(std::string(t.Format("%m/%d/%y")), "12/07/26");
    EXPECT_EQ(std::string(t.Format("%Y-%m-%d %H:%M:%S %j %a %A %b %B %w 100%% %q")),
              "2026-12-07 15:07:59 341 Mon Monday Dec December 1 100% %q");
    EXPECT_EQ(std::string(COleDateTime(2000, 1, 1, 0, 5, 0).Format("%I:%M%p")), "12:05AM");
    EXPECT_EQ(std::string(COleDateTime(2000, 1, 1, 12, 5, 0).Format("%I:%M%p")), "12:05PM");
    // Half a second before midnight rounds into the next day.
    COleDateTime late(36525.0 + 86399.6 / 86400.0);
    EXPECT_EQ(std::string(late.Format("%m/%d/%y %H:%M:%S")), "01/01/00 00:00:00");

    EXPECT_EQ(std::string(COleDateTime(1e10).Format("%m/%d/%y")), "invalid date");
    COleDateTime none;
    none.SetStatus(COleDateTime::null);
    EXPECT_EQ(std::string(none.Format("%m/%d/%y")), "");
}

TEST(OleDateTime, FromVariants)
{
    COleVariant date(36585.5, VT_DATE);
    EXPECT_EQ(std::string(COleDateTime(static_cast<const VARIANT&>(date)).Format("%m/%d/%y %I:%M%p")),
              "02/29/00 12:00PM");
    COleVariant number(36585.5);
    EXPECT_EQ(COleDateTime(static_cast<const VARIANT&>(number)).m_dt, 36585.5);
    VARIANT null;
    ::VariantInit(&null);
    null.vt = VT_NULL;
    EXPECT_EQ(COleDateTime(null).GetStatus(), COleDateTime::null);
    COleVariant words("not a date at all");
    EXPECT_EQ(COleDateTime(static_cast<const VARIANT&>(words)).GetStatus(), COleDateTime::invalid);
}

TEST(OleVariant, TypedValuesCopiesAndClearing)
{
    EXPECT_EQ(COleVariant().vt, VT_EMPTY);
    COleVariant yes(short(5), VT_BOOL);
    EXPECT_EQ(yes.vt, VT_BOOL);
    EXPECT_EQ(yes.boolVal, VARIANT_TRUE);
    EXPECT_EQ(COleVariant(long(0), VT_BOOL).boolVal, VARIANT_FALSE);
    EXPECT_EQ(COleVariant(short(-7)).iVal, -7);
    EXPECT_EQ(COleVariant(70000L).lVal, 70000);
    EXPECT_EQ(COleVariant(BYTE(200)).bVal, 200);
    EXPECT_EQ(COleVariant(0.5f).vt, VT_R4);
    EXPECT_EQ(COleVariant(COleDateTime(2000, 2, 29, 0, 0, 0)).date, 36585.0);

    // Single-byte text kept as its bytes, beside text made UTF-16.
    COleVariant bytes("caf\xE9", VT_BSTRT);
    EXPECT_EQ(bytes.vt, VT_BSTR);
    EXPECT_EQ(::SysStringByteLen(bytes.bstrVal), 4u);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.bstrVal), "caf\xE9");
    COleVariant wide("abc");
    EXPECT_EQ(::SysStringLen(wide.bstrVal), 3u);
    EXPECT_EQ(std::wstring(wide.bstrVal), L"abc");

    // Copies are deep and keep the byte length.
    COleVariant copy(bytes);
    EXPECT_NE(copy.bstrVal, bytes.bstrVal);
    EXPECT_EQ(::SysStringByteLen(copy.bstrVal), 4u);
    COleVariant assigned;
    assigned = copy;
    EXPECT_STREQ(reinterpret_cast<const char*>(assigned.bstrVal), "caf\xE9");
    assigned = assigned;
    EXPECT_EQ(assigned.vt, VT_BSTR);

    assigned.Clear();
    EXPECT_EQ(assigned.vt, VT_EMPTY);
}
