// The edit and date-time editors: placement, Enter, Escape, a click
// elsewhere, the end-of-edit notification and self-deletion.
#include "date_time_ipe.h"
#include "edit_ipe.h"
#include "editor_support.h"
#include "editor_alloc_tracker.h"

namespace {

class EditEditorTest : public EditorTest {
protected:
    // Makes the grid's edit request open an edit editor with the given text and width.
    void UseEditEditor(const char* pszText, int nWidth = 0, DWORD dwStyle = 0)
    {
        m_grid.m_makeEditor = [this, pszText, nWidth, dwStyle](int nRow, int nCol) {
            m_pEdit = m_grid.CreateEditEditor(nRow, nCol, dwStyle, pszText, nWidth);
            m_grid.m_hWndEditor = m_pEdit ? m_pEdit->m_hWnd : nullptr;
        };
    }
    CEditIPE* m_pEdit = nullptr;
};

TEST_F(EditEditorTest, TheEditorLiesOverTheCellWithItsTextSelected)
{
    UseEditEditor("old text");
    m_grid.EditCell(2, 1);
    ASSERT_NE(m_pEdit, nullptr);
    const HWND hWnd = m_pEdit->m_hWnd;
    EXPECT_STREQ(m_pEdit->GetRuntimeClass()->m_lpszClassName, "CEditIPE");
    EXPECT_EQ(m_pEdit->m_iItem, 2);
    EXPECT_EQ(m_pEdit->m_iSubItem, 1);
    EXPECT_FALSE(m_pEdit->m_bEscape);
    EXPECT_EQ(::GetParent(hWnd), m_grid.m_hWnd);
    EXPECT_EQ(::GetDlgCtrlID(hWnd), 0);
    // The edit control keeps WS_BORDER for itself: its window style drops it.
    EXPECT_EQ(m_pEdit->GetStyle() & 0x50000080u, 0x50000080u);
    CRect expected = CellLabel(2, 1);
    expected.OffsetRect(-1, -1);
    EXPECT_EQ(RectInGrid(hWnd), expected);
    EXPECT_EQ(::GetFocus(), hWnd);
    int nStart = -1, nEnd = -1;
    m_pEdit->GetSel(nStart, nEnd);
    EXPECT_EQ(nStart, 0);
    EXPECT_EQ(nEnd, 8);
    // The parent's font; it is set after the 3-pixel margins, and setting a font
    // gives the edit control the margins of that font.
    EXPECT_EQ(m_pEdit->GetFontHandle(), m_grid.GetFontHandle());
    EXPECT_TRUE(m_grid.m_endEdits.empty());
}

TEST_F(EditEditorTest, APositiveWidthReplacesTheCellsWidth)
{
    UseEditEditor("x", 37);
    m_grid.EditCell(1, 2);
    ASSERT_NE(m_pEdit, nullptr);
    CRect expected = CellLabel(1, 2);
    expected.OffsetRect(-1, -1);
    expected.right = expected.left + 37;
    EXPECT_EQ(RectInGrid(m_pEdit->m_hWnd), expected);
}

TEST_F(EditEditorTest, EnterCommitsTheTypedTextAndTheDefaultButtonDoesNotFire)
{
    UseEditEditor("old");
    m_grid.EditCell(3, 2);
    ASSERT_NE(m_pEdit, nullptr);
    const HWND hWnd = m_pEdit->m_hWnd;
    WatchDeletes({m_pEdit});
    Type(hWnd, "typed");
    EXPECT_TRUE(m_grid.m_endEdits.empty());
    PostKey(hWnd, VK_RETURN);
    StopWatchingDeletes();

    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    const CEditingGrid::EndEdit& e = m_grid.m_endEdits[0];
    EXPECT_EQ(e.nRow, 3);
    EXPECT_EQ(e.nCol, 2);
    EXPECT_FALSE(e.bNullText);
    EXPECT_EQ(e.strText, "typed");
    EXPECT_EQ(e.cchTextMax, 5);
    EXPECT_EQ(e.hWndFrom, m_grid.m_hWnd);
    EXPECT_EQ(e.idFrom, 0u);
    EXPECT_EQ(e.nCode, static_cast<UINT>(LVN_ENDLABELEDITA));
    EXPECT_EQ(e.nMask, static_cast<UINT>(LVIF_TEXT | LVIF_PARAM));
    EXPECT_EQ(m_dlg.m_nOK, 0);
    EXPECT_EQ(m_dlg.m_nCancel, 0);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(DeleteCount(0), 1);
    EXPECT_EQ(::GetFocus(), m_grid.m_hWnd);
    EXPECT_EQ(EditorWindowCount(), 0);
    // The base OnEndEdit stores nothing.
    EXPECT_EQ(m_grid.GetItemText(3, 2), CString("r3c2"));
}

TEST_F(EditEditorTest, EscapeReportsANullTextWithTheLengthOfTheBox)
{
    UseEditEditor("old");
    m_grid.EditCell(1, 1);
    ASSERT_NE(m_pEdit, nullptr);
    const HWND hWnd = m_pEdit->m_hWnd;
    WatchDeletes({m_pEdit});
    Type(hWnd, "abcd");
    PostKey(hWnd, VK_ESCAPE);
    StopWatchingDeletes();

    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    EXPECT_TRUE(m_grid.m_endEdits[0].bNullText);
    EXPECT_EQ(m_grid.m_endEdits[0].cchTextMax, 4);
    EXPECT_EQ(m_dlg.m_nCancel, 0);
    EXPECT_TRUE(::IsWindow(m_dlg.m_hWnd));
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(DeleteCount(0), 1);
}

TEST_F(EditEditorTest, AClickElsewhereInTheGridCommits)
{
    UseEditEditor("old");
    m_grid.EditCell(1, 1);
    ASSERT_NE(m_pEdit, nullptr);
    const HWND hWnd = m_pEdit->m_hWnd;
    WatchDeletes({m_pEdit});
    Type(hWnd, "clicked");
    m_grid.m_makeEditor = nullptr;
    ClickAt(m_grid.m_hWnd, CellLabel(5, 4).CenterPoint());
    StopWatchingDeletes();

    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    EXPECT_EQ(m_grid.m_endEdits[0].strText, "clicked");
    EXPECT_EQ(m_grid.m_endEdits[0].nRow, 1);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(DeleteCount(0), 1);
    EXPECT_EQ(m_grid.m_nFocusCol, 4);
}

TEST_F(EditEditorTest, MovingTheFocusInTheDialogCommits)
{
    UseEditEditor("old");
    m_grid.EditCell(0, 3);
    ASSERT_NE(m_pEdit, nullptr);
    const HWND hWnd = m_pEdit->m_hWnd;
    ::SetFocus(::GetDlgItem(m_dlg.m_hWnd, IDOK));
    Pump();
    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    EXPECT_EQ(m_grid.m_endEdits[0].strText, "old");
    EXPECT_EQ(m_grid.m_endEdits[0].cchTextMax, 3);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(m_dlg.m_nOK, 0);
}

TEST_F(EditEditorTest, AClickOnAnEditableCellOpensTheEditor)
{
    m_grid.m_dwGridStyle = GLS_EDITABLE | GLS_EDITONCLICK;
    UseEditEditor("from a click");
    ClickAt(m_grid.m_hWnd, CellLabel(4, 2).CenterPoint());
    ASSERT_NE(m_pEdit, nullptr);
    EXPECT_EQ(m_pEdit->m_iItem, 4);
    EXPECT_EQ(m_pEdit->m_iSubItem, 2);
    EXPECT_EQ(::GetFocus(), m_pEdit->m_hWnd);
    PostKey(m_pEdit->m_hWnd, VK_RETURN);
    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    EXPECT_EQ(m_grid.m_endEdits[0].strText, "from a click");
}

class DateTimeEditorTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        m_grid.m_bTimeInLParam = true;
        m_grid.m_makeEditor = [this](int nRow, int nCol) {
            SYSTEMTIME st = {};
            st.wYear = 2024;
            st.wMonth = 3;
            st.wDay = 15;
            st.wHour = 10;
            m_pDateTime = m_grid.CreateDateTimeEditor(nRow, nCol, 0, st, "yyyy'-'MM'-'dd", m_nWidth);
            m_grid.m_hWndEditor = m_pDateTime ? m_pDateTime->m_hWnd : nullptr;
        };
    }
    // A click on the drop-down button at the control's right end.
    void ClickDropButton()
    {
        CRect r;
        m_pDateTime->GetClientRect(&r);
        ClickAt(m_pDateTime->m_hWnd, CPoint(r.right - 4, r.Height() / 2));
    }
    CDateTimeIPE* m_pDateTime = nullptr;
    int m_nWidth = 0;
};

TEST_F(DateTimeEditorTest, TheEditorLiesOverTheCellShowingTheDate)
{
    m_grid.EditCell(2, 2);
    ASSERT_NE(m_pDateTime, nullptr);
    EXPECT_EQ(m_pDateTime->m_iItem, 2);
    EXPECT_EQ(m_pDateTime->m_iSubItem, 2);
    CRect expected = CellLabel(2, 2);
    expected.InflateRect(2, 2);
    expected.right -= 1;
    expected.bottom -= 1;
    EXPECT_EQ(RectInGrid(m_pDateTime->m_hWnd), expected);
    EXPECT_EQ(::GetFocus(), m_pDateTime->m_hWnd);
    EXPECT_EQ(::GetDlgCtrlID(m_pDateTime->m_hWnd), 0);
    SYSTEMTIME st = {};
    EXPECT_EQ(m_pDateTime->GetTime(&st), static_cast<DWORD>(GDT_VALID));
    EXPECT_EQ(st.wYear, 2024);
    EXPECT_EQ(st.wMonth, 3);
    EXPECT_EQ(st.wDay, 15);
    CString strShown;
    m_pDateTime->GetWindowText(strShown);
    EXPECT_EQ(strShown, CString("2024-03-15"));
}

TEST_F(DateTimeEditorTest, EnterReportsTheDisplayedDateAndTheTime)
{
    m_grid.EditCell(1, 3);
    ASSERT_NE(m_pDateTime, nullptr);
    const HWND hWnd = m_pDateTime->m_hWnd;
    CString strShown;
    m_pDateTime->GetWindowText(strShown);
    WatchDeletes({m_pDateTime});
    PostKey(hWnd, VK_RETURN);
    StopWatchingDeletes();

    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    const CEditingGrid::EndEdit& e = m_grid.m_endEdits[0];
    EXPECT_EQ(e.nRow, 1);
    EXPECT_EQ(e.nCol, 3);
    EXPECT_EQ(e.strText, std::string(static_cast<LPCSTR>(strShown)));
    EXPECT_EQ(e.cchTextMax, strShown.GetLength());
    EXPECT_NE(e.lParam, 0);
    EXPECT_EQ(e.stTime.wYear, 2024);
    EXPECT_EQ(e.stTime.wMonth, 3);
    EXPECT_EQ(e.stTime.wDay, 15);
    EXPECT_EQ(m_dlg.m_nOK, 0);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(DeleteCount(0), 1);
}

TEST_F(DateTimeEditorTest, EscapeReportsANullText)
{
    m_grid.EditCell(1, 3);
    ASSERT_NE(m_pDateTime, nullptr);
    const HWND hWnd = m_pDateTime->m_hWnd;
    PostKey(hWnd, VK_ESCAPE);
    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    EXPECT_TRUE(m_grid.m_endEdits[0].bNullText);
    EXPECT_EQ(m_grid.m_endEdits[0].stTime.wYear, 2024);
    EXPECT_EQ(m_dlg.m_nCancel, 0);
    EXPECT_FALSE(::IsWindow(hWnd));
}

TEST_F(DateTimeEditorTest, DroppingTheCalendarKeepsEditingAndClosingItReports)
{
    m_grid.EditCell(3, 1);
    ASSERT_NE(m_pDateTime, nullptr);
    const HWND hWnd = m_pDateTime->m_hWnd;
    CString strShown;
    m_pDateTime->GetWindowText(strShown);
    WatchDeletes({m_pDateTime});

    ClickDropButton();
    const HWND hWndCal = m_pDateTime->GetMonthCalHwnd();
    ASSERT_NE(hWndCal, nullptr);
    EXPECT_TRUE(::IsWindowVisible(hWndCal));
    EXPECT_TRUE(m_grid.m_endEdits.empty());
    EXPECT_TRUE(::IsWindow(hWnd));

    ClickDropButton(); // closes the calendar
    StopWatchingDeletes();
    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    EXPECT_EQ(m_grid.m_endEdits[0].strText, std::string(static_cast<LPCSTR>(strShown)));
    EXPECT_EQ(m_grid.m_endEdits[0].stTime.wDay, 15);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(DeleteCount(0), 1);
}

} // namespace
