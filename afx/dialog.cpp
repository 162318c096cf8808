#include "afxdlg.h"
#include "afxapp.h"
#include "afxstate.h"
#include "afxtooltip.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

// ---- dialog data exchange -------------------------------------------------------

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND hWnd = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (!hWnd) throw new CException;
    return hWnd;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd) return;
    if (!rControl.SubclassWindow(pDX->PrepareCtrl(nIDC))) throw new CException;
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

// ---- creation ------------------------------------------------------------------------

namespace {
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* pDlg = DYNAMIC_DOWNCAST(CDialog, CWnd::FromHandlePermanent(hWnd));
    if (!pDlg) return TRUE;
    // OnInitDialog runs below the dialog manager's frames: nothing may unwind through them.
    MSG msg = {hWnd, message, 0, 0, 0, {0, 0}};
    try {
        return pDlg->OnInitDialog();
    } catch (CException* e) {
        if (CWinThread* thread = AfxGetThread()) thread->ProcessWndProcException(e, &msg);
        e->Delete();
    } catch (...) {
        CException e(FALSE);
        if (CWinThread* thread = AfxGetThread()) thread->ProcessWndProcException(&e, &msg);
    }
    return TRUE;
}

// The window a modal dialog belongs to: the top-level window of the parent (or of
// the main window) in its currently active pop-up.
HWND ModalOwner(CWnd* pParent, HWND hWndSelf)
{
    CWnd* pWnd = pParent ? pParent : AfxGetMainWnd();
    HWND h = AfxSafeHwnd(pWnd);
    if (!h || h == hWndSelf || !::IsWindow(h)) return nullptr;
    while ((::GetWindowLongA(h, GWL_STYLE) & WS_CHILD) && ::GetParent(h)) h = ::GetParent(h);
    return ::GetLastActivePopup(h);
}
} // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() : m_lpszTemplateName(nullptr), m_pParentWnd(nullptr), m_nModalResult(-1), m_bContinueModal(FALSE) {}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEA(nIDTemplate)), m_pParentWnd(pParentWnd), m_nModalResult(-1),
      m_bContinueModal(FALSE)
{
}

CDialog::CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd), m_nModalResult(-1), m_bContinueModal(FALSE)
{
}

HWND CDialog::CreateFromTemplate(HWND hWndParent)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRes = ::FindResourceA(hInst, m_lpszTemplateName, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL hTemplate = hRes ? ::LoadResource(hInst, hRes) : nullptr;
    auto* pTemplate = static_cast<LPCDLGTEMPLATEA>(hTemplate ? ::LockResource(hTemplate) : nullptr);
    if (!pTemplate) return nullptr;
    HWND hWndAttached = nullptr;
    AfxHookWindowCreate(this, &hWndAttached);
    HWND hWnd = ::CreateDialogIndirectParamA(hInst, pTemplate, hWndParent, &AfxDlgProc, 0);
    const BOOL bHookSawWindow = AfxUnhookWindowCreate();
    // A dialog that deletes itself may be gone after a failure.
    if (!hWnd) AfxEndFailedCreate(this, bHookSawWindow, hWndAttached);
    return hWnd;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_lpszTemplateName = MAKEINTRESOURCEA(nIDTemplate);
    m_pParentWnd = pParentWnd;
    return CreateFromTemplate(AfxSafeHwnd(pParentWnd)) != nullptr;
}

INT_PTR CDialog::DoModal()
{
    HWND hWndOwner = ModalOwner(m_pParentWnd, m_hWnd);
    bool enableOwner = false;
    if (hWndOwner && ::IsWindowEnabled(hWndOwner)) {
        ::EnableWindow(hWndOwner, FALSE);
        enableOwner = true;
    }

    m_nModalResult = -1;
    m_bContinueModal = TRUE;
    if (CreateFromTemplate(hWndOwner) && m_bContinueModal) RunModalLoop();
    m_bContinueModal = FALSE;

    // Hide before the owner comes back, so that the focus returns to it directly.
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (enableOwner) ::EnableWindow(hWndOwner, TRUE);
    if (hWndOwner && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(hWndOwner);
    DestroyWindow();
    return m_nModalResult;
}

int CDialog::RunModalLoop()
{
    AFX_THREAD_STATE* state = AfxGetThreadState();
    ++state->m_nModalLoops;
    HWND hWnd = m_hWnd;
    bool shown = (::GetWindowLongA(hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
    MSG msg;
    while (m_bContinueModal && ::IsWindow(hWnd)) {
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            // A dialog whose template does not make it visible shows once it is
            // set up and everything queued for it has been handled.
            if (!shown) {
                ::ShowWindow(hWnd, SW_SHOWNORMAL);
                ::UpdateWindow(hWnd);
                shown = true;
            }
            // Temporary objects are released only by the outermost loop, while no
            // handler below it can still hold one.
            if (state->m_nModalLoops == 1) AfxDeleteTempMaps();
        }
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        AfxRelayToolTipMessage(&msg);
        if (!CWnd::WalkPreTranslateTree(hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    --state->m_nModalLoops;
    return m_nModalResult;
}

void CDialog::EndModalLoop(int nResult)
{
    m_nModalResult = nResult;
    if (m_bContinueModal) {
        m_bContinueModal = FALSE;
        PostMessage(WM_NULL);
    }
}

void CDialog::EndDialog(int nResult)
{
    if (m_bContinueModal) EndModalLoop(nResult);
    else {
        m_nModalResult = nResult;
        ::EndDialog(m_hWnd, nResult);
    }
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg)) return TRUE;
    // A multi-line edit keeps Esc for itself; the dialog still closes on it, as it
    // does from any other control, unless its Cancel button is disabled.
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE && ::IsChild(m_hWnd, pMsg->hwnd) &&
        (::GetWindowLongA(pMsg->hwnd, GWL_STYLE) & ES_MULTILINE)) {
        char cls[16] = "";
        ::GetClassNameA(pMsg->hwnd, cls, sizeof cls);
        HWND hCancel = ::GetDlgItem(m_hWnd, IDCANCEL);
        if (lstrcmpiA(cls, "Edit") == 0 && (!hCancel || ::IsWindowEnabled(hCancel))) {
            SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(hCancel));
            return TRUE;
        }
    }
    bool input = (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
                 (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST);
    return input && ::IsDialogMessageA(m_hWnd, pMsg);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCmdMsg(nID, nCode, wParam, lParam)) return TRUE;
    // Only application commands (menu-style ids) travel on to the application.
    if (nCode != 0 || nID < 0x8000 || nID >= 0xF000) return FALSE;
    CWinThread* thread = AfxGetThread();
    return thread && thread->OnCmdMsg(nID, nCode, wParam, lParam);
}
