// The flat header: subclassing, pressed items, column clicks and tool tips.
#include "flat_hdr_ctrl.h"

#include <cstring>
#include <uxtheme.h>

IMPLEMENT_DYNAMIC(CFlatHdrCtrl, CHeaderCtrl)

BEGIN_MESSAGE_MAP(CFlatHdrCtrl, CHeaderCtrl)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_DRAWITEM_REFLECT()
END_MESSAGE_MAP()

char CFlatHdrCtrl::s_szDrawText[CFlatHdrCtrl::kCaptionBuffer];
char CFlatHdrCtrl::s_szHitText[CFlatHdrCtrl::kCaptionBuffer];
char CFlatHdrCtrl::s_szTipText[CFlatHdrCtrl::kCaptionBuffer];

CFlatHdrCtrl::CFlatHdrCtrl()
    : m_crNormalText(::GetSysColor(COLOR_BTNTEXT)),
      m_crNormalBk(::GetSysColor(COLOR_BTNFACE)),
      m_crPressedText(::GetSysColor(COLOR_CAPTIONTEXT)),
      m_crPressedBk(RGB(60, 60, 60))
{
}

CFlatHdrCtrl::~CFlatHdrCtrl()
{
    m_wndToolTip.DestroyWindow();
}

BOOL CFlatHdrCtrl::SubclassHeader(HWND hWndHeader)
{
    const BOOL bResult = SubclassWindow(hWndHeader);
    ModifyStyle(HDS_BUTTONS | HDS_FULLDRAG, HDS_HOTTRACK, 0);
    // Flat captions: under a visual style the platform draws styled items
    // whatever the header's style, so the header is given none. (An empty
    // name is the usual way; Wine takes only a name no style carries.)
    if (FAILED(::SetWindowTheme(m_hWnd, L"", L""))) ::SetWindowTheme(m_hWnd, L" ", L" ");
    m_wndToolTip.Create(this, 0);
    m_wndToolTip.AddTool(this, LPSTR_TEXTCALLBACKA);
    EnableToolTips(TRUE);
    return bResult;
}

int CFlatHdrCtrl::HitTestItem(CPoint point) const
{
    HDHITTESTINFO hit = {};
    hit.pt = point;
    const int nItem = static_cast<int>(SendMessage(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return hit.flags == HHT_ONHEADER ? nItem : -1;
}

BOOL CFlatHdrCtrl::IsItemPressed(int nIndex) const
{
    HDITEMA item = {};
    item.mask = HDI_LPARAM;
    GetItem(nIndex, &item);
    return item.lParam != 0;
}

void CFlatHdrCtrl::SetItemPressed(int nIndex, BOOL bPressed)
{
    HDITEMA item = {};
    item.mask = HDI_LPARAM;
    item.lParam = bPressed ? 1 : 0;
    if (nIndex >= 0) {
        SetItem(nIndex, &item);
        return;
    }
    const int nCount = GetItemCount();
    for (int i = 0; i < nCount; ++i) SetItem(i, &item);
}

void CFlatHdrCtrl::RedrawItem(int nIndex)
{
    if (nIndex < 0 || nIndex >= GetItemCount()) return;
    CRect rect;
    GetItemRect(nIndex, &rect);
    RedrawWindow(&rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CFlatHdrCtrl::SendColumnClick(int nIndex)
{
    const HWND hWndList = ::GetParent(m_hWnd);
    const int nID = GetDlgCtrlID();
    NMLISTVIEW notify = {};
    notify.hdr.hwndFrom = hWndList;
    notify.hdr.idFrom = static_cast<UINT_PTR>(nID);
    notify.hdr.code = LVN_COLUMNCLICK;
    notify.iItem = 0;
    notify.iSubItem = nIndex;
    ::SendMessageA(::GetParent(hWndList), WM_NOTIFY, static_cast<WPARAM>(nID), reinterpret_cast<LPARAM>(&notify));
}

void CFlatHdrCtrl::OnLButtonDown(UINT nFlags, CPoint point)
{
    const int nItem = HitTestItem(point);
    if (nItem >= 0 && nItem < GetItemCount()) {
        SetItemPressed(nItem, TRUE);
        RedrawItem(nItem);
    }
    CHeaderCtrl::OnLButtonDown(nFlags, point);
}

void CFlatHdrCtrl::OnLButtonUp(UINT nFlags, CPoint point)
{
    // Every pressed item is reported, wherever the button is released.
    const int nCount = GetItemCount();
    for (int i = 0; i < nCount; ++i) {
        if (IsItemPressed(i)) {
            SetItemPressed(i, FALSE);
            RedrawItem(i);
            SendColumnClick(i);
        }
    }
    CHeaderCtrl::OnLButtonUp(nFlags, point);
}

BOOL CFlatHdrCtrl::PreTranslateMessage(MSG* pMsg)
{
    if (m_wndToolTip.m_hWnd != nullptr) m_wndToolTip.RelayEvent(pMsg);
    return CHeaderCtrl::PreTranslateMessage(pMsg);
}

BOOL CFlatHdrCtrl::ReadCaption(int nIndex, UINT nMask, char* pszBuffer, HDITEMA& item) const
{
    std::memset(pszBuffer, 0, kCaptionBuffer);
    item = {};
    item.mask = nMask;
    item.pszText = pszBuffer;
    item.cchTextMax = kCaptionBuffer - 1;
    return GetItem(nIndex, &item);
}

INT_PTR CFlatHdrCtrl::OnToolHitTest(CPoint point, TOOLINFO* pTI) const
{
    const int nItem = HitTestItem(point);
    if (nItem < 0 || nItem >= GetItemCount()) return -1;

    HDITEMA item;
    ReadCaption(nItem, HDI_WIDTH | HDI_TEXT, s_szHitText, item);
    // Measured on the window's context as obtained: no font selected into it.
    const HDC hDC = ::GetDC(m_hWnd);
    SIZE size = {};
    ::GetTextExtentPoint32A(hDC, s_szHitText, static_cast<int>(std::strlen(s_szHitText)), &size);
    CRect rect;
    GetItemRect(nItem, &rect);
    INT_PTR nHit = -1;
    if (rect.right - rect.left < size.cx) {
        pTI->hwnd = m_hWnd;
        pTI->uId = static_cast<UINT_PTR>(nItem);
        pTI->rect = rect;
        pTI->lpszText = LPSTR_TEXTCALLBACKA;
        nHit = 1;
    }
    ::ReleaseDC(m_hWnd, hDC);
    return nHit;
}

BOOL CFlatHdrCtrl::OnNotify(WPARAM /*wParam*/, LPARAM lParam, LRESULT* pResult)
{
    *pResult = 0;
    const NMHDR* pHdr = reinterpret_cast<const NMHDR*>(lParam);
    if (pHdr == nullptr) return FALSE;
    if (pHdr->code != TTN_NEEDTEXTA && pHdr->code != TTN_NEEDTEXTW) return FALSE;

    HDITEMA item;
    ReadCaption(static_cast<int>(pHdr->idFrom), HDI_WIDTH | HDI_TEXT, s_szTipText, item);
    if (pHdr->code == TTN_NEEDTEXTA) {
        auto* pInfo = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        ::lstrcpynA(pInfo->szText, s_szTipText, 80);
    } else {
        auto* pInfo = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        // At most 80 wide characters with the terminator: a longer caption is
        // converted from its first 79 characters.
        if (::MultiByteToWideChar(CP_ACP, 0, s_szTipText, -1, pInfo->szText, 80) == 0) {
            const int n = ::MultiByteToWideChar(CP_ACP, 0, s_szTipText, 79, pInfo->szText, 79);
            pInfo->szText[n > 0 ? n : 0] = 0;
        }
    }
    return TRUE;
}
