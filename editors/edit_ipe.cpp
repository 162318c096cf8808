#include "edit_ipe.h"

#include "ipe_common.h"

IMPLEMENT_DYNAMIC(CEditIPE, CEdit)

BEGIN_MESSAGE_MAP(CEditIPE, CEdit)
ON_WM_CREATE()
ON_WM_CHAR()
ON_WM_KILLFOCUS()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CEditIPE::CEditIPE(int iItem, int iSubItem) : m_iItem(iItem), m_iSubItem(iSubItem), m_bEscape(FALSE) {}

BOOL CEditIPE::PreTranslateMessage(MSG* pMsg)
{
    if (IpeTranslateEnterEscape(pMsg)) return TRUE;
    return CEdit::PreTranslateMessage(pMsg);
}

void CEditIPE::PostNcDestroy()
{
    CEdit::PostNcDestroy();
    delete this;
}

int CEditIPE::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CEdit::OnCreate(lpCreateStruct) == -1) return -1;
    SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(3, 3));
    IpeTakeParentFont(this);
    return 0;
}

void CEditIPE::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (IpeEndOnEnterEscape(this, nChar, m_bEscape)) return;
    CEdit::OnChar(nChar, nRepCnt, nFlags);
}

void CEditIPE::OnKillFocus(CWnd* pNewWnd)
{
    CEdit::OnKillFocus(pNewWnd);
    // A spin button created right after this text box lies directly below it.
    if (const HWND hWndNext = ::GetWindow(m_hWnd, GW_HWNDNEXT)) ::SendMessageA(hWndNext, WM_CLOSE, 0, 0);

    CString strText;
    GetWindowText(strText);
    LPSTR pszText = m_bEscape ? nullptr : const_cast<LPSTR>(static_cast<LPCSTR>(strText));
    IpeSendEndEdit(this, m_iItem, m_iSubItem, pszText, strText.GetLength(), 0);
    if (const HWND hWndLast = ::GetWindow(m_hWnd, GW_HWNDLAST)) ::PostMessageA(hWndLast, WM_CLOSE, 0, 0);
    PostMessage(WM_CLOSE);
}

void CEditIPE::OnPaint()
{
    Default();
    CRect rect;
    GetWindowRect(&rect);
    rect.OffsetRect(-rect.left, -rect.top);
    CWindowDC dc(this);
    const COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
    dc.Draw3dRect(&rect, crFace, crFace);
    rect.DeflateRect(1, 1);
    dc.Draw3dRect(&rect, crShadow, crShadow);
}

BOOL CEditIPE::OnEraseBkgnd(CDC* /*pDC*/)
{
    return TRUE;
}
