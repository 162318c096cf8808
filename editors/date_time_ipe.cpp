#include "date_time_ipe.h"

#include "ipe_common.h"

BEGIN_MESSAGE_MAP(CDateTimeIPE, CDateTimeCtrl)
ON_WM_CREATE()
ON_WM_CHAR()
ON_WM_KILLFOCUS()
ON_MESSAGE(WM_NCPAINT, OnNcPaint)
ON_NOTIFY_REFLECT(DTN_DROPDOWN, OnDropDown)
ON_NOTIFY_REFLECT(DTN_CLOSEUP, OnCloseUp)
END_MESSAGE_MAP()

CDateTimeIPE::CDateTimeIPE(int iItem, int iSubItem) : m_iItem(iItem), m_iSubItem(iSubItem), m_bEscape(FALSE) {}

BOOL CDateTimeIPE::PreTranslateMessage(MSG* pMsg)
{
    if (IpeTranslateEnterEscape(pMsg)) return TRUE;
    return CDateTimeCtrl::PreTranslateMessage(pMsg);
}

void CDateTimeIPE::PostNcDestroy()
{
    CDateTimeCtrl::PostNcDestroy();
    delete this;
}

int CDateTimeIPE::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CDateTimeCtrl::OnCreate(lpCreateStruct) == -1) return -1;
    IpeTakeParentFont(this);
    return 0;
}

void CDateTimeIPE::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (IpeEndOnEnterEscape(this, nChar, m_bEscape)) return;
    CDateTimeCtrl::OnChar(nChar, nRepCnt, nFlags);
}

void CDateTimeIPE::OnKillFocus(CWnd* pNewWnd)
{
    CDateTimeCtrl::OnKillFocus(pNewWnd);
    // The focus went into the drop-down calendar: the edit goes on there.
    if (GetMonthCalHwnd() == ::GetFocus()) return;

    SYSTEMTIME st = {};
    SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
    CString strText;
    GetWindowText(strText);
    LPSTR pszText = m_bEscape ? nullptr : const_cast<LPSTR>(static_cast<LPCSTR>(strText));
    IpeSendEndEdit(this, m_iItem, m_iSubItem, pszText, strText.GetLength(), reinterpret_cast<LPARAM>(&st));
    PostMessage(WM_CLOSE);
}

LRESULT CDateTimeIPE::OnNcPaint(WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    // The control's border is never painted.
    return 0;
}

void CDateTimeIPE::OnDropDown(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    Invalidate(TRUE);
    *pResult = 0;
}

void CDateTimeIPE::OnCloseUp(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    // Closing the calendar, with a choice or by Escape, ends the edit.
    SetFocus();
    GetParent()->SetFocus();
    *pResult = 0;
}
