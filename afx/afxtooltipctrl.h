// CToolTipCtrl: a tool-tip control of a window's own (the framework's shared one
// is in afxtooltip.h).
#pragma once
#include "afxwnd.h"

class CToolTipCtrl : public CWnd {
    DECLARE_DYNAMIC(CToolTipCtrl)
public:
    // A pop-up tool-tip window owned by pParentWnd, with the extra TTS_ style.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    // Registers a tool of pWnd. Without rectangle and with tool id 0 the tool is
    // the whole window: TTF_IDISHWND, id = the window, hwnd = its parent.
    BOOL AddTool(CWnd* pWnd, LPCSTR lpszText = LPSTR_TEXTCALLBACKA, LPCRECT lpRectTool = nullptr,
                 UINT_PTR nIDTool = 0);
    // TTM_RELAYEVENT: lets the control see a message of a tool's window.
    void RelayEvent(LPMSG lpMsg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(lpMsg)); }
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    // The i-th tool's information (text not read); FALSE when there is none.
    BOOL EnumTool(int nIndex, TOOLINFOA* pInfo) const;
};
