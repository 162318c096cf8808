// CDateTimeIPE: the date and time picker placed over a grid cell. Like the edit
// editor it owns itself and reports once when it loses the focus, unless the
// focus went into its own drop-down calendar; the report's lParam points at the
// SYSTEMTIME read from the control.
#pragma once
#include "afx.h"

class CDateTimeIPE : public CDateTimeCtrl {
public:
    CDateTimeIPE(int iItem, int iSubItem);

    int m_iItem;
    int m_iSubItem;
    BOOL m_bEscape;

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void PostNcDestroy() override;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg LRESULT OnNcPaint(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDropDown(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnCloseUp(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()
};
