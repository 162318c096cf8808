#include "ipe_common.h"

void IpeSendEndEdit(CWnd* pEditor, int iItem, int iSubItem, LPSTR pszText, int cchText, LPARAM lParam)
{
    const HWND hWndParent = ::GetParent(pEditor->m_hWnd);
    const int nID = pEditor->GetDlgCtrlID();
    NMLVDISPINFOA info = {};
    info.hdr.hwndFrom = hWndParent;
    info.hdr.idFrom = static_cast<UINT_PTR>(nID);
    info.hdr.code = LVN_ENDLABELEDITA;
    info.item.mask = LVIF_TEXT | LVIF_PARAM;
    info.item.iItem = iItem;
    info.item.iSubItem = iSubItem;
    info.item.pszText = pszText;
    info.item.cchTextMax = cchText;
    info.item.lParam = lParam;
    ::SendMessageA(hWndParent, WM_NOTIFY, static_cast<WPARAM>(nID), reinterpret_cast<LPARAM>(&info));
}

void IpeTakeParentFont(CWnd* pEditor)
{
    const HWND hWndParent = ::GetParent(pEditor->m_hWnd);
    const HFONT hFont =
        hWndParent != nullptr ? reinterpret_cast<HFONT>(::SendMessageA(hWndParent, WM_GETFONT, 0, 0)) : nullptr;
    pEditor->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
}

BOOL IpeTranslateEnterEscape(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE)) {
        ::TranslateMessage(pMsg);
        ::DispatchMessageA(pMsg);
        return TRUE;
    }
    return FALSE;
}

BOOL IpeEndOnEnterEscape(CWnd* pEditor, UINT nChar, BOOL& bEscape)
{
    if (nChar != VK_ESCAPE && nChar != VK_RETURN) return FALSE;
    if (nChar == VK_ESCAPE) bEscape = TRUE;
    pEditor->GetParent()->SetFocus();
    return TRUE;
}
