// The editors' flat painting, read back from the screen: one-pixel frames in
// the button-face, highlight and shadow colours instead of the platform's edges.
#include "button_ipe.h"
#include "combo_box_ipe.h"
#include "edit_ipe.h"
#include "editor_support.h"

namespace {

class EditorPaintTest : public EditorTest {
protected:
    // Repaints the grid and its children and reads the grid's client area back.
    void Capture(CCanvas& canvas)
    {
        m_grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        canvas.CaptureClient(m_grid.m_hWnd);
    }
    static COLORREF Sys(int nIndex) { return ::GetSysColor(nIndex); }
};

TEST_F(EditorPaintTest, TheEditEditorHasAFlatGreyBorder)
{
    CEditIPE* pEdit = m_grid.CreateEditEditor(2, 1, 0, "flat", 0);
    ASSERT_NE(pEdit, nullptr);
    const CRect r = RectInGrid(pEdit->m_hWnd);
    CCanvas canvas(600, 300);
    Capture(canvas);
    const int y = r.top + r.Height() / 2;
    EXPECT_EQ(canvas.At(r.left, y), Sys(COLOR_BTNFACE));
    EXPECT_EQ(canvas.At(r.left + 1, y), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.At(r.right - 1, y), Sys(COLOR_BTNFACE));
    EXPECT_EQ(canvas.At(r.right - 2, y), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.At(r.left + r.Width() / 2, r.top + 1), Sys(COLOR_BTNSHADOW));
}

TEST_F(EditorPaintTest, TheComboEditorFramesItselfAndItsButtonFlat)
{
    CComboBoxIPE* pCombo = m_grid.CreateComboEditor(2, 2, CBS_DROPDOWNLIST, 0, 0);
    ASSERT_NE(pCombo, nullptr);
    pCombo->AddString("one");
    pCombo->SetCurSel(0);
    CRect rcClient;
    pCombo->GetClientRect(&rcClient);
    CRect r = RectInGrid(pCombo->m_hWnd);
    r.right = r.left + rcClient.Width();
    r.bottom = r.top + rcClient.Height();
    CCanvas canvas(600, 300);
    Capture(canvas);
    const int y = r.top + r.Height() / 2;
    EXPECT_EQ(canvas.At(r.left, y), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.At(r.left + 1, y), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.At(r.right - 1, y), Sys(COLOR_BTNHIGHLIGHT));
    // The drop-down button's own frames, SM_CXHTHUMB wide from the inner right edge.
    const int xButton = r.right - 2 - ::GetSystemMetrics(SM_CXHTHUMB);
    EXPECT_EQ(canvas.At(xButton, y), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.At(xButton + 1, y), Sys(COLOR_BTNSHADOW));
}

TEST_F(EditorPaintTest, TheButtonEditorIsAFlatFaceWithAShadowFrame)
{
    CButtonIPE* pButton = m_grid.CreateButtonEditor(3, 3, 0, "", 30, 55);
    ASSERT_NE(pButton, nullptr);
    const CRect r = RectInGrid(pButton->m_hWnd);
    CCanvas canvas(600, 300);
    Capture(canvas);
    EXPECT_EQ(canvas.At(r.left, r.top), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.At(r.right - 1, r.bottom - 1), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.At(r.left + r.Width() / 2, r.top + r.Height() / 2), Sys(COLOR_BTNFACE));
}

TEST_F(EditorPaintTest, TheSpinButtonHasFlatFrames)
{
    CEditIPE* pEdit = m_grid.CreateSpinnerEditor(1, 1, 0, 0, 9, "1", 0);
    ASSERT_NE(pEdit, nullptr);
    const HWND hWndSpin = ::GetWindow(pEdit->m_hWnd, GW_HWNDNEXT);
    ASSERT_NE(hWndSpin, nullptr);
    const CRect r = RectInGrid(hWndSpin);
    CCanvas canvas(600, 300);
    Capture(canvas);
    EXPECT_EQ(canvas.At(r.left, r.top), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.At(r.left + 1, r.top + 1), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.At(r.left + 1, r.bottom - 2), Sys(COLOR_BTNSHADOW));
}

} // namespace
