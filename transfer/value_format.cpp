// A field value as the text of a grid cell.
#include "transfer.h"
#include <charconv>

namespace {
// The decimal digits of an integer, as "%d" and "%u" give them.
template <class Int>
void IntegerText(CString& text, Int value)
{
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    text = CString(digits, static_cast<int>(end.ptr - digits));
}

// "%.*f" of the value: the same correctly rounded digits, without going
// through printf's format parsing and its buffer. The general path is kept
// for what the short buffer cannot hold.
void FixedText(CString& text, double value, int nPrecision)
{
    char digits[64];
    if (nPrecision >= 0 && nPrecision <= 20) {
        const std::to_chars_result end =
            std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, nPrecision);
        if (end.ec == std::errc()) {
            text = CString(digits, static_cast<int>(end.ptr - digits));
            return;
        }
    }
    text.Format("%.*f", nPrecision, value);
}
} // namespace

CString transfer::ToString(const COleVariant& var, int nPrecision, DWORD dwDateStyle)
{
    CString text;
    switch (var.vt) {
    case VT_NULL: text = "null"; break;
    case VT_I2: IntegerText(text, static_cast<int>(var.iVal)); break;
    case VT_I4: IntegerText(text, static_cast<int>(var.lVal)); break;
    case VT_R4: FixedText(text, static_cast<double>(var.fltVal), nPrecision); break;
    case VT_R8: FixedText(text, var.dblVal, nPrecision); break;
    case VT_DATE: {
        // A value outside the calendar the date class knows gives "invalid date".
        COleDateTime date(static_cast<const VARIANT&>(var));
        if (dwDateStyle == 1)
            text = date.Format("%I:%M%p");
        else if (dwDateStyle == 2)
            text = date.Format("%m/%d/%y");
        else
            text = date.Format("%m/%d/%y %I:%M%p");
        break;
    }
    // The string holds single-byte text: taken as it stands, up to its end.
    case VT_BSTR: text = var.bstrVal ? reinterpret_cast<LPCSTR>(var.bstrVal) : ""; break;
    case VT_BOOL: text = var.boolVal == 0 ? "0" : "1"; break;
    case VT_UI1: IntegerText(text, static_cast<int>(var.bVal)); break;
    case VT_UI4: IntegerText(text, static_cast<unsigned>(var.ulVal)); break;
    default: text = "unknown format specifier ToString()"; break;
    }
    return text;
}
