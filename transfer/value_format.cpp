// A field value as the text of a grid cell.
#include "quillmere_dlg.h"

CString CQuillmereDlg::ToString(const COleVariant& var, int nPrecision, DWORD dwDateStyle)
{
    CString text;
    switch (var.vt) {
    case VT_NULL: text = "null"; break;
    case VT_I2: text.Format("%d", static_cast<int>(var.iVal)); break;
    case VT_I4: text.Format("%d", static_cast<int>(var.lVal)); break;
    case VT_R4: text.Format("%.*f", nPrecision, static_cast<double>(var.fltVal)); break;
    case VT_R8: text.Format("%.*f", nPrecision, var.dblVal); break;
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
    case VT_UI1: text.Format("%d", static_cast<int>(var.bVal)); break;
    case VT_UI4: text.Format("%u", static_cast<unsigned>(var.ulVal)); break;
    default: text = "unknown format specifier ToString()"; break;
    }
    return text;
}
