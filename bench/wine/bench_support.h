// What the Windows benchmarks share: a millisecond clock, handling the
// messages that are waiting, and the figure lines of bench/all.sh.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>

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

// With QM_FIGURES=1 in the environment, prints "figure NAME VALUE" for
// bench/all.sh to collect.
inline void Figure(const std::string& name, double value)
{
    const char* wanted = std::getenv("QM_FIGURES");
    if (wanted && *wanted == '1') std::printf("figure %s %.3f\n", name.c_str(), value);
}
