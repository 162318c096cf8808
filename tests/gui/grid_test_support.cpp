#include "grid_test_support.h"

#include "grid_test_ids.h"

void CRecordingGrid::GetCellText(int nRow, int nCol, CString& strText)
{
    if (m_textSource)
        strText = m_textSource(nRow, nCol);
    else
        CDLGridListCtrl::GetCellText(nRow, nCol, strText);
}

void CRecordingGrid::EditCell(int nRow, int nCol)
{
    m_edits.push_back({nRow, nCol});
    CDLGridListCtrl::EditCell(nRow, nCol);
}

void CRecordingGrid::OnEndEdit(int nRow, int nCol, LPCTSTR pszText)
{
    m_endEdits.push_back(std::to_string(nRow) + "," + std::to_string(nCol) + "," +
                         (pszText ? pszText : "(null)"));
    CDLGridListCtrl::OnEndEdit(nRow, nCol, pszText);
}

void CRecordingGrid::OnColumnClick(int nCol)
{
    m_columnClicks.push_back(nCol);
}

void CRecordingGrid::OnItemStateSet(int nRow, int nCol, UINT nNewState)
{
    m_itemHooks.push_back("set " + std::to_string(nRow) + "," + std::to_string(nCol) + " " +
                          std::to_string(nNewState));
}

void CRecordingGrid::OnItemStateChanged(int nRow, int nCol, UINT nOldState, UINT nNewState)
{
    m_itemHooks.push_back("changed " + std::to_string(nRow) + "," + std::to_string(nCol) + " " +
                          std::to_string(nOldState) + "->" + std::to_string(nNewState));
}

void CRecordingGrid::OnItemChanged(int nRow, int nCol)
{
    m_itemHooks.push_back("item " + std::to_string(nRow) + "," + std::to_string(nCol));
}

void CRecordingGrid::DrawFocusCell(int nRow, CDC* pDC)
{
    m_drawnRows.push_back(nRow);
    CDLGridListCtrl::DrawFocusCell(nRow, pDC);
}

void CRecordingGrid::DrawCell(int nRow, int nCol, CDC* pDC)
{
    m_drawnColumns.push_back(nCol);
    CDLGridListCtrl::DrawCell(nRow, nCol, pDC);
}

void CGridTestDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TEST_GRID, m_grid);
}

void PumpThroughDialog(HWND hWndStop)
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!CWnd::WalkPreTranslateTree(hWndStop, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    AfxDeleteTempMaps();
}

void SetKeyState(int nVirtKey, bool bDown)
{
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[nVirtKey] = bDown ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

CCanvas::CCanvas(int nWidth, int nHeight) : m_nWidth(nWidth), m_nHeight(nHeight), m_pBits(nullptr)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = -nHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC hScreen = ::GetDC(nullptr);
    m_hdc = ::CreateCompatibleDC(hScreen);
    ::ReleaseDC(nullptr, hScreen);
    void* pBits = nullptr;
    m_hBitmap = ::CreateDIBSection(m_hdc, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
    m_pBits = static_cast<std::uint32_t*>(pBits);
    m_hOld = ::SelectObject(m_hdc, m_hBitmap);
}

CCanvas::~CCanvas()
{
    ::SelectObject(m_hdc, m_hOld);
    ::DeleteObject(m_hBitmap);
    ::DeleteDC(m_hdc);
}

void CCanvas::Fill(COLORREF cr)
{
    RECT r = {0, 0, m_nWidth, m_nHeight};
    HBRUSH hBrush = ::CreateSolidBrush(cr);
    ::FillRect(m_hdc, &r, hBrush);
    ::DeleteObject(hBrush);
}

COLORREF CCanvas::At(int x, int y) const
{
    ::GdiFlush();
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return CLR_INVALID;
    const std::uint32_t p =
        m_pBits[static_cast<size_t>(y) * static_cast<size_t>(m_nWidth) + static_cast<size_t>(x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void CCanvas::CaptureClient(HWND hWnd)
{
    HDC hdc = ::GetDC(hWnd);
    ::BitBlt(m_hdc, 0, 0, m_nWidth, m_nHeight, hdc, 0, 0, SRCCOPY);
    ::ReleaseDC(hWnd, hdc);
}

void GridTest::SetUp()
{
    static bool s_bInitialised = false;
    if (!s_bInitialised) {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
        s_bInitialised = true;
    }
    SetKeyState(VK_SHIFT, false);
    SetKeyState(VK_CONTROL, false);
    ASSERT_TRUE(m_dlg.Create(IDD_GRID_TEST, nullptr));
    ASSERT_TRUE(m_grid.m_hWnd != nullptr);
    m_dlg.SetWindowPos(nullptr, 20, 20, 660, 380, SWP_NOZORDER);
    m_grid.SetWindowPos(nullptr, 10, 40, 600, 300, SWP_NOZORDER);
    m_dlg.ShowWindow(SW_SHOW);
    ::SetForegroundWindow(m_dlg.m_hWnd);
    Pump();
}

void GridTest::TearDown()
{
    SetKeyState(VK_SHIFT, false);
    SetKeyState(VK_CONTROL, false);
    if (m_dlg.m_hWnd) m_dlg.DestroyWindow();
    Pump();
}

void GridTest::AddColumns(int nCount, int nWidth)
{
    for (int c = 0; c < nCount; ++c) {
        const std::string name = "C" + std::to_string(c);
        m_grid.InsertColumn(m_grid.GetColumnCount(), name.c_str(), LVCFMT_LEFT, nWidth);
    }
}

void GridTest::AddRows(int nCount)
{
    const int nColumns = m_grid.GetColumnCount();
    for (int r = 0; r < nCount; ++r) {
        const int nRow = m_grid.GetItemCount();
        m_grid.InsertItem(nRow, "");
        for (int c = 0; c < nColumns; ++c) {
            const std::string text = "r" + std::to_string(nRow) + "c" + std::to_string(c);
            m_grid.SetItemText(nRow, c, text.c_str());
        }
    }
}

CPoint GridTest::CellPoint(int nRow, int nCol) const
{
    CRect r;
    m_grid.GetSubItemRect(nRow, nCol, LVIR_LABEL, r);
    return r.CenterPoint();
}

void GridTest::Click(int nRow, int nCol, UINT nFlags)
{
    const CPoint pt = CellPoint(nRow, nCol);
    // A list may track the pressed button until it is released: queue the release first.
    m_grid.PostMessage(WM_LBUTTONUP, nFlags, MAKELPARAM(pt.x, pt.y));
    m_grid.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | nFlags, MAKELPARAM(pt.x, pt.y));
    Pump();
}

void GridTest::PressKey(UINT nVirtKey)
{
    m_grid.PostMessage(WM_KEYDOWN, nVirtKey, 1);
    m_grid.PostMessage(WM_KEYUP, nVirtKey, 0xC0000001);
    Pump();
}

void GridTest::DrawRow(CCanvas& canvas, int nRow, UINT nAction)
{
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_LISTVIEW;
    dis.CtlID = IDC_TEST_GRID;
    dis.itemID = static_cast<UINT>(nRow);
    dis.itemAction = nAction;
    dis.hwndItem = m_grid.m_hWnd;
    dis.hDC = canvas.GetDC();
    m_grid.GetItemRect(nRow, &dis.rcItem, LVIR_BOUNDS);
    HGDIOBJ hOld = ::SelectObject(canvas.GetDC(), m_grid.GetFontHandle());
    m_grid.DrawItem(&dis);
    ::SelectObject(canvas.GetDC(), hOld);
}

void GridTest::FocusGrid()
{
    ::SetForegroundWindow(m_dlg.m_hWnd);
    m_grid.SetFocus();
    Pump();
}

std::vector<int> GridTest::SelectedRows() const
{
    std::vector<int> rows;
    for (int r = m_grid.GetNextItem(-1, LVNI_SELECTED); r >= 0; r = m_grid.GetNextItem(r, LVNI_SELECTED))
        rows.push_back(r);
    return rows;
}
