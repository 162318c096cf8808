// CSpinnerIPE: the narrow spin button at the right of a spinner editor's text box
// (a CEditIPE). It has no key, focus or close handling of its own: the text box
// closes it when it loses the focus, and it deletes itself with its window.
#pragma once
#include "afx.h"

class CSpinnerIPE : public CSpinButtonCtrl {
    DECLARE_DYNAMIC(CSpinnerIPE)
public:
    CSpinnerIPE() = default;

protected:
    void PostNcDestroy() override;

    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};
