#include "field_value.h"
#include "engine_text.h"
#include "jet/base/value.h"
#include <cstring>

namespace {
SAFEARRAY* ByteArray(const std::vector<std::uint8_t>& bytes)
{
    SAFEARRAY* array = ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array) AfxThrowMemoryException();
    if (!bytes.empty()) {
        void* data = nullptr;
        if (FAILED(::SafeArrayAccessData(array, &data))) {
            ::SafeArrayDestroy(array);
            AfxThrowMemoryException();
        }
        std::memcpy(data, bytes.data(), bytes.size());
        ::SafeArrayUnaccessData(array);
    }
    return array;
}
} // namespace

void StoreFieldValue(const jet::Value& value, COleVariant& out, std::string& scratch)
{
    if (value.kind() == jet::ValueKind::Text) {
        ProgramBytes(value.text(), scratch);
        const UINT n = static_cast<UINT>(scratch.size());
        if (out.vt == VT_BSTR && out.bstrVal != nullptr && ::SysStringByteLen(out.bstrVal) == n) {
            if (n > 0) std::memcpy(out.bstrVal, scratch.data(), n);
            return;
        }
        BSTR text = ::SysAllocStringByteLen(scratch.data(), n);
        if (!text) AfxThrowMemoryException();
        out.Clear();
        out.vt = VT_BSTR;
        out.bstrVal = text;
        return;
    }
    out.Clear();
    switch (value.kind()) {
    case jet::ValueKind::Null: out.vt = VT_NULL; break;
    case jet::ValueKind::Boolean:
        out.vt = VT_BOOL;
        out.boolVal = value.boolean() ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case jet::ValueKind::Byte:
        out.vt = VT_UI1;
        out.bVal = value.byte();
        break;
    case jet::ValueKind::Integer:
        out.vt = VT_I2;
        out.iVal = value.integer();
        break;
    case jet::ValueKind::Long:
        out.vt = VT_I4;
        out.lVal = value.long_integer();
        break;
    case jet::ValueKind::Currency:
        out.vt = VT_CY;
        out.cyVal.int64 = value.currency();
        break;
    case jet::ValueKind::Single:
        out.vt = VT_R4;
        out.fltVal = value.single();
        break;
    case jet::ValueKind::Double:
        out.vt = VT_R8;
        out.dblVal = value.double_value();
        break;
    case jet::ValueKind::Date:
        out.vt = VT_DATE;
        out.date = value.date();
        break;
    case jet::ValueKind::Text: break;  // above
    case jet::ValueKind::Binary:
        out.parray = ByteArray(value.bytes());
        out.vt = VT_ARRAY | VT_UI1;
        break;
    case jet::ValueKind::Decimal: {
        const jet::Decimal& d = value.decimal();
        DECIMAL& dec = out.decVal;  // overlays the tag: set the type last
        std::memset(&dec, 0, sizeof dec);
        dec.scale = d.scale;
        dec.sign = d.negative ? DECIMAL_NEG : 0;
        dec.Hi32 = d.high;
        dec.Lo64 = d.low;
        out.vt = VT_DECIMAL;
        break;
    }
    }
}

namespace {
std::vector<std::uint8_t> ArrayBytes(const SAFEARRAY* array)
{
    std::vector<std::uint8_t> bytes;
    if (!array || ::SafeArrayGetDim(const_cast<SAFEARRAY*>(array)) != 1) return bytes;
    LONG lower = 0, upper = -1;
    ::SafeArrayGetLBound(const_cast<SAFEARRAY*>(array), 1, &lower);
    ::SafeArrayGetUBound(const_cast<SAFEARRAY*>(array), 1, &upper);
    if (upper < lower) return bytes;
    bytes.resize(static_cast<size_t>(upper - lower) + 1);
    void* data = nullptr;
    if (FAILED(::SafeArrayAccessData(const_cast<SAFEARRAY*>(array), &data))) AfxThrowMemoryException();
    std::memcpy(bytes.data(), data, bytes.size());
    ::SafeArrayUnaccessData(const_cast<SAFEARRAY*>(array));
    return bytes;
}
} // namespace

bool LoadFieldValue(const VARIANT& in, jet::Value& out)
{
    switch (in.vt) {
    case VT_EMPTY:
    case VT_NULL: out.set_null(); return true;
    case VT_BOOL: out.set_boolean(in.boolVal != VARIANT_FALSE); return true;
    case VT_UI1: out.set_byte(in.bVal); return true;
    case VT_I2: out.set_integer(in.iVal); return true;
    case VT_I4: out.set_long(in.lVal); return true;
    case VT_CY: out.set_currency(in.cyVal.int64); return true;
    case VT_R4: out.set_single(in.fltVal); return true;
    case VT_R8: out.set_double(in.dblVal); return true;
    case VT_DATE: out.set_date(in.date); return true;
    case VT_BSTR: {
        // The program's BSTRs hold text in its code page, byte by byte.
        const std::u16string text = ProgramBstrText(in.bstrVal);
        out.set_text(text.data(), text.size());
        return true;
    }
    case VT_ARRAY | VT_UI1: {
        const std::vector<std::uint8_t> bytes = ArrayBytes(in.parray);
        out.set_bytes(bytes.data(), bytes.size());
        return true;
    }
    case VT_DECIMAL: {
        jet::Decimal d;
        d.scale = in.decVal.scale;
        d.negative = (in.decVal.sign & DECIMAL_NEG) != 0;
        d.high = in.decVal.Hi32;
        d.low = in.decVal.Lo64;
        d.precision = 28;
        out.set_decimal(d);
        return true;
    }
    default: return false;
    }
}
