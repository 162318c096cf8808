// CDateTimeCtrl: wrapper of the common date and time picker control.
#pragma once
#include "afxwnd.h"

class CDateTimeCtrl : public CWnd {
    DECLARE_DYNAMIC(CDateTimeCtrl)
public:
    // DTM_SETFORMAT (ANSI); NULL restores the control's default format.
    BOOL SetFormat(LPCSTR pstrFormat)
    { return static_cast<BOOL>(SendMessage(DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(pstrFormat))); }
    // DTM_SETSYSTEMTIME with GDT_VALID.
    BOOL SetTime(const SYSTEMTIME* pTimeNew)
    { return static_cast<BOOL>(SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(pTimeNew))); }
    // DTM_GETSYSTEMTIME: GDT_VALID, or GDT_NONE when the control holds no date.
    DWORD GetTime(SYSTEMTIME* pTimeDest) const
    { return static_cast<DWORD>(SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(pTimeDest))); }
    // The drop-down month calendar (DTM_GETMONTHCAL), NULL when there is none.
    HWND GetMonthCalHwnd() const { return reinterpret_cast<HWND>(SendMessage(DTM_GETMONTHCAL)); }
};
