#include "quillmere_dlg.h"
#include "about_dlg.h"

CQuillmereDlg::CQuillmereDlg(CWnd* pParent)
    : CDialog(IDD, pParent),
      m_hIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_nTimerId(0),
      m_bReading(FALSE),
      m_bUpdating(FALSE)
{
}

CQuillmereDlg::~CQuillmereDlg() = default;

void CQuillmereDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LOG, m_editLog);
    DDX_Control(pDX, IDC_UPDATING, m_btnUpdating);
    DDX_Control(pDX, IDC_READING, m_btnReading);
    DDX_Control(pDX, IDC_INTERVAL, m_editInterval);
    DDX_Control(pDX, IDC_GRID, m_grid);
    DDX_Control(pDX, IDC_TABLES, m_lstTables);
    DDX_Control(pDX, IDC_UPDATE_ROWS, m_editUpdateRows);
    DDX_Control(pDX, IDC_READ_ROWS, m_editReadRows);
    DDX_Control(pDX, IDC_DB_PATH, m_stcPath);
}

BEGIN_MESSAGE_MAP(CQuillmereDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDC_READING, OnToggleReading)
    ON_BN_CLICKED(IDC_UPDATING, OnToggleUpdating)
    ON_BN_CLICKED(IDC_READ_ONCE, OnReadOnce)
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_REPAIR_DB, OnRepairDb)
END_MESSAGE_MAP()

BOOL CQuillmereDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        CString strAboutMenu;
        strAboutMenu.LoadString(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    CString strDefault = "C:\\Varnholt\\NflSummary.mdb";
    OpenDatabase(strDefault);
    return TRUE;
}

void CQuillmereDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CQuillmereDlg::OnPaint()
{
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    int x = (rect.Width() - cxIcon + 1) / 2;
    int y = (rect.Height() - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CQuillmereDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

BOOL CQuillmereDlg::ConfirmClose()
{
    if (AfxMessageBox("Are you sure you wish to close the application?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return FALSE;
    if (m_nTimerId != 0) {
        KillTimer(m_nTimerId);
        m_nTimerId = 0;
    }
    return TRUE;
}

void CQuillmereDlg::OnOK()
{
    if (ConfirmClose()) CDialog::OnOK();
}

void CQuillmereDlg::OnCancel()
{
    if (ConfirmClose()) CDialog::OnCancel();
}

