// Mouse and keyboard: the current cell, keyboard moves through posted clicks,
// Enter and Escape, edit requests and the list notifications the grid takes.
#include "grid_test_support.h"

namespace {

class GridInteractionTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        AddColumns(8, 120); // 960 pixels in a list 600 wide
        AddRows(12);
        FocusGrid();
    }
    CRect Client() const
    {
        CRect r;
        m_grid.GetClientRect(&r);
        return r;
    }
    CRect Cell(int nRow, int nCol) const
    {
        CRect r;
        m_grid.GetSubItemRect(nRow, nCol, LVIR_LABEL, r);
        return r;
    }
    void ExpectCurrentCell(int nRow, int nCol)
    {
        EXPECT_EQ(m_grid.GetNextItem(-1, LVNI_FOCUSED), nRow);
        EXPECT_EQ(SelectedRows(), std::vector<int>{nRow});
        EXPECT_EQ(m_grid.m_nFocusCol, nCol);
        EXPECT_EQ(m_grid.m_nSelCol, nCol);
    }
};

TEST_F(GridInteractionTest, AClickSelectsTheRowAndMakesTheCellCurrent)
{
    Click(5, 2);
    ExpectCurrentCell(5, 2);
    EXPECT_TRUE(m_grid.IsCellHighlighted(5, 2));
    EXPECT_FALSE(m_grid.IsCellHighlighted(5, 1));
    EXPECT_FALSE(m_grid.IsCellHighlighted(4, 2));
    EXPECT_FALSE(m_grid.m_bSyntheticClick);
}

TEST_F(GridInteractionTest, AClickInAnotherColumnFirstDropsTheSelectedRows)
{
    Click(5, 2);
    Click(6, 2, MK_CONTROL); // the list's own Ctrl selection, same column
    EXPECT_EQ(SelectedRows(), (std::vector<int>{5, 6}));
    Click(7, 3, MK_CONTROL); // another column: the others go even with Ctrl
    ExpectCurrentCell(7, 3);

    // With whole-row selection clicks leave no current column.
    m_grid.m_dwGridStyle = GLS_FULLROWSELECT;
    Click(8, 4);
    EXPECT_EQ(m_grid.m_nFocusCol, -1);
    EXPECT_EQ(m_grid.m_nSelCol, -1);
    EXPECT_TRUE(m_grid.IsCellHighlighted(8, 0));
}

TEST_F(GridInteractionTest, AClickOutsideTheCellsClearsOnlyTheSelectionColumn)
{
    Click(2, 1);
    CRect rcLast;
    m_grid.GetItemRect(11, &rcLast, LVIR_BOUNDS);
    const CPoint below(rcLast.left + 20, rcLast.bottom + 10);
    ASSERT_LT(below.y, Client().bottom);
    m_grid.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(below.x, below.y));
    m_grid.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(below.x, below.y));
    Pump();
    EXPECT_EQ(m_grid.m_nSelCol, -1);
    EXPECT_EQ(m_grid.m_nFocusCol, 1);
}

TEST_F(GridInteractionTest, ColumnFromPointCountsBordersToTheLeftColumn)
{
    const CRect r = Cell(3, 2);
    CRect rcRow;
    m_grid.GetItemRect(3, &rcRow, LVIR_BOUNDS);
    EXPECT_EQ(m_grid.ColumnFromPoint(3, CPoint(r.left + 5, r.top + 2)), 2);
    EXPECT_EQ(m_grid.ColumnFromPoint(3, CPoint(rcRow.left + 120, r.top + 2)), 0);
    EXPECT_EQ(m_grid.ColumnFromPoint(3, CPoint(rcRow.left + 121, r.top + 2)), 1);
    EXPECT_EQ(m_grid.ColumnFromPoint(-1, CPoint(r.left + 5, r.top + 2)), -1);
    EXPECT_EQ(m_grid.ColumnFromPoint(3, CPoint(r.left + 5, rcRow.bottom + 1)), -1);
}

TEST_F(GridInteractionTest, RightMovesColumnByColumnIntoViewUpToTheLastColumn)
{
    Click(3, 2);
    for (int c = 3; c <= 7; ++c) {
        PressKey(VK_RIGHT);
        ExpectCurrentCell(3, c);
        EXPECT_LE(Cell(3, c).right, Client().right) << c;
        EXPECT_GE(Cell(3, c).left, Client().left) << c;
        EXPECT_FALSE(m_grid.m_bSyntheticClick);
    }
    PressKey(VK_RIGHT); // at the last column: nothing
    ExpectCurrentCell(3, 7);
    EXPECT_FALSE(m_grid.m_bSyntheticClick);
}

TEST_F(GridInteractionTest, LeftAndShiftTabMoveBackTabForward)
{
    Click(3, 3);
    PressKey(VK_LEFT);
    ExpectCurrentCell(3, 2);
    SetKeyState(VK_SHIFT, true);
    PressKey(VK_TAB);
    SetKeyState(VK_SHIFT, false);
    ExpectCurrentCell(3, 1);
    PressKey(VK_TAB);
    ExpectCurrentCell(3, 2);
    EXPECT_EQ(::GetFocus(), m_grid.m_hWnd); // the moving click takes the focus back
    PressKey(VK_LEFT);
    PressKey(VK_LEFT);
    PressKey(VK_LEFT); // at column 0: nothing
    ExpectCurrentCell(3, 0);
}

TEST_F(GridInteractionTest, LeftScrollsBackAndTheRowHeaderIsNeverEntered)
{
    m_grid.m_dwGridStyle = GLS_ROWHEADER;
    Click(3, 1);
    for (int i = 0; i < 6; ++i) PressKey(VK_RIGHT);
    ExpectCurrentCell(3, 7);
    for (int i = 0; i < 6; ++i) PressKey(VK_LEFT);
    ExpectCurrentCell(3, 1);
    EXPECT_GE(Cell(3, 0).left, Client().left); // the row header came into view too
    PressKey(VK_LEFT);
    ExpectCurrentCell(3, 1);
}

TEST_F(GridInteractionTest, MovesNeedAFocusedRowAndAFocusColumn)
{
    PressKey(VK_RIGHT); // nothing current yet
    EXPECT_EQ(m_grid.m_nFocusCol, -1);
    EXPECT_FALSE(m_grid.m_bSyntheticClick);
    m_grid.SetItemState(4, LVIS_FOCUSED, LVIS_FOCUSED);
    PressKey(VK_TAB);
    EXPECT_EQ(m_grid.m_nFocusCol, -1);
    EXPECT_FALSE(m_grid.m_bSyntheticClick);
}

TEST_F(GridInteractionTest, EscapeDropsTheSelectedRowsAndKeepsTheColumns)
{
    Click(2, 1);
    Click(4, 1, MK_CONTROL);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_EQ(m_grid.m_nFocusCol, 1);
    EXPECT_EQ(m_grid.m_nSelCol, 1);
    EXPECT_EQ(m_dlg.m_nCancel, 1); // the dialog still sees Escape
}

TEST_F(GridInteractionTest, EnterGoesToTheDefaultButtonUnlessItEdits)
{
    Click(2, 1);
    PressKey(VK_RETURN);
    EXPECT_EQ(m_dlg.m_nOK, 1);
    EXPECT_TRUE(m_grid.m_edits.empty());

    m_grid.m_dwGridStyle = GLS_ENTEREDITS;
    for (int i = 0; i < 4; ++i) PressKey(VK_RIGHT);
    PressKey(VK_RETURN);
    EXPECT_EQ(m_dlg.m_nOK, 1);
    ASSERT_EQ(m_grid.m_edits.size(), 1u);
    EXPECT_EQ(m_grid.m_edits[0].nRow, 2);
    EXPECT_EQ(m_grid.m_edits[0].nCol, 5);
    EXPECT_LE(Cell(2, 5).right, Client().right);
}

TEST_F(GridInteractionTest, ASecondClickOnTheHighlightedCellRequestsAnEdit)
{
    m_grid.m_dwGridStyle = GLS_EDITABLE;
    Click(2, 1);
    EXPECT_TRUE(m_grid.m_edits.empty());
    Click(2, 1);
    ASSERT_EQ(m_grid.m_edits.size(), 1u);
    EXPECT_EQ(m_grid.m_edits[0].nRow, 2);
    EXPECT_EQ(m_grid.m_edits[0].nCol, 1);
    Click(3, 1); // not highlighted before the click
    EXPECT_EQ(m_grid.m_edits.size(), 1u);

    m_grid.m_dwGridStyle = GLS_EDITABLE | GLS_EDITONCLICK;
    Click(5, 2);
    EXPECT_EQ(m_grid.m_edits.size(), 2u);
    // Without GLS_EDITABLE no click edits.
    m_grid.m_dwGridStyle = GLS_EDITONCLICK;
    Click(5, 2);
    Click(5, 2);
    EXPECT_EQ(m_grid.m_edits.size(), 2u);
}

TEST_F(GridInteractionTest, AKeyboardMoveNeverRequestsAnEdit)
{
    m_grid.m_dwGridStyle = GLS_EDITABLE | GLS_EDITONCLICK;
    Click(2, 1);
    m_grid.m_edits.clear();
    PressKey(VK_RIGHT);
    PressKey(VK_TAB);
    PressKey(VK_LEFT);
    ExpectCurrentCell(2, 2);
    EXPECT_TRUE(m_grid.m_edits.empty());
    Click(2, 2); // a real click afterwards edits again
    EXPECT_EQ(m_grid.m_edits.size(), 1u);
}

TEST_F(GridInteractionTest, AKeyboardMoveWhoseClickFindsNoCellLeavesTheNextClickToEdit)
{
    m_grid.m_dwGridStyle = GLS_EDITABLE | GLS_EDITONCLICK;
    Click(11, 1);
    m_grid.m_edits.clear();
    // The row goes between the move and its posted click, which then lands
    // below the last row.
    m_grid.SendMessage(WM_KEYDOWN, VK_RIGHT, 1);
    m_grid.DeleteItem(11);
    Pump();
    EXPECT_TRUE(m_grid.m_edits.empty());
    Click(5, 2);
    ASSERT_EQ(m_grid.m_edits.size(), 1u);
    EXPECT_EQ(m_grid.m_edits[0].nRow, 5);
}

TEST_F(GridInteractionTest, ARightClickMovesTheColumnsToACellThatIsNotHighlighted)
{
    Click(2, 1);
    const CPoint pt = Cell(2, 3).CenterPoint();
    // The list tracks the pressed button until it is released: release first.
    m_grid.PostMessage(WM_RBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    m_grid.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(pt.x, pt.y));
    Pump();
    EXPECT_EQ(m_grid.m_nFocusCol, 3);
    EXPECT_EQ(m_grid.m_nSelCol, 3);
    EXPECT_TRUE(m_grid.IsCellHighlighted(2, 3));
}

TEST_F(GridInteractionTest, VerticalScrollingFromASpinButtonIsIgnored)
{
    AddRows(30);
    CSpinButtonCtrl spin;
    ASSERT_TRUE(
        spin.CreateEx(0, UPDOWN_CLASSA, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 17, 20), &m_grid, 0));
    m_grid.SendMessage(WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(spin.m_hWnd));
    EXPECT_EQ(m_grid.GetTopIndex(), 0);
    m_dlg.GetDlgItem(IDOK)->SetFocus();
    m_grid.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(m_grid.GetTopIndex(), 1);
    EXPECT_EQ(::GetFocus(), m_grid.m_hWnd); // scrolling takes the focus
    spin.DestroyWindow();
}

TEST_F(GridInteractionTest, AnEditorsEndOfEditReachesOnEndEdit)
{
    // An editor reports with the grid itself as the sender.
    CWnd editor;
    ASSERT_TRUE(editor.CreateEx(0, "EDIT", "", WS_CHILD, CRect(0, 0, 50, 20), &m_grid, 0));
    char text[] = "new text";
    NMLVDISPINFOA info = {};
    info.hdr.hwndFrom = m_grid.m_hWnd;
    info.hdr.code = LVN_ENDLABELEDITA;
    info.item.mask = LVIF_TEXT | LVIF_PARAM;
    info.item.iItem = 2;
    info.item.iSubItem = 1;
    info.item.pszText = text;
    info.item.cchTextMax = 8;
    ::SendMessageA(::GetParent(editor.m_hWnd), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    info.item.pszText = nullptr; // a cancelled edit
    ::SendMessageA(::GetParent(editor.m_hWnd), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(m_grid.m_endEdits, (std::vector<std::string>{"2,1,new text", "2,1,(null)"}));
    EXPECT_EQ(::GetFocus(), m_grid.m_hWnd);
    EXPECT_EQ(m_grid.GetItemText(2, 1), CString("r2c1")); // the base stores nothing
    editor.DestroyWindow();
}

TEST_F(GridInteractionTest, TheListsLabelEditingNeverStartsAndColumnClicksReachTheHook)
{
    m_grid.ModifyStyle(0, LVS_EDITLABELS);
    EXPECT_EQ(m_grid.SendMessage(LVM_EDITLABELA, 1), 0);

    NMLISTVIEW click = {};
    click.hdr.hwndFrom = m_grid.m_hWnd;
    click.hdr.idFrom = static_cast<UINT_PTR>(m_grid.GetDlgCtrlID());
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = 4;
    m_dlg.SendMessage(WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(m_grid.m_columnClicks, std::vector<int>{4});
}

TEST_F(GridInteractionTest, TextCallbackAnswersFromGetCellTextInRotatingBuffers)
{
    m_grid.SetItemText(1, 2, LPSTR_TEXTCALLBACKA);
    EXPECT_EQ(m_grid.GetItemText(1, 2), CString("")); // option off: nobody answers
    m_grid.m_dwGridStyle = GLS_TEXTCALLBACK;
    EXPECT_EQ(m_grid.GetItemText(1, 2), CString("")); // the base has no other source
    m_grid.m_textSource = [](int nRow, int nCol) {
        CString s;
        s.Format("cb %d,%d", nRow, nCol);
        return s;
    };
    EXPECT_EQ(m_grid.GetItemText(1, 2), CString("cb 1,2"));

    auto ask = [&](int nRow) {
        NMLVDISPINFOA info = {};
        info.hdr.hwndFrom = m_grid.m_hWnd;
        info.hdr.code = LVN_GETDISPINFOA;
        info.item.mask = LVIF_TEXT;
        info.item.iItem = nRow;
        m_grid.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        return info.item.pszText;
    };
    const char* p1 = ask(1);
    const char* p2 = ask(2);
    const char* p3 = ask(3);
    EXPECT_STREQ(p1, "cb 1,0");
    EXPECT_STREQ(p2, "cb 2,0");
    EXPECT_STREQ(p3, "cb 3,0");
    EXPECT_NE(p1, p2);
    EXPECT_NE(p2, p3);
    EXPECT_EQ(ask(4), p1);
}

} // namespace
