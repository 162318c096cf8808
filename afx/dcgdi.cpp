// CDC operations with GDI objects and the drawing helpers built on them.
#include "afxdc.h"
#include "afxgdi.h"

namespace {
HGDIOBJ SafeHandle(const CGdiObject* pObject)
{
    return pObject ? pObject->m_hObject : nullptr;
}
} // namespace

CPen* CDC::SelectObject(CPen* pPen)
{
    return static_cast<CPen*>(CGdiObject::FromHandle(::SelectObject(m_hDC, SafeHandle(pPen))));
}

CBrush* CDC::SelectObject(CBrush* pBrush)
{
    return static_cast<CBrush*>(CGdiObject::FromHandle(::SelectObject(m_hDC, SafeHandle(pBrush))));
}

CFont* CDC::SelectObject(CFont* pFont)
{
    return static_cast<CFont*>(CGdiObject::FromHandle(::SelectObject(m_hDC, SafeHandle(pFont))));
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap)
{
    return static_cast<CBitmap*>(CGdiObject::FromHandle(::SelectObject(m_hDC, SafeHandle(pBitmap))));
}

CFont* CDC::GetCurrentFont() const
{
    return static_cast<CFont*>(CGdiObject::FromHandle(::GetCurrentObject(m_hDC, OBJ_FONT)));
}

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush)
{
    ::FillRect(m_hDC, lpRect, static_cast<HBRUSH>(SafeHandle(pBrush)));
}

void CDC::Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight)
{
    const int x = lpRect->left, y = lpRect->top;
    const int cx = lpRect->right - x, cy = lpRect->bottom - y;
    RECT r;
    ::SetRect(&r, x, y, x + cx - 1, y + 1);
    FillSolidRect(&r, clrTopLeft);
    ::SetRect(&r, x, y, x + 1, y + cy - 1);
    FillSolidRect(&r, clrTopLeft);
    ::SetRect(&r, x + cx - 1, y, x + cx, y + cy);
    FillSolidRect(&r, clrBottomRight);
    ::SetRect(&r, x, y + cy - 1, x + cx, y + cy);
    FillSolidRect(&r, clrBottomRight);
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    POINT old = {0, 0};
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return CPoint(old);
}
