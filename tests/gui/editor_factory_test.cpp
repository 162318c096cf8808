// The editor factories: null without GLS_EDITABLE, one editor each with it, and
// null with nothing left behind when a window of theirs cannot be made.
#include <functional>
#include <string>
#include <vector>

#include "button_ipe.h"
#include "combo_box_ipe.h"
#include "date_time_ipe.h"
#include "edit_ipe.h"
#include "editor_alloc_tracker.h"
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

// A window of one class that the grid is to get is refused at its creation,
// by a hook below the class layer's own; every object that a window of the
// grid's was attached to is watched for its deletion.
struct Refusal {
    const char* pszClass;
    HWND hWndParent = nullptr;
    std::vector<const void*> objects;
};
Refusal* g_pRefusal = nullptr;

LRESULT CALLBACK RefuseOneClass(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_CREATEWND && g_pRefusal != nullptr &&
        reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->hwndParent == g_pRefusal->hWndParent) {
        const HWND hWnd = reinterpret_cast<HWND>(wParam);
        if (CWnd* pWnd = CWnd::FromHandlePermanent(hWnd)) {
            g_pRefusal->objects.push_back(pWnd);
            WatchDeletes(g_pRefusal->objects);
        }
        char szClass[64] = "";
        ::GetClassNameA(hWnd, szClass, sizeof szClass);
        if (lstrcmpiA(szClass, g_pRefusal->pszClass) == 0) return 1;
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

struct FailingWindow {
    const char* pszName;
    const char* pszClass; // the window refused
    std::function<void*(CEditingGrid&)> make;
};

void PrintTo(const FailingWindow& window, std::ostream* os)
{
    *os << window.pszName;
}

class EditorFactoryFailureTest : public EditorTest, public ::testing::WithParamInterface<FailingWindow> {};

TEST_P(EditorFactoryFailureTest, AWindowThatCannotBeMadeGivesNullAndLeavesNothing)
{
    Refusal refusal{GetParam().pszClass, m_grid.m_hWnd, {}};
    g_pRefusal = &refusal;
    const HHOOK hHook = ::SetWindowsHookExA(WH_CBT, &RefuseOneClass, nullptr, ::GetCurrentThreadId());
    void* pEditor = GetParam().make(m_grid);
    ::UnhookWindowsHookEx(hHook);
    g_pRefusal = nullptr;
    Pump();
    StopWatchingDeletes();

    EXPECT_EQ(pEditor, nullptr);
    ASSERT_FALSE(refusal.objects.empty());
    for (size_t i = 0; i < refusal.objects.size(); ++i)
        EXPECT_EQ(DeleteCount(static_cast<int>(i)), 1) << "object " << i << " of the editor";
    EXPECT_EQ(EditorWindowCount(), 0);
    EXPECT_TRUE(m_grid.m_endEdits.empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryWindow, EditorFactoryFailureTest,
    ::testing::Values(
        FailingWindow{"Combo", "ComboBox",
                      [](CEditingGrid& g) -> void* { return g.CreateComboEditor(1, 1, CBS_DROPDOWN, 0, 0); }},
        FailingWindow{"Edit", "Edit", [](CEditingGrid& g) -> void* { return g.CreateEditEditor(1, 1, 0, "x", 0); }},
        FailingWindow{"SpinnerTextBox", "Edit",
                      [](CEditingGrid& g) -> void* { return g.CreateSpinnerEditor(1, 1, 0, 0, 10, "5", 0); }},
        FailingWindow{"SpinnerButton", UPDOWN_CLASSA,
                      [](CEditingGrid& g) -> void* { return g.CreateSpinnerEditor(1, 1, 0, 0, 10, "5", 0); }},
        FailingWindow{"Button", "Button",
                      [](CEditingGrid& g) -> void* { return g.CreateButtonEditor(1, 1, 0, "...", 0, 77); }},
        FailingWindow{"DateTime", DATETIMEPICK_CLASSA,
                      [](CEditingGrid& g) -> void* {
                          SYSTEMTIME st = {};
                          st.wYear = 2020;
                          st.wMonth = 1;
                          st.wDay = 1;
                          return g.CreateDateTimeEditor(1, 1, 0, st, nullptr, 0);
                      }}),
    [](const ::testing::TestParamInfo<FailingWindow>& info) { return std::string(info.param.pszName); });

} // namespace
