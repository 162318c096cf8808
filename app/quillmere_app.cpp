#include "quillmere_app.h"
#include "quillmere_dlg.h"

BEGIN_MESSAGE_MAP(CQuillmereApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

// The one application object, made before the program's entry point runs.
CQuillmereApp theApp;

BOOL CQuillmereApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControls();

    CQuillmereDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;

    // The dialog has ended: no message loop follows and the program exits.
    return FALSE;
}
