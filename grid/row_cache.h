// The off-screen surface on which the grid paints a row before copying it to
// the screen. One for all grids of the process; it grows when a row does not
// fit and lives until the program ends.
#pragma once

#include "afxdc.h"
#include "afxgdi.h"

class CGridRowCache {
public:
    // Extra pixels in each direction, so that small growths reuse the bitmap.
    static constexpr int kMargin = 50;

    static CGridRowCache& Get();

    // Makes sure a row of width x height fits, replacing the bitmap by one
    // compatible with pTarget if it does not. Returns the memory context.
    CDC* Prepare(CDC* pTarget, int nWidth, int nHeight);

    // Drops the bitmap; the next row makes a new one.
    void Release();

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }

private:
    CGridRowCache() = default;
    CDC m_dc;
    CBitmap m_bitmap;
    int m_nWidth = -1;
    int m_nHeight = -1;
};
