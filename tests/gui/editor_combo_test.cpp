// The combo box editor: the widening of the dropped list, the text
// and index it reports, Enter and Escape.
#include <cstring>
#include <string>

#include "combo_box_ipe.h"
#include "editor_support.h"
#include "editor_alloc_tracker.h"

namespace {

class ComboEditorTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        m_grid.m_makeEditor = [this](int nRow, int nCol) {
            m_pCombo = m_grid.CreateComboEditor(nRow, nCol, m_dwStyle, 0, m_nWidth);
            m_grid.m_hWndEditor = m_pCombo ? m_pCombo->m_hWnd : nullptr;
        };
    }
    // The width of a string measured as the editor measures it.
    int StringWidth(const char* psz) const
    {
        HDC hDC = ::GetDC(m_pCombo->m_hWnd);
        SIZE size = {};
        ::GetTextExtentPoint32A(hDC, psz, static_cast<int>(std::strlen(psz)), &size);
        ::ReleaseDC(m_pCombo->m_hWnd, hDC);
        return size.cx;
    }
    CComboBoxIPE* m_pCombo = nullptr;
    DWORD m_dwStyle = CBS_DROPDOWN | CBS_AUTOHSCROLL;
    int m_nWidth = 0;
};

TEST_F(ComboEditorTest, TheEditorLiesOverTheCellWithNothingSelected)
{
    m_grid.EditCell(2, 3);
    ASSERT_NE(m_pCombo, nullptr);
    EXPECT_STREQ(m_pCombo->GetRuntimeClass()->m_lpszClassName, "CComboBoxIPE");
    EXPECT_EQ(m_pCombo->m_iItem, 2);
    EXPECT_EQ(m_pCombo->m_iSubItem, 3);
    EXPECT_EQ(::GetDlgCtrlID(m_pCombo->m_hWnd), 1);
    EXPECT_EQ(m_pCombo->GetCurSel(), -1);
    EXPECT_EQ(m_pCombo->GetCount(), 0);
    CRect expected = CellLabel(2, 3);
    expected.OffsetRect(-1, -1);
    const CRect actual = RectInGrid(m_pCombo->m_hWnd);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    // The focus is in the combo's text field.
    EXPECT_TRUE(::GetFocus() == m_pCombo->m_hWnd || ::GetParent(::GetFocus()) == m_pCombo->m_hWnd);
    EXPECT_EQ(m_pCombo->GetFontHandle(), m_grid.GetFontHandle());
}

TEST_F(ComboEditorTest, AWiderStringWidensTheDroppedListAndANarrowerOneLeavesIt)
{
    m_grid.EditCell(1, 1);
    ASSERT_NE(m_pCombo, nullptr);
    const int nInitial = m_pCombo->GetDroppedWidth();
    m_pCombo->AddString("a");
    EXPECT_EQ(m_pCombo->GetDroppedWidth(), nInitial);

    const char* kWide = "A string far wider than the hundred pixels of the column";
    const int cxWide = StringWidth(kWide);
    ASSERT_GT(cxWide, nInitial);
    EXPECT_EQ(m_pCombo->AddString(kWide), 1);
    EXPECT_EQ(m_pCombo->GetDroppedWidth(), cxWide);

    EXPECT_EQ(m_pCombo->InsertString(0, "A narrower string"), 0);
    EXPECT_EQ(m_pCombo->GetDroppedWidth(), cxWide);
    const char* kWider = "An even wider string, wider than the one that widened the list";
    m_pCombo->InsertString(-1, kWider);
    EXPECT_EQ(m_pCombo->GetDroppedWidth(), StringWidth(kWider));
    EXPECT_EQ(m_pCombo->GetCount(), 4);
}

TEST_F(ComboEditorTest, TypedTextWithNothingSelectedReportsIndexMinusOne)
{
    m_grid.EditCell(3, 2);
    ASSERT_NE(m_pCombo, nullptr);
    const HWND hWnd = m_pCombo->m_hWnd;
    m_pCombo->AddString("alpha");
    m_pCombo->AddString("beta");
    WatchDeletes({m_pCombo});
    Type(::GetFocus(), "zeta");
    PostKey(::GetFocus(), VK_RETURN);
    StopWatchingDeletes();

    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    const CEditingGrid::EndEdit& e = m_grid.m_endEdits[0];
    EXPECT_EQ(e.nRow, 3);
    EXPECT_EQ(e.nCol, 2);
    EXPECT_EQ(e.strText, "zeta");
    EXPECT_EQ(e.cchTextMax, 4);
    EXPECT_EQ(e.lParam, -1);
    EXPECT_EQ(e.idFrom, 1u);
    EXPECT_EQ(e.hWndFrom, m_grid.m_hWnd);
    EXPECT_EQ(e.nCode, static_cast<UINT>(LVN_ENDLABELEDITA));
    EXPECT_EQ(m_dlg.m_nOK, 0);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(DeleteCount(0), 1);
}

TEST_F(ComboEditorTest, ASelectedEntryReportsItsListTextAndIndex)
{
    m_dwStyle = CBS_DROPDOWNLIST;
    m_grid.EditCell(4, 4);
    ASSERT_NE(m_pCombo, nullptr);
    const HWND hWnd = m_pCombo->m_hWnd;
    m_pCombo->AddString("one");
    m_pCombo->AddString("two");
    m_pCombo->AddString("three");
    m_pCombo->SetCurSel(2);
    PostKey(::GetFocus(), VK_RETURN);

    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    EXPECT_EQ(m_grid.m_endEdits[0].strText, "three");
    EXPECT_EQ(m_grid.m_endEdits[0].cchTextMax, 5);
    EXPECT_EQ(m_grid.m_endEdits[0].lParam, 2);
    EXPECT_EQ(m_dlg.m_nOK, 0);
    EXPECT_FALSE(::IsWindow(hWnd));
}

TEST_F(ComboEditorTest, ASelectedEntryWinsOverTheTextField)
{
    m_grid.EditCell(4, 1);
    ASSERT_NE(m_pCombo, nullptr);
    m_pCombo->AddString("one");
    m_pCombo->AddString("two");
    m_pCombo->SetCurSel(1);
    // The text field shows something else; the selection stays.
    const HWND hWndField = ::GetWindow(m_pCombo->m_hWnd, GW_CHILD);
    ASSERT_NE(hWndField, nullptr);
    ::SendMessageA(hWndField, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("other"));
    ASSERT_EQ(m_pCombo->GetCurSel(), 1);
    m_grid.SetFocus();
    Pump();
    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    EXPECT_EQ(m_grid.m_endEdits[0].strText, "two");
    EXPECT_EQ(m_grid.m_endEdits[0].lParam, 1);
}

TEST_F(ComboEditorTest, ASimpleComboWithNothingSelectedReportsTheEmptyText)
{
    m_dwStyle = CBS_SIMPLE;
    m_grid.EditCell(1, 2);
    ASSERT_NE(m_pCombo, nullptr);
    m_pCombo->AddString("one");
    Type(::GetFocus(), "typed");
    m_grid.SetFocus();
    Pump();
    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    EXPECT_FALSE(m_grid.m_endEdits[0].bNullText);
    EXPECT_EQ(m_grid.m_endEdits[0].strText, "");
    EXPECT_EQ(m_grid.m_endEdits[0].lParam, -1);
}

TEST_F(ComboEditorTest, EscapeWhileDroppedReportsANullText)
{
    m_grid.EditCell(2, 2);
    ASSERT_NE(m_pCombo, nullptr);
    const HWND hWnd = m_pCombo->m_hWnd;
    m_pCombo->AddString("one");
    m_pCombo->AddString("two");
    WatchDeletes({m_pCombo});
    m_pCombo->ShowDropDown(TRUE);
    Pump();
    ASSERT_TRUE(m_pCombo->GetDroppedState());
    EXPECT_TRUE(m_grid.m_endEdits.empty());
    PostKey(::GetFocus(), VK_ESCAPE);
    StopWatchingDeletes();

    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    EXPECT_TRUE(m_grid.m_endEdits[0].bNullText);
    EXPECT_EQ(m_grid.m_endEdits[0].lParam, -1);
    EXPECT_EQ(m_dlg.m_nCancel, 0);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(DeleteCount(0), 1);
}

TEST_F(ComboEditorTest, ClosingTheDroppedListEndsTheEdit)
{
    m_grid.EditCell(2, 2);
    ASSERT_NE(m_pCombo, nullptr);
    const HWND hWnd = m_pCombo->m_hWnd;
    m_pCombo->AddString("one");
    m_pCombo->ShowDropDown(TRUE);
    Pump();
    m_pCombo->ShowDropDown(FALSE);
    Pump();
    ASSERT_EQ(m_grid.m_endEdits.size(), 1u);
    EXPECT_FALSE(m_grid.m_endEdits[0].bNullText);
    EXPECT_FALSE(::IsWindow(hWnd));
}

} // namespace
