#include "row_cache.h"

CGridRowCache& CGridRowCache::Get()
{
    static CGridRowCache cache;
    return cache;
}

CDC* CGridRowCache::Prepare(CDC* pTarget, int nWidth, int nHeight)
{
    if (m_nWidth < nWidth || m_nHeight < nHeight) {
        Release();
        m_dc.CreateCompatibleDC(pTarget);
        m_nWidth = nWidth + kMargin;
        m_nHeight = nHeight + kMargin;
        m_bitmap.CreateCompatibleBitmap(pTarget, m_nWidth, m_nHeight);
        m_dc.SelectObject(&m_bitmap);
    }
    return &m_dc;
}

void CGridRowCache::Release()
{
    m_dc.DeleteDC();
    m_bitmap.DeleteObject();
    m_nWidth = -1;
    m_nHeight = -1;
}
