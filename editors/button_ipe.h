// CButtonIPE: a small flat owner-drawn push button at the right end of a grid
// cell. A click, Enter, Escape or any loss of the focus ends it; its report to the
// grid carries no text. It owns itself.
#pragma once
#include "afx.h"

class CButtonIPE : public CButton {
    DECLARE_DYNAMIC(CButtonIPE)
public:
    CButtonIPE(int iItem, int iSubItem);

    int m_iItem;
    int m_iSubItem;

    BOOL PreTranslateMessage(MSG* pMsg) override;
    // The owner drawing (WM_DRAWITEM reflected from the grid).
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

protected:
    void PostNcDestroy() override;
    // After the base: a click (BN_CLICKED) gives the focus to the grid.
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    DECLARE_MESSAGE_MAP()
};
