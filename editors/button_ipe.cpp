#include "button_ipe.h"

#include "afxgdi.h"
#include "ipe_common.h"

IMPLEMENT_DYNAMIC(CButtonIPE, CButton)

BEGIN_MESSAGE_MAP(CButtonIPE, CButton)
ON_WM_CREATE()
ON_WM_KILLFOCUS()
ON_WM_DRAWITEM_REFLECT()
END_MESSAGE_MAP()

CButtonIPE::CButtonIPE(int iItem, int iSubItem) : m_iItem(iItem), m_iSubItem(iSubItem) {}

void CButtonIPE::PostNcDestroy()
{
    CButton::PostNcDestroy();
    delete this;
}

int CButtonIPE::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CButton::OnCreate(lpCreateStruct) == -1) return -1;
    if (::GetParent(m_hWnd) != nullptr) IpeTakeParentFont(this);
    return 0;
}

BOOL CButtonIPE::PreTranslateMessage(MSG* pMsg)
{
    // Enter and Escape end the edit alike; Escape cancels nothing here.
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE)) {
        GetParent()->SetFocus();
        return TRUE;
    }
    return CButton::PreTranslateMessage(pMsg);
}

BOOL CButtonIPE::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const BOOL bResult = CButton::OnChildNotify(message, wParam, lParam, pResult);
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) GetParent()->SetFocus();
    return bResult;
}

void CButtonIPE::OnKillFocus(CWnd* pNewWnd)
{
    CButton::OnKillFocus(pNewWnd);
    IpeSendEndEdit(this, m_iItem, m_iSubItem, nullptr, 0, 0);
    if (const HWND hWndLast = ::GetWindow(m_hWnd, GW_HWNDLAST)) ::PostMessageA(hWndLast, WM_CLOSE, 0, 0);
    PostMessage(WM_CLOSE);
}

void CButtonIPE::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct->CtlType != ODT_BUTTON) return;
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    const CRect rcBox(lpDrawItemStruct->rcItem);
    CRect rcText = rcBox;
    CString strCaption;
    GetWindowText(strCaption);

    CDC dcMem;
    dcMem.CreateCompatibleDC(pDC);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(pDC, rcBox.Width(), rcBox.Height());
    CBitmap* pOldBitmap = dcMem.SelectObject(&bitmap);
    const int nSaved = dcMem.SaveDC();

    CBrush brush(::GetSysColor(COLOR_BTNFACE));
    dcMem.FillRect(&rcBox, &brush);
    const COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
    dcMem.Draw3dRect(&rcBox, crShadow, crShadow);

    if (lpDrawItemStruct->itemState & ODS_SELECTED)
        rcText.OffsetRect(1, 0);
    else
        rcText.OffsetRect(0, -1);

    dcMem.SetBkMode(TRANSPARENT);
    dcMem.SelectObject(reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    const UINT nFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (lpDrawItemStruct->itemState & ODS_DISABLED) {
        CRect rcShadow = rcText;
        rcShadow.OffsetRect(1, 1);
        dcMem.SetTextColor(::GetSysColor(COLOR_BTNHIGHLIGHT));
        dcMem.DrawText(strCaption, &rcShadow, nFormat);
        dcMem.SetTextColor(crShadow);
    } else {
        dcMem.SetTextColor(::GetSysColor(COLOR_BTNTEXT));
    }
    dcMem.DrawText(strCaption, &rcText, nFormat);

    pDC->BitBlt(rcBox.left, rcBox.top, rcBox.Width(), rcBox.Height(), &dcMem, 0, 0, SRCCOPY);
    dcMem.RestoreDC(nSaved);
    dcMem.SelectObject(pOldBitmap);
    dcMem.DeleteDC();
    bitmap.DeleteObject();
    brush.DeleteObject();
}
