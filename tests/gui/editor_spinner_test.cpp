// The spinner and button editors: geometry, range and buddy, the spin
// button closed before its text box reports, and the button's click and keys.
#include "button_ipe.h"
#include "edit_ipe.h"
#include "editor_support.h"
#include "editor_alloc_tracker.h"
#include "spinner_ipe.h"

namespace {

// Wine's up-down control makes itself 16 pixels wide whatever width it is given.
bool IsWine()
{
    const HMODULE hNtDll = ::GetModuleHandleA("ntdll.dll");
    return hNtDll != nullptr && ::GetProcAddress(hNtDll, "wine_get_version") != nullptr;
}
const int kSpinShown = IsWine() ? 16 : 17;

class SpinnerEditorTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        m_grid.m_makeEditor = [this](int nRow, int nCol) {
            m_pEdit = m_grid.CreateSpinnerEditor(nRow, nCol, 0, m_nLower, m_nUpper, "15", m_nWidth);
            m_grid.m_hWndEditor = m_pEdit ? m_pEdit->m_hWnd : nullptr;
            m_hWndSpin = m_pEdit ? ::GetWindow(m_pEdit->m_hWnd, GW_HWNDNEXT) : nullptr;
            m_grid.m_hWndWatched = m_hWndSpin;
        };
    }
    CEditIPE* m_pEdit = nullptr;
    HWND m_hWndSpin = nullptr;
    int m_nLower = 10;
    int m_nUpper = 20;
    int m_nWidth = 0;
};

TEST_F(SpinnerEditorTest, WidthZeroGivesATextBoxOfTheCellWidthLess17AndTheSpinRightOfIt)
{
    m_grid.EditCell(2, 1);
    ASSERT_NE(m_pEdit, nullptr);
    ASSERT_NE(m_hWndSpin, nullptr);
    CSpinnerIPE* pSpin = DYNAMIC_DOWNCAST(CSpinnerIPE, CWnd::FromHandlePermanent(m_hWndSpin));
    ASSERT_NE(pSpin, nullptr);
    EXPECT_STREQ(pSpin->GetRuntimeClass()->m_lpszClassName, "CSpinnerIPE");

    CRect cell = CellLabel(2, 1);
    cell.OffsetRect(-1, -1);
    const CRect rcEdit = RectInGrid(m_pEdit->m_hWnd);
    const CRect rcSpin = RectInGrid(m_hWndSpin);
    EXPECT_EQ(rcEdit.left, cell.left);
    EXPECT_EQ(rcEdit.top, cell.top);
    EXPECT_EQ(rcEdit.Width(), cell.Width() - 17);
    EXPECT_EQ(rcSpin.left, rcEdit.right);
    EXPECT_EQ(rcSpin.Width(), kSpinShown);
    EXPECT_EQ(rcSpin.right, cell.right - 17 + kSpinShown);
    EXPECT_EQ(rcSpin.top, rcEdit.top);
    EXPECT_EQ(rcSpin.bottom, rcEdit.bottom);

    EXPECT_EQ(m_pEdit->GetStyle() & ES_AUTOHSCROLL, 0u);
    // The up-down control draws no border of its own: its style drops WS_BORDER.
    EXPECT_EQ(pSpin->GetStyle() & 0x50000082u, 0x50000082u);
    EXPECT_EQ(pSpin->GetStyle() & (UDS_ARROWKEYS | UDS_ALIGNRIGHT | UDS_ALIGNLEFT), 0u);
    EXPECT_EQ(reinterpret_cast<HWND>(pSpin->SendMessage(UDM_GETBUDDY)), m_pEdit->m_hWnd);
    int nLower = 0, nUpper = 0;
    pSpin->SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&nLower), reinterpret_cast<LPARAM>(&nUpper));
    EXPECT_EQ(nLower, 10);
    EXPECT_EQ(nUpper, 20);
    CString strText;
    m_pEdit->GetWindowText(strText);
    EXPECT_EQ(strText, CString("15"));
    EXPECT_EQ(::GetFocus(), m_pEdit->m_hWnd);
}

TEST_F(SpinnerEditorTest, APositiveWidthIsTheWidthOfThePair)
{
    m_nWidth = 60;
    m_grid.EditCell(1, 2);
    ASSERT_NE(m_pEdit, nullptr);
    EXPECT_EQ(RectInGrid(m_pEdit->m_hWnd).Width(), 43);
    EXPECT_EQ(RectInGrid(m_hWndSpin).left, RectInGrid(m_pEdit->m_hWnd).right);
    EXPECT_EQ(RectInGrid(m_hWndSpin).right - RectInGrid(m_pEdit->m_hWnd).left, 60 - 17 + kSpinShown);
}

TEST_F(SpinnerEditorTest, ALowerBoundAboveTheUpperOneIsPassedUnchanged)
{
    m_nLower = 50;
    m_nUpper = 5;
    m_grid.EditCell(1, 1);
    ASSERT_NE(m_hWndSpin, nullptr);
    int nLower = 0, nUpper = 0;
    ::SendMessageA(m_hWndSpin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&nLower),
                   reinterpret_cast<LPARAM>(&nUpper));
    EXPECT_EQ(nLower, 50);
    EXPECT_EQ(nUpper, 5);
    // The initial text is not compared with the range.
    CString strText;
    m_pEdit->GetWindowText(strText);
    EXPECT_EQ(strText, CString("15"));
}

TEST_F(SpinnerEditorTest, TheSpinButtonClosesBeforeTheTextBoxReports)
{
    m_grid.EditCell(3, 3);
    ASSERT_NE(m_pEdit, nullptr);
    ASSERT_NE(m_hWndSpin, nullptr);
    const HWND hWndEdit = m_pEdit->m_hWnd;
    WatchDeletes({m_pEdit, CWnd::FromHandlePermanent(m_hWndSpin)});
    Type(hWndEdit, "17");
    PostKey(hWndEdit, VK_RETURN);
    StopWatchingDeletes();

    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    const CEditingGrid::EndEdit& e = m_grid.m_endEdits[0];
    EXPECT_FALSE(e.bWatchedAlive); // the spin button was gone when the text box reported
    EXPECT_TRUE(e.bEditorAlive);
    EXPECT_EQ(e.strText, "17");
    EXPECT_EQ(e.cchTextMax, 2);
    EXPECT_EQ(e.lParam, 0);
    EXPECT_FALSE(::IsWindow(hWndEdit));
    EXPECT_FALSE(::IsWindow(m_hWndSpin));
    EXPECT_EQ(DeleteCount(0), 1);
    EXPECT_EQ(DeleteCount(1), 1);
    EXPECT_EQ(EditorWindowCount(), 0);
    EXPECT_EQ(m_dlg.m_nOK, 0);
}

TEST_F(SpinnerEditorTest, TheArrowsStepTheTextAndLeaveTheGridUnscrolled)
{
    m_grid.EditCell(0, 0);
    ASSERT_NE(m_hWndSpin, nullptr);
    const int nTop = m_grid.GetTopIndex();
    CRect r;
    ::GetClientRect(m_hWndSpin, &r);
    ClickAt(m_hWndSpin, CPoint(r.Width() / 2, r.Height() / 4)); // upper arrow
    EXPECT_EQ(m_grid.GetTopIndex(), nTop);
    CString strText;
    m_pEdit->GetWindowText(strText);
    EXPECT_EQ(strText, CString("16"));
}

class ButtonEditorTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        m_grid.m_makeEditor = [this](int nRow, int nCol) {
            m_pButton = m_grid.CreateButtonEditor(nRow, nCol, 0, "...", m_nWidth, 1234);
            m_grid.m_hWndEditor = m_pButton ? m_pButton->m_hWnd : nullptr;
        };
    }
    CButtonIPE* m_pButton = nullptr;
    int m_nWidth = 0;
};

TEST_F(ButtonEditorTest, TheButtonIs17PixelsWideAtTheCellsRight)
{
    m_grid.EditCell(2, 2);
    ASSERT_NE(m_pButton, nullptr);
    EXPECT_STREQ(m_pButton->GetRuntimeClass()->m_lpszClassName, "CButtonIPE");
    EXPECT_EQ(m_pButton->m_iItem, 2);
    EXPECT_EQ(m_pButton->m_iSubItem, 2);
    const CRect cell = CellLabel(2, 2);
    const CRect rect = RectInGrid(m_pButton->m_hWnd);
    EXPECT_EQ(rect.Width(), 17);
    EXPECT_EQ(rect.right, cell.right - 2);
    EXPECT_EQ(rect.top, cell.top + 1);
    EXPECT_EQ(rect.bottom, cell.bottom - 2);
    EXPECT_EQ(::GetDlgCtrlID(m_pButton->m_hWnd), 1234);
    EXPECT_EQ(m_pButton->GetStyle() & 0x5000000Bu, 0x5000000Bu);
    EXPECT_EQ(::GetFocus(), m_pButton->m_hWnd);
    CString strCaption;
    m_pButton->GetWindowText(strCaption);
    EXPECT_EQ(strCaption, CString("..."));
}

TEST_F(ButtonEditorTest, APositiveWidthIsMeasuredFromTheCellsRight)
{
    m_nWidth = 40;
    m_grid.EditCell(1, 1);
    ASSERT_NE(m_pButton, nullptr);
    const CRect rect = RectInGrid(m_pButton->m_hWnd);
    EXPECT_EQ(rect.Width(), 40);
    EXPECT_EQ(rect.right, CellLabel(1, 1).right - 2);
}

TEST_F(ButtonEditorTest, AClickReportsANullTextAndClosesTheButton)
{
    m_grid.EditCell(3, 1);
    ASSERT_NE(m_pButton, nullptr);
    const HWND hWnd = m_pButton->m_hWnd;
    WatchDeletes({m_pButton});
    ClickAt(hWnd, CPoint(5, 5));
    StopWatchingDeletes();

    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    const CEditingGrid::EndEdit& e = m_grid.m_endEdits[0];
    EXPECT_EQ(e.nRow, 3);
    EXPECT_EQ(e.nCol, 1);
    EXPECT_TRUE(e.bNullText);
    EXPECT_EQ(e.cchTextMax, 0);
    EXPECT_EQ(e.idFrom, 1234u);
    EXPECT_EQ(e.hWndFrom, m_grid.m_hWnd);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(DeleteCount(0), 1);
    EXPECT_EQ(::GetFocus(), m_grid.m_hWnd);
    // The click itself reached the grid as its ordinary command.
    bool bClicked = false;
    for (WPARAM w : m_grid.m_commands)
        if (LOWORD(w) == 1234 && HIWORD(w) == BN_CLICKED) bClicked = true;
    EXPECT_TRUE(bClicked);
}

TEST_F(ButtonEditorTest, EnterAndEscapeEndItWithoutReachingTheDialog)
{
    for (UINT nKey : {VK_RETURN, VK_ESCAPE}) {
        m_grid.m_endEdits.clear();
        m_grid.EditCell(1, 3);
        ASSERT_NE(m_pButton, nullptr);
        const HWND hWnd = m_pButton->m_hWnd;
        PostKey(hWnd, nKey);
        ASSERT_EQ(m_grid.m_endEdits.size(), 1u) << nKey;
        EXPECT_TRUE(m_grid.m_endEdits[0].bNullText);
        EXPECT_FALSE(::IsWindow(hWnd));
    }
    EXPECT_EQ(m_dlg.m_nOK, 0);
    EXPECT_EQ(m_dlg.m_nCancel, 0);
}

} // namespace
