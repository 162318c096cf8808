// CWaitCursor: shows the hourglass for as long as the object lives, for
// commands that keep the window busy.
#pragma once
#include <windows.h>

class CWaitCursor {
public:
    CWaitCursor() : m_hPrevious(::SetCursor(::LoadCursor(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { ::SetCursor(m_hPrevious); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_hPrevious;
};
