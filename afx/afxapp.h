// The application: CWinThread, CWinApp (one global object per program), the
// program entry (AfxWinMain) and AfxMessageBox.
#pragma once
#include "afxexcept.h"
#include "afxwnd.h"

// The framework's help command.
#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();

    CWnd* m_pMainWnd;  // the main window; message boxes and dialogs without a parent belong to it
    DWORD m_nThreadID;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop of a program whose InitInstance returned TRUE.
    virtual int Run();
    // Routes a message of the loop through the windows' PreTranslateMessage.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Reports an exception that escaped a message handler (a message box); the
    // result is what the window procedure returns for the message.
    virtual LRESULT ProcessWndProcException(CException* e, const MSG* pMsg);
    virtual CWnd* GetMainWnd() { return m_pMainWnd; }
};

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    // Registers the object as the program's application; the name defaults to the
    // program file's name without extension.
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    LPCSTR m_pszAppName;
    HINSTANCE m_hInstance;
    LPSTR m_lpCmdLine;
    int m_nCmdShow;

    // Message boxes of the program go through here (AfxMessageBox); a program or a
    // test may show them differently. Default: MessageBox owned by the active
    // window of the program, titled with the application name.
    virtual int DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT nIDPrompt);

    // Three-dimensional control drawing is what the platform does anyway.
    BOOL Enable3dControls() { return TRUE; }

    afx_msg void OnHelp();

    DECLARE_MESSAGE_MAP()

private:
    char m_szAppName[MAX_PATH];
};

CWinApp* AfxGetApp();
// The thread object of the calling thread: the application on the thread that
// made it, NULL on threads without one.
CWinThread* AfxGetThread();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// Where dialog templates, icons and strings are loaded from.
HINSTANCE AfxGetResourceHandle();
// Registers the common controls and records the program's instance handle.
BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// The program's body: AfxWinInit, InitInstance, then Run or ExitInstance.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// Hosting of ActiveX controls is not supported; kept as the start-up step it is.
inline void AfxEnableControlContainer() {}

int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = UINT(-1));
