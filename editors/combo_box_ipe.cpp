#include "combo_box_ipe.h"

#include <cstring>

#include "afxgdi.h"
#include "ipe_common.h"

IMPLEMENT_DYNAMIC(CComboBoxIPE, CComboBox)

BEGIN_MESSAGE_MAP(CComboBoxIPE, CComboBox)
ON_WM_CREATE()
ON_MESSAGE(CB_ADDSTRING, OnAddString)
ON_MESSAGE(CB_INSERTSTRING, OnAddString)
ON_CONTROL_REFLECT(CBN_CLOSEUP, OnCloseUp)
ON_CONTROL_REFLECT(CBN_KILLFOCUS, OnKillFocus)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CComboBoxIPE::CComboBoxIPE(int iItem, int iSubItem) : m_iItem(iItem), m_iSubItem(iSubItem), m_bEscape(FALSE) {}

void CComboBoxIPE::PostNcDestroy()
{
    CComboBox::PostNcDestroy();
    delete this;
}

int CComboBoxIPE::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CComboBox::OnCreate(lpCreateStruct) == -1) return -1;
    IpeTakeParentFont(this);
    return 0;
}

LRESULT CComboBoxIPE::OnAddString(WPARAM /*wParam*/, LPARAM lParam)
{
    const LRESULT lResult = Default();
    // The combo box drops WS_HSCROLL from its own style at creation, so the
    // widening normally goes on.
    if (GetStyle() & WS_HSCROLL) return lResult;

    int nWidth = GetDroppedWidth();
    const HDC hDC = ::GetDC(m_hWnd);
    const LPCSTR pszString = reinterpret_cast<LPCSTR>(lParam);
    SIZE size = {};
    if (pszString != nullptr)
        ::GetTextExtentPoint32A(hDC, pszString, static_cast<int>(std::strlen(pszString)), &size);
    if (size.cx > nWidth) nWidth = size.cx;
    CRect rcClient;
    GetClientRect(&rcClient);
    if (nWidth > rcClient.right - rcClient.left + 1) SetDroppedWidth(static_cast<UINT>(nWidth));
    ::ReleaseDC(m_hWnd, hDC);
    return lResult;
}

BOOL CComboBoxIPE::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN) {
        if (pMsg->wParam == VK_ESCAPE) m_bEscape = TRUE;
        if (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE) {
            GetParent()->SetFocus();
            return TRUE;
        }
    }
    return CComboBox::PreTranslateMessage(pMsg);
}

void CComboBoxIPE::OnCloseUp()
{
    GetParent()->SetFocus();
}

void CComboBoxIPE::OnKillFocus()
{
    const int nSel = GetCurSel();
    CString strText;
    // A drop-down combo with nothing chosen reports what is typed (empty for a
    // drop-down list); a simple combo with nothing chosen reports the empty text.
    if (nSel == -1) {
        if (GetStyle() & 0x0002) GetWindowText(strText);
    } else {
        GetLBText(nSel, strText);
    }
    LPSTR pszText = m_bEscape ? nullptr : const_cast<LPSTR>(static_cast<LPCSTR>(strText));
    IpeSendEndEdit(this, m_iItem, m_iSubItem, pszText, strText.GetLength(), nSel);
    PostMessage(WM_CLOSE);
}

void CComboBoxIPE::OnPaint()
{
    CPaintDC dc(this);
    CRect rect;
    GetClientRect(&rect);
    CDC dcMem;
    dcMem.CreateCompatibleDC(&dc);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&dc, rect.Width(), rect.Height());
    CBitmap* pOldBitmap = dcMem.SelectObject(&bitmap);

    // The control paints itself into the memory context.
    DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(dcMem.m_hDC), 0);

    const COLORREF crHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
    CRect rcFrame = rect;
    dcMem.Draw3dRect(&rcFrame, crHighlight, crHighlight);
    rcFrame.DeflateRect(1, 1);
    dcMem.Draw3dRect(&rcFrame, crShadow, crShadow);
    rcFrame.DeflateRect(1, 1);
    rcFrame.left = rcFrame.right - ::GetSystemMetrics(SM_CXHTHUMB);
    dcMem.Draw3dRect(&rcFrame, crHighlight, crHighlight);
    rcFrame.DeflateRect(1, 1);
    dcMem.Draw3dRect(&rcFrame, crShadow, crShadow);

    dc.BitBlt(rect.left, rect.top, rect.Width(), rect.Height(), &dcMem, rect.left, rect.top, SRCCOPY);
    dcMem.SelectObject(pOldBitmap);
    bitmap.DeleteObject();
    dcMem.DeleteDC();
}

BOOL CComboBoxIPE::OnEraseBkgnd(CDC* /*pDC*/)
{
    return TRUE;
}
