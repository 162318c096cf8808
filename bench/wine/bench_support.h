// What the Windows benchmarks share: a millisecond clock and handling the
// messages that are waiting.
#pragma once
#include "afx.h"

// Milliseconds from an arbitrary start, from the performance counter.
inline double Now()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Dispatches every queued message, then frees the framework's temporary objects.
inline void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    AfxDeleteTempMaps();
}
