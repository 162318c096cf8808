#include "afxole.h"
#include <cstring>
#include <vector>

namespace {
void CheckCopy(HRESULT hr)
{
    if (FAILED(hr)) AfxThrowMemoryException();
}

BSTR AllocOrThrow(BSTR b)
{
    if (!b) AfxThrowMemoryException();
    return b;
}

BSTR WideFromAnsi(LPCSTR psz)
{
    const int n = ::MultiByteToWideChar(CP_ACP, 0, psz, -1, nullptr, 0);
    std::vector<WCHAR> wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, psz, -1, wide.data(), n);
    return AllocOrThrow(::SysAllocString(wide.data()));
}
} // namespace

COleVariant::COleVariant(const COleVariant& varSrc)
{
    ::VariantInit(this);
    CheckCopy(::VariantCopy(this, const_cast<COleVariant*>(&varSrc)));
}

COleVariant::COleVariant(const VARIANT& varSrc)
{
    ::VariantInit(this);
    CheckCopy(::VariantCopy(this, const_cast<VARIANT*>(&varSrc)));
}

COleVariant::COleVariant(LPCVARIANT pSrc)
{
    ::VariantInit(this);
    if (pSrc) CheckCopy(::VariantCopy(this, const_cast<VARIANT*>(pSrc)));
}

COleVariant::COleVariant(LPCSTR lpszSrc, VARTYPE vtSrc)
{
    ::VariantInit(this);
    if (!lpszSrc) lpszSrc = "";
    if (vtSrc == VT_BSTRT) {
        bstrVal = AllocOrThrow(::SysAllocStringByteLen(lpszSrc, static_cast<UINT>(std::strlen(lpszSrc))));
    } else {
        bstrVal = WideFromAnsi(lpszSrc);
    }
    vt = VT_BSTR;
}

COleVariant::COleVariant(BYTE nSrc)
{
    ::VariantInit(this);
    vt = VT_UI1;
    bVal = nSrc;
}

COleVariant::COleVariant(short nSrc, VARTYPE vtSrc)
{
    ::VariantInit(this);
    if (vtSrc == VT_BOOL) {
        vt = VT_BOOL;
        boolVal = nSrc ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
        vt = VT_I2;
        iVal = nSrc;
    }
}

COleVariant::COleVariant(long lSrc, VARTYPE vtSrc)
{
    ::VariantInit(this);
    if (vtSrc == VT_BOOL) {
        vt = VT_BOOL;
        boolVal = lSrc ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (vtSrc == VT_ERROR) {
        vt = VT_ERROR;
        scode = lSrc;
    } else {
        vt = VT_I4;
        lVal = lSrc;
    }
}

COleVariant::COleVariant(float fltSrc)
{
    ::VariantInit(this);
    vt = VT_R4;
    fltVal = fltSrc;
}

COleVariant::COleVariant(double dblSrc, VARTYPE vtSrc)
{
    ::VariantInit(this);
    if (vtSrc == VT_DATE) {
        vt = VT_DATE;
        date = dblSrc;
    } else {
        vt = VT_R8;
        dblVal = dblSrc;
    }
}

COleVariant::COleVariant(const COleDateTime& dateSrc)
{
    ::VariantInit(this);
    vt = VT_DATE;
    date = dateSrc.m_dt;
}

COleVariant::~COleVariant() { ::VariantClear(this); }

COleVariant& COleVariant::operator=(const COleVariant& varSrc)
{
    if (this != &varSrc) CheckCopy(::VariantCopy(this, const_cast<COleVariant*>(&varSrc)));
    return *this;
}

COleVariant& COleVariant::operator=(const VARIANT& varSrc)
{
    if (this != &varSrc) CheckCopy(::VariantCopy(this, const_cast<VARIANT*>(&varSrc)));
    return *this;
}

void COleVariant::Clear() { ::VariantClear(this); }
