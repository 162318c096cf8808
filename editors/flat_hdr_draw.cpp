// The flat header's owner-drawn items: a flat face, dark while pressed.
#include "flat_hdr_ctrl.h"

#include "afxgdi.h"

void CFlatHdrCtrl::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct->CtlType != ODT_HEADER) return;
    const int nItem = static_cast<int>(lpDrawItemStruct->itemID);
    const CRect rect(lpDrawItemStruct->rcItem);
    const BOOL bPressed = IsItemPressed(nItem);
    const COLORREF crText = bPressed ? m_crPressedText : m_crNormalText;
    const COLORREF crFace = bPressed ? m_crPressedBk : m_crNormalBk;
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    const int nSaved = pDC->SaveDC();

    CBrush brush(crFace);
    pDC->FillRect(&rect, &brush);
    brush.DeleteObject();

    HDITEMA item;
    ReadCaption(nItem, HDI_TEXT | HDI_FORMAT, s_szDrawText, item);
    UINT nFormat = DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER;
    if (item.fmt & HDF_RIGHT)
        nFormat |= DT_RIGHT;
    else if (item.fmt & HDF_CENTER)
        nFormat |= DT_CENTER;
    else
        nFormat |= DT_LEFT;

    pDC->SetTextColor(crText);
    pDC->SetBkMode(TRANSPARENT);
    CRect rcText = rect;
    rcText.DeflateRect(3, 1);
    // An item too narrow (or too low) for the margins inverts the rectangle and
    // shows no caption: an item narrower than 6 pixels shows only its face.
    // (Normalising alone would leave a 1 to 3 pixel rectangle for items 3 to 5
    // pixels wide, in which the unclipped ellipsis would still be drawn.)
    const BOOL bInverted = rcText.IsRectEmpty();
    rcText.NormalizeRect();
    if (!bInverted && !rcText.IsRectEmpty() && rcText.left >= rect.left)
        pDC->DrawText(s_szDrawText, -1, &rcText, nFormat);
    pDC->RestoreDC(nSaved);
}
