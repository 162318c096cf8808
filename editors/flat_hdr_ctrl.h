// CFlatHdrCtrl: takes over the grid's header window. Flat captions with hot
// tracking, a press tracked by the header itself and reported to the grid as the
// list's own LVN_COLUMNCLICK, a tool tip with the caption of an item too narrow
// for it, and owner-drawn items in flat colours (dark face while pressed).
#pragma once
#include "afx.h"

class CFlatHdrCtrl : public CHeaderCtrl {
    DECLARE_DYNAMIC(CFlatHdrCtrl)
public:
    CFlatHdrCtrl();
    ~CFlatHdrCtrl() override;

    COLORREF m_crNormalText;  // COLOR_BTNTEXT, read once
    COLORREF m_crNormalBk;    // COLOR_BTNFACE
    COLORREF m_crPressedText; // COLOR_CAPTIONTEXT
    COLORREF m_crPressedBk;   // RGB(60, 60, 60)
    CToolTipCtrl m_wndToolTip;

    // Subclasses the header window, makes it flat (no HDS_BUTTONS, HDS_FULLDRAG;
    // HDS_HOTTRACK), creates the header's own tool tip with the whole header as
    // a tool and enables the framework's tool tips. The subclassing's result.
    BOOL SubclassHeader(HWND hWndHeader);

    // The item under the point when it is on the item itself (HHT_ONHEADER), else -1.
    int HitTestItem(CPoint point) const;
    // The pressed flag, kept in the item's lParam.
    BOOL IsItemPressed(int nIndex) const;
    // A negative index sets every item.
    void SetItemPressed(int nIndex, BOOL bPressed);
    // Redraws the item's rectangle at once; other indexes do nothing.
    void RedrawItem(int nIndex);

    INT_PTR OnToolHitTest(CPoint point, TOOLINFO* pTI) const override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Items with HDF_OWNERDRAW (WM_DRAWITEM reflected from the list).
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

    // The three caption buffers shared by all header objects: drawing, tool hit
    // test, tool-tip text. Captions are read with a limit of 511 characters.
    enum { kCaptionBuffer = 512 };
    static char s_szDrawText[kCaptionBuffer];
    static char s_szHitText[kCaptionBuffer];
    static char s_szTipText[kCaptionBuffer];

protected:
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    // Clears the buffer and reads the item's caption (and the fields of nMask) into it.
    BOOL ReadCaption(int nIndex, UINT nMask, char* pszBuffer, HDITEMA& item) const;
    // WM_NOTIFY LVN_COLUMNCLICK for the item to the parent of the list, from the list.
    void SendColumnClick(int nIndex);
};
