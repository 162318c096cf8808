// List notifications about labels, column clicks and text requests.
#include "grid_list_ctrl.h"

void CDLGridListCtrl::OnColumnClickNotify(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const NMLISTVIEW* pNotify = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    if (pNotify != nullptr) OnColumnClick(pNotify->iSubItem);
}

void CDLGridListCtrl::OnBeginLabelEditNotify(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    // The list's own label editing never starts; editing goes through EditCell.
    *pResult = 1;
}

void CDLGridListCtrl::OnEndLabelEditNotify(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const NMLVDISPINFO* pInfo = reinterpret_cast<const NMLVDISPINFO*>(pNMHDR);
    if (pInfo != nullptr) OnEndEdit(pInfo->item.iItem, pInfo->item.iSubItem, pInfo->item.pszText);
}

void CDLGridListCtrl::OnGetDispInfoNotify(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    NMLVDISPINFO* pInfo = reinterpret_cast<NMLVDISPINFO*>(pNMHDR);
    if (pInfo == nullptr || !(pInfo->item.mask & LVIF_TEXT) || !(m_dwGridStyle & GLS_TEXTCALLBACK)) return;
    // Answers rotate through three buffers, so each stays valid until three
    // further answers have been given.
    static CString s_strAnswers[3];
    static int s_nAnswer = 0;
    // A row whose text is itself a callback would make GetCellText ask the
    // list, and the list ask us, without end: a nested request gets "".
    static int s_nDepth = 0;
    CString strText;
    if (s_nDepth == 0) {
        ++s_nDepth;
        GetCellText(pInfo->item.iItem, pInfo->item.iSubItem, strText);
        --s_nDepth;
    }
    s_nAnswer = (s_nAnswer + 1) % 3;
    s_strAnswers[s_nAnswer] = strText;
    pInfo->item.pszText = const_cast<LPTSTR>(static_cast<LPCTSTR>(s_strAnswers[s_nAnswer]));
}
