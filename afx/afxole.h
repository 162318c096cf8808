// Automation values: COleVariant (a VARIANT that frees what it holds) and
// COleDateTime (an automation date with a validity status), over oleaut32.
//
//   COleVariant v(short(-1), VT_BOOL);      // typed constructors
//   COleVariant s("text", VT_BSTRT);         // a BSTR holding the single-byte text itself
//   COleDateTime t(v);                       // from any VARIANT convertible to a date
//   CString text = t.Format("%m/%d/%y %I:%M%p");
//
// Failures to allocate throw CMemoryException.
#pragma once
#include "afxexcept.h"
#include "afxstr.h"
#include <oleauto.h>

// Marks a string given to COleVariant as one to keep in the program's own
// single-byte code page: the BSTR then holds those bytes (as the data-access
// layer hands text to an ANSI program), not UTF-16. The variant's type is VT_BSTR.
constexpr VARTYPE VT_BSTRT = 0xFE;

typedef const VARIANT* LPCVARIANT;

class COleDateTime;

class COleVariant : public tagVARIANT {
public:
    COleVariant() { ::VariantInit(this); }
    COleVariant(const COleVariant& varSrc);
    COleVariant(const VARIANT& varSrc);
    explicit COleVariant(LPCVARIANT pSrc);
    // VT_BSTR: the text converted to UTF-16; VT_BSTRT: the bytes as they are.
    COleVariant(LPCSTR lpszSrc, VARTYPE vtSrc = VT_BSTR);
    COleVariant(BYTE nSrc);
    // VT_I2 or VT_BOOL (any non-zero value becomes VARIANT_TRUE).
    COleVariant(short nSrc, VARTYPE vtSrc = VT_I2);
    // VT_I4, VT_BOOL or VT_ERROR.
    COleVariant(long lSrc, VARTYPE vtSrc = VT_I4);
    COleVariant(float fltSrc);
    // VT_R8 or VT_DATE.
    COleVariant(double dblSrc, VARTYPE vtSrc = VT_R8);
    COleVariant(const COleDateTime& dateSrc);
    ~COleVariant();

    COleVariant& operator=(const COleVariant& varSrc);
    COleVariant& operator=(const VARIANT& varSrc);

    // Frees what the variant holds and leaves it VT_EMPTY.
    void Clear();

    operator LPVARIANT() { return this; }
    operator LPCVARIANT() const { return this; }
};

class COleDateTime {
public:
    enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };

    // 30 December 1899, midnight, valid.
    COleDateTime() = default;
    COleDateTime(DATE dtSrc) { *this = dtSrc; }
    COleDateTime(const VARIANT& varSrc) { *this = varSrc; }
    COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
    { SetDateTime(nYear, nMonth, nDay, nHour, nMin, nSec); }

    // A date outside 1 January 100 .. 31 December 9999, or not a number, is invalid.
    COleDateTime& operator=(DATE dtSrc);
    // VT_DATE as it is, VT_NULL as a null date, anything else converted to a
    // date by the platform; a value that does not convert is invalid.
    COleDateTime& operator=(const VARIANT& varSrc);

    // 0 on success; 1 (and an invalid date) when a part is out of range.
    int SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }

    // Parts of the date, rounded to the second; -1 unless the date is valid.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    // 1 = Sunday ... 7 = Saturday.
    int GetDayOfWeek() const;

    // The date through a strftime-style format with the codes %a %A %b %B %d
    // %H %I %j %m %M %p %S %w %y %Y and %% (English names, AM/PM); any other
    // code is copied as it stands. A null date gives the empty text and an
    // invalid one "invalid date".
    CString Format(LPCSTR lpszFormat) const;

    DATE m_dt = 0.0;
    DateTimeStatus m_status = valid;

private:
    struct Parts {
        int year, month, day, hour, minute, second, dayOfWeek, dayOfYear;
    };
    bool GetParts(Parts& parts) const;
};
