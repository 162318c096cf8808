// Without GLS_EDITABLE every editor factory returns null and creates nothing.
#include "button_ipe.h"
#include "combo_box_ipe.h"
#include "date_time_ipe.h"
#include "edit_ipe.h"
#include "editor_support.h"

namespace {

using EditorFactoryTest = EditorTest;

TEST_F(EditorFactoryTest, EveryFactoryReturnsNullWithoutEditing)
{
    m_grid.m_dwGridStyle = GLS_EDITONCLICK | GLS_ENTEREDITS; // everything but GLS_EDITABLE
    const HWND hWndFocus = ::GetFocus();
    SYSTEMTIME st = {};
    st.wYear = 2020;
    st.wMonth = 1;
    st.wDay = 1;
    EXPECT_EQ(m_grid.CreateComboEditor(1, 1, CBS_DROPDOWN, 0, 0), nullptr);
    EXPECT_EQ(m_grid.CreateEditEditor(1, 1, 0, "text", 0), nullptr);
    EXPECT_EQ(m_grid.CreateSpinnerEditor(1, 1, 0, 0, 10, "5", 0), nullptr);
    EXPECT_EQ(m_grid.CreateButtonEditor(1, 1, 0, "...", 0, 77), nullptr);
    EXPECT_EQ(m_grid.CreateDateTimeEditor(1, 1, 0, st, nullptr, 0), nullptr);
    Pump();
    EXPECT_EQ(EditorWindowCount(), 0);
    EXPECT_EQ(::GetFocus(), hWndFocus);
    EXPECT_TRUE(m_grid.m_endEdits.empty());
}

TEST_F(EditorFactoryTest, WithEditingEachFactoryMakesOneEditor)
{
    SYSTEMTIME st = {};
    st.wYear = 2020;
    st.wMonth = 1;
    st.wDay = 1;
    EXPECT_NE(m_grid.CreateComboEditor(1, 1, CBS_DROPDOWN, 0, 0), nullptr);
    FocusGrid();
    EXPECT_NE(m_grid.CreateEditEditor(1, 1, 0, "text", 0), nullptr);
    FocusGrid();
    EXPECT_NE(m_grid.CreateSpinnerEditor(1, 1, 0, 0, 10, "5", 0), nullptr);
    FocusGrid();
    EXPECT_NE(m_grid.CreateButtonEditor(1, 1, 0, "...", 0, 77), nullptr);
    FocusGrid();
    EXPECT_NE(m_grid.CreateDateTimeEditor(1, 1, 0, st, nullptr, 0), nullptr);
    FocusGrid();
    // Each reported once when the next one (or the grid) took the focus, and closed.
    EXPECT_EQ(m_grid.m_endEdits.size(), 5u);
    EXPECT_EQ(EditorWindowCount(), 0);
}

} // namespace
