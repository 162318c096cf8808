// CComboBoxIPE: the combo box placed over a grid cell. The caller fills it; every
// added string may widen the dropped list; it paints flat and off-screen, and it
// reports the chosen or typed text, with the selected index in lParam, once it
// loses the focus.
#pragma once
#include "afx.h"

class CComboBoxIPE : public CComboBox {
    DECLARE_DYNAMIC(CComboBoxIPE)
public:
    CComboBoxIPE(int iItem, int iSubItem);

    int m_iItem;
    int m_iSubItem;
    BOOL m_bEscape;

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void PostNcDestroy() override;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg LRESULT OnAddString(WPARAM wParam, LPARAM lParam);
    afx_msg void OnCloseUp();
    afx_msg void OnKillFocus();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};
