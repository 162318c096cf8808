// CDialog (modal and modeless dialogs from templates) and dialog data exchange.
#pragma once
#include "afxwnd.h"

// Carries the direction of an exchange to DoDataExchange and its DDX_ calls.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;  // TRUE: controls -> members; FALSE: members -> controls
    CWnd* m_pDlgWnd;
    // The control's window; throws (CException) when the dialog has no such control.
    HWND PrepareCtrl(int nIDC);
};

// Binds a control member to the dialog's control nIDC (subclasses it) the first time.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);

    // Shows the dialog modelessly; it lives until DestroyWindow.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // Creates the dialog, runs its modal loop until EndDialog, destroys the window
    // and gives the EndDialog value (-1 when the dialog could not be created). The
    // owner is the given parent, else the main window; it is disabled meanwhile.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // Keyboard and mouse messages of the dialog and its controls go to the dialog
    // manager (IsDialogMessage): Tab, arrows, Enter -> default button, Esc -> IDCANCEL.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Commands the dialog does not handle go on to the application.
    BOOL OnCmdMsg(UINT nID, int nCode, WPARAM wParam, LPARAM lParam) override;


protected:
    LPCSTR m_lpszTemplateName;
    CWnd* m_pParentWnd;
    int m_nModalResult;
    BOOL m_bContinueModal;

    // Pumps messages until EndDialog (or until the window is gone).
    int RunModalLoop();
    void EndModalLoop(int nResult);
    HWND CreateFromTemplate(HWND hWndParent);

    DECLARE_MESSAGE_MAP()
};
