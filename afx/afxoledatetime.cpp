#include "afxole.h"
#include <cmath>
#include <cstdio>

namespace {
// Automation dates count days from 30 December 1899; the fraction's magnitude
// is the time of day, so -1.25 is 29 December 1899, 06:00.
constexpr double kMinDate = -657434.0;  // 1 January 100
constexpr double kMaxDate = 2958465.0;  // 31 December 9999
constexpr double kHalfSecond = 0.5 / 86400.0;
// Days from 1 January 1970 to the automation epoch, 30 December 1899.
constexpr long long kEpochFromUnix = -25569;

const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

// Days since 1 January 1970 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

void AppendNumber(CString& out, int value, int width)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, value);
    out += buf;
}
} // namespace

COleDateTime& COleDateTime::operator=(DATE dtSrc)
{
    m_dt = dtSrc;
    m_status = std::isfinite(dtSrc) && dtSrc >= kMinDate && dtSrc <= kMaxDate ? valid : invalid;
    return *this;
}

COleDateTime& COleDateTime::operator=(const VARIANT& varSrc)
{
    if (varSrc.vt == VT_DATE) return *this = varSrc.date;
    if (varSrc.vt == VT_NULL) {
        m_dt = 0.0;
        m_status = null;
        return *this;
    }
    VARIANT converted;
    ::VariantInit(&converted);
    if (SUCCEEDED(::VariantChangeType(&converted, const_cast<VARIANT*>(&varSrc), 0, VT_DATE))) {
        *this = converted.date;
    } else {
        m_dt = 0.0;
        m_status = invalid;
    }
    ::VariantClear(&converted);
    return *this;
}

int COleDateTime::SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
{
    const bool ok = nYear >= 100 && nYear <= 9999 && nMonth >= 1 && nMonth <= 12 && nDay >= 1 &&
                    nDay <= DaysInMonth(nYear, nMonth) && nHour >= 0 && nHour <= 23 && nMin >= 0 && nMin <= 59 &&
                    nSec >= 0 && nSec <= 59;
    if (!ok) {
        m_dt = 0.0;
        m_status = invalid;
        return 1;
    }
    const double days = static_cast<double>(DaysFromCivil(nYear, static_cast<unsigned>(nMonth),
                                                          static_cast<unsigned>(nDay)) - kEpochFromUnix);
    const double time = (nHour * 3600 + nMin * 60 + nSec) / 86400.0;
    // Before the epoch the time still counts forward from midnight: its sign follows the day's.
    m_dt = days < 0 ? days - time : days + time;
    m_status = valid;
    return 0;
}

bool COleDateTime::GetParts(Parts& p) const
{
    if (m_status != valid) return false;
    // Rounded to the nearest second, away from the epoch like the day count.
    const double dt = m_dt + (m_dt >= 0 ? kHalfSecond : -kHalfSecond);
    const double whole = std::trunc(dt);
    const long long days = static_cast<long long>(whole);
    long long seconds = static_cast<long long>(std::floor(std::fabs(dt - whole) * 86400.0));
    if (seconds > 86399) seconds = 86399;
    CivilFromDays(days + kEpochFromUnix, p.year, p.month, p.day);
    p.hour = static_cast<int>(seconds / 3600);
    p.minute = static_cast<int>(seconds / 60 % 60);
    p.second = static_cast<int>(seconds % 60);
    // 1 January 1970 was a Thursday.
    const long long unixDays = days + kEpochFromUnix;
    p.dayOfWeek = static_cast<int>(((unixDays % 7) + 7 + 4) % 7) + 1;
    p.dayOfYear = static_cast<int>(unixDays - DaysFromCivil(p.year, 1, 1)) + 1;
    return true;
}

int COleDateTime::GetYear() const { Parts p; return GetParts(p) ? p.year : -1; }
int COleDateTime::GetMonth() const { Parts p; return GetParts(p) ? p.month : -1; }
int COleDateTime::GetDay() const { Parts p; return GetParts(p) ? p.day : -1; }
int COleDateTime::GetHour() const { Parts p; return GetParts(p) ? p.hour : -1; }
int COleDateTime::GetMinute() const { Parts p; return GetParts(p) ? p.minute : -1; }
int COleDateTime::GetSecond() const { Parts p; return GetParts(p) ? p.second : -1; }
int COleDateTime::GetDayOfWeek() const { Parts p; return GetParts(p) ? p.dayOfWeek : -1; }

CString COleDateTime::Format(LPCSTR lpszFormat) const
{
    if (m_status == null) return CString();
    Parts p;
    if (!GetParts(p)) return "invalid date";
    CString out;
    for (LPCSTR s = lpszFormat ? lpszFormat : ""; *s; ++s) {
        if (*s != '%' || !s[1]) {
            out += *s;
            continue;
        }
        switch (*++s) {
        case 'a': out += CString(kDayNames[p.dayOfWeek - 1], 3); break;
        case 'A': out += kDayNames[p.dayOfWeek - 1]; break;
        case 'b': out += CString(kMonthNames[p.month - 1], 3); break;
        case 'B': out += kMonthNames[p.month - 1]; break;
        case 'd': AppendNumber(out, p.day, 2); break;
        case 'H': AppendNumber(out, p.hour, 2); break;
        case 'I': AppendNumber(out, p.hour % 12 == 0 ? 12 : p.hour % 12, 2); break;
        case 'j': AppendNumber(out, p.dayOfYear, 3); break;
        case 'm': AppendNumber(out, p.month, 2); break;
        case 'M': AppendNumber(out, p.minute, 2); break;
        case 'p': out += p.hour < 12 ? "AM" : "PM"; break;
        case 'S': AppendNumber(out, p.second, 2); break;
        case 'w': AppendNumber(out, p.dayOfWeek - 1, 1); break;
        case 'y': AppendNumber(out, p.year % 100, 2); break;
        case 'Y': AppendNumber(out, p.year, 4); break;
        case '%': out += '%'; break;
        default:
            out += '%';
            out += *s;
            break;
        }
    }
    return out;
}
