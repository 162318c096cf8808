#include "spinner_ipe.h"

IMPLEMENT_DYNAMIC(CSpinnerIPE, CSpinButtonCtrl)

BEGIN_MESSAGE_MAP(CSpinnerIPE, CSpinButtonCtrl)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

void CSpinnerIPE::PostNcDestroy()
{
    CSpinButtonCtrl::PostNcDestroy();
    delete this;
}

void CSpinnerIPE::OnPaint()
{
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    rcWindow.OffsetRect(-rcWindow.left, -rcWindow.top);
    Default();

    CWindowDC dc(this);
    const COLORREF crHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
    dc.Draw3dRect(&rcWindow, crHighlight, crHighlight);

    // Upper arrow: a face frame whose bottom line stays between the arrows, a
    // shadow frame one pixel shorter inside it.
    const int nMiddle = rcWindow.top + (rcWindow.bottom - rcWindow.top) / 2;
    CRect rcUp(0, 0, rcWindow.right, nMiddle);
    rcUp.DeflateRect(1, 1);
    rcUp.bottom += 1;
    dc.Draw3dRect(&rcUp, crFace, crFace);
    rcUp.bottom -= 1;
    dc.Draw3dRect(&rcUp, crShadow, crShadow);

    CRect rcDown(0, rcWindow.bottom - (rcWindow.bottom - rcWindow.top) / 2, rcWindow.right, rcWindow.bottom);
    rcDown.DeflateRect(1, 1);
    dc.Draw3dRect(&rcDown, crShadow, crShadow);
}

BOOL CSpinnerIPE::OnEraseBkgnd(CDC* /*pDC*/)
{
    return TRUE;
}
