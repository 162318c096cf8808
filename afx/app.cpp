#include "afxapp.h"
#include "afxstate.h"
#include "afxtooltip.h"
#include <cstring>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)
IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

namespace {
CWinApp* g_pApp = nullptr;
HINSTANCE g_hInstance = nullptr;
} // namespace

CWinThread::CWinThread() : m_pMainWnd(nullptr), m_nThreadID(::GetCurrentThreadId()) {}

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::ExitInstance() { return 0; }

BOOL CWinThread::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_MOUSELAST) return FALSE;
    return CWnd::WalkPreTranslateTree(nullptr, pMsg);
}

int CWinThread::Run()
{
    MSG msg;
    for (;;) {
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) AfxDeleteTempMaps();
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        AfxRelayToolTipMessage(&msg);
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return ExitInstance();
}

LRESULT CWinThread::ProcessWndProcException(CException* e, const MSG* pMsg)
{
    if (pMsg->message == WM_PAINT) ::ValidateRect(pMsg->hwnd, nullptr);
    e->ReportError(MB_ICONEXCLAMATION);
    return pMsg->message == WM_CREATE ? -1 : 0;
}

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR lpszAppName)
    : m_pszAppName(nullptr), m_hInstance(nullptr), m_lpCmdLine(nullptr), m_nCmdShow(SW_SHOWNORMAL),
      m_szAppName()
{
    g_pApp = this;
    AfxGetThreadState()->m_pCurrentWinThread = this;
    if (lpszAppName) {
        lstrcpynA(m_szAppName, lpszAppName, MAX_PATH);
    } else {
        char path[MAX_PATH] = "";
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        const char* name = path;
        for (const char* p = path; *p; ++p)
            if (*p == '\\' || *p == '/') name = p + 1;
        lstrcpynA(m_szAppName, name, MAX_PATH);
        if (char* dot = strrchr(m_szAppName, '.')) *dot = '\0';
    }
    m_pszAppName = m_szAppName;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this) g_pApp = nullptr;
    if (AfxGetThreadState()->m_pCurrentWinThread == this) AfxGetThreadState()->m_pCurrentWinThread = nullptr;
}

int CWinApp::DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT)
{
    HWND hOwner = ::GetActiveWindow();
    if (!hOwner && m_pMainWnd) hOwner = m_pMainWnd->m_hWnd;
    if (hOwner) hOwner = ::GetLastActivePopup(hOwner);
    return ::MessageBoxA(hOwner, lpszPrompt, m_pszAppName, nType);
}

void CWinApp::OnHelp()
{
    // The program ships no help file: the command is accepted and nothing opens.
}

CWinApp* AfxGetApp() { return g_pApp; }

CWinThread* AfxGetThread() { return AfxGetThreadState()->m_pCurrentWinThread; }

CWnd* AfxGetMainWnd()
{
    CWinThread* thread = AfxGetThread();
    return thread ? thread->GetMainWnd() : nullptr;
}

HINSTANCE AfxGetInstanceHandle() { return g_hInstance ? g_hInstance : ::GetModuleHandleA(nullptr); }

HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    g_hInstance = hInstance;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    if (CWinApp* app = AfxGetApp()) {
        app->m_hInstance = hInstance;
        app->m_lpCmdLine = lpCmdLine;
        app->m_nCmdShow = nCmdShow;
    }
    return TRUE;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    if (!AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow)) return -1;
    CWinThread* thread = AfxGetThread();
    if (!thread) return -1;
    if (!thread->InitInstance()) return thread->ExitInstance();
    return thread->Run();
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT nIDHelp)
{
    if (CWinApp* app = AfxGetApp()) return app->DoMessageBox(lpszText, nType, nIDHelp);
    return ::MessageBoxA(::GetActiveWindow(), lpszText, nullptr, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString text;
    text.LoadString(nIDPrompt);
    if (nIDHelp == UINT(-1)) nIDHelp = nIDPrompt;
    if (CWinApp* app = AfxGetApp()) return app->DoMessageBox(text, nType, nIDHelp);
    return ::MessageBoxA(::GetActiveWindow(), text, nullptr, nType);
}
