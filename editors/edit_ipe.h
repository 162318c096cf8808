// CEditIPE: the single-line edit box placed over a grid cell (also the text box
// of the spinner editor). It owns itself, ends on Enter, Escape or any loss of
// the focus, and reports once to the grid with LVN_ENDLABELEDIT.
#pragma once
#include "afx.h"

class CEditIPE : public CEdit {
    DECLARE_DYNAMIC(CEditIPE)
public:
    CEditIPE(int iItem, int iSubItem);

    int m_iItem;     // row of the edited cell
    int m_iSubItem;  // column of the edited cell
    BOOL m_bEscape;  // the user cancelled with Escape

    // Enter and Escape go straight to the editor, never to the dialog.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void PostNcDestroy() override;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};
