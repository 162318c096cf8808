#include "editor_support.h"

#include "grid_test_ids.h"

void CEditingGrid::EditCell(int nRow, int nCol)
{
    CDLGridListCtrl::EditCell(nRow, nCol);
    if (m_makeEditor) m_makeEditor(nRow, nCol);
}

void CEditingGrid::OnEndEdit(int nRow, int nCol, LPCTSTR pszText)
{
    EndEdit e;
    e.nRow = nRow;
    e.nCol = nCol;
    e.bNullText = pszText == nullptr;
    if (pszText) e.strText = pszText;
    // The notification being handled: the grid reflected its own WM_NOTIFY here.
    const MSG* pMsg = GetCurrentMessage();
    if (pMsg->message == WM_NOTIFY && pMsg->lParam) {
        const auto* pInfo = reinterpret_cast<const NMLVDISPINFOA*>(pMsg->lParam);
        e.hWndFrom = pInfo->hdr.hwndFrom;
        e.idFrom = pInfo->hdr.idFrom;
        e.nCode = pInfo->hdr.code;
        e.nMask = pInfo->item.mask;
        e.cchTextMax = pInfo->item.cchTextMax;
        e.lParam = pInfo->item.lParam;
        if (m_bTimeInLParam && pInfo->item.lParam)
            e.stTime = *reinterpret_cast<const SYSTEMTIME*>(pInfo->item.lParam);
    }
    e.bWatchedAlive = m_hWndWatched && ::IsWindow(m_hWndWatched);
    e.bEditorAlive = m_hWndEditor && ::IsWindow(m_hWndEditor);
    m_endEdits.push_back(e);
    CDLGridListCtrl::OnEndEdit(nRow, nCol, pszText);
}

BOOL CEditingGrid::OnCommand(WPARAM wParam, LPARAM lParam)
{
    m_commands.push_back(wParam);
    return CDLGridListCtrl::OnCommand(wParam, lParam);
}

void EditorTest::SetUp()
{
    static bool s_bInitialised = false;
    if (!s_bInitialised) {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
        ::InitCommonControlsEx(&icc);
        s_bInitialised = true;
    }
    ASSERT_TRUE(m_dlg.Create(IDD_GRID_TEST, nullptr));
    ASSERT_TRUE(m_grid.m_hWnd != nullptr);
    m_dlg.SetWindowPos(nullptr, 20, 20, 660, 380, SWP_NOZORDER);
    m_grid.SetWindowPos(nullptr, 10, 40, 600, 300, SWP_NOZORDER);
    m_dlg.ShowWindow(SW_SHOW);
    ::SetForegroundWindow(m_dlg.m_hWnd);
    for (int c = 0; c < 6; ++c) {
        const std::string name = "C" + std::to_string(c);
        m_grid.InsertColumn(c, name.c_str(), LVCFMT_LEFT, 100);
    }
    for (int r = 0; r < 8; ++r) {
        m_grid.InsertItem(r, "");
        for (int c = 0; c < 6; ++c) {
            const std::string text = "r" + std::to_string(r) + "c" + std::to_string(c);
            m_grid.SetItemText(r, c, text.c_str());
        }
    }
    FocusGrid();
}

void EditorTest::TearDown()
{
    if (m_dlg.m_hWnd) m_dlg.DestroyWindow();
    Pump();
}

CRect EditorTest::CellLabel(int nRow, int nCol) const
{
    CRect r;
    m_grid.GetSubItemRect(nRow, nCol, LVIR_LABEL, r);
    return r;
}

CRect EditorTest::RectInGrid(HWND hWnd) const
{
    CRect r;
    ::GetWindowRect(hWnd, &r);
    m_grid.ScreenToClient(&r);
    return r;
}

void EditorTest::PostKey(HWND hWnd, UINT nVirtKey)
{
    const LPARAM lScan = static_cast<LPARAM>(::MapVirtualKeyA(nVirtKey, MAPVK_VK_TO_VSC)) << 16;
    ::PostMessageA(hWnd, WM_KEYDOWN, nVirtKey, lScan | 1);
    ::PostMessageA(hWnd, WM_KEYUP, nVirtKey, lScan | 0xC0000001);
    Pump();
}

void EditorTest::Type(HWND hWnd, const char* pszText)
{
    for (const char* p = pszText; *p; ++p)
        ::PostMessageA(hWnd, WM_CHAR, static_cast<unsigned char>(*p), 1);
    Pump();
}

void EditorTest::ClickAt(HWND hWnd, CPoint point)
{
    // A control may track the pressed button until it is released: queue the release first.
    ::PostMessageA(hWnd, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    ::SendMessageA(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    Pump();
}

void EditorTest::FocusGrid()
{
    ::SetForegroundWindow(m_dlg.m_hWnd);
    m_grid.SetFocus();
    Pump();
}

int EditorTest::EditorWindowCount() const
{
    int n = 0;
    const HWND hWndHeader = m_grid.GetHeaderHwnd();
    for (HWND h = ::GetWindow(m_grid.m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        if (h != hWndHeader) ++n;
    return n;
}
