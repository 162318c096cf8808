// Closing the viewer: every way asks first; No changes nothing, Yes stops the
// tick timer and ends the dialog.
#include <gtest/gtest.h>
#include <string>
#include "quillmere_dlg.h"
#include "test_app.h"

namespace {
const char kQuestion[] = "Are you sure you wish to close the application?";

enum class Way { Escape, Enter, OkButton, CloseBox, SysMenuClose };

void PostKey(HWND h, WPARAM key)
{
    ::PostMessageA(h, WM_KEYDOWN, key, 1);
    ::PostMessageA(h, WM_KEYUP, key, 0xC0000001);
}

// A real click on the caption's close box; the second one lands at another spot
// of the box, so that the two do not make a double click.
void ClickCloseBox(HWND hDlg)
{
    static int clicks = 0;
    RECT r;
    ::GetWindowRect(hDlg, &r);
    int y = -1, left = -1, right = -1;
    for (int row = r.top; row < r.top + 40 && right < 0; ++row)
        for (int x = r.right - 1; x > r.right - 60; --x) {
            bool hit = ::SendMessageA(hDlg, WM_NCHITTEST, 0, MAKELPARAM(x, row)) == HTCLOSE;
            if (hit && right < 0) right = x, y = row + 3;
            if (hit) left = x;
        }
    ASSERT_GE(right - left, 8) << "no close box found";
    ::SetCursorPos(clicks++ % 2 ? left + 2 : right - 2, y);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, in, sizeof(INPUT));
}

void Close(CQuillmereDlg& dlg, Way way)
{
    HWND h = dlg.m_hWnd;
    switch (way) {
    case Way::Escape: PostKey(::GetDlgItem(h, IDOK), VK_ESCAPE); break;
    // Enter in a control that does not take it goes to the default button, OK.
    case Way::Enter: PostKey(::GetDlgItem(h, IDC_INTERVAL), VK_RETURN); break;
    case Way::OkButton: ::SendMessageA(::GetDlgItem(h, IDOK), BM_CLICK, 0, 0); break;
    case Way::CloseBox: ClickCloseBox(h); break;
    case Way::SysMenuClose: ::PostMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    }
}

std::string WayName(const ::testing::TestParamInfo<Way>& info)
{
    static const char* const names[] = {"Escape", "Enter", "OkButton", "CloseBox", "SysMenuClose"};
    return names[static_cast<int>(info.param)];
}

class ViewerClose : public ::testing::TestWithParam<Way> {};
} // namespace

TEST_P(ViewerClose, AsksNoKeepsEverythingYesStopsTimerAndEnds)
{
    TestApp().Reset();
    CQuillmereDlg dlg;
    TestApp().answers = {IDOK, IDNO, IDYES};  // first "Failed to open database!" at start-up
    bool stillOpenAfterNo = false;
    UINT timerAfterNo = 0;
    BOOL timerAliveAfterNo = FALSE;
    INT_PTR result = RunModal(dlg, {
        [&] { dlg.m_nTimerId = static_cast<UINT>(dlg.SetTimer(1010, 100000, nullptr)); dlg.m_bReading = TRUE;
              Close(dlg, GetParam()); },
        [&] {
            stillOpenAfterNo = dlg.m_hWnd && dlg.IsWindowVisible();
            timerAfterNo = dlg.m_nTimerId;
            // KillTimer succeeds only on a live timer; it is then made again.
            timerAliveAfterNo = ::KillTimer(dlg.m_hWnd, 1010);
            dlg.m_nTimerId = static_cast<UINT>(dlg.SetTimer(1010, 100000, nullptr));
            Close(dlg, GetParam());
        },
    });
    EXPECT_TRUE(stillOpenAfterNo);
    EXPECT_EQ(timerAfterNo, 1010u);
    EXPECT_TRUE(timerAliveAfterNo);
    ASSERT_EQ(TestApp().boxes.size(), 3u);
    TestApp().boxes.erase(TestApp().boxes.begin());
    for (const RecordedBox& box : TestApp().boxes) {
        EXPECT_EQ(box.text, kQuestion);
        EXPECT_EQ(box.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    }
    bool viaOk = GetParam() == Way::Enter || GetParam() == Way::OkButton;
    EXPECT_EQ(result, viaOk ? IDOK : IDCANCEL);
    EXPECT_EQ(dlg.m_nTimerId, 0u);
    EXPECT_TRUE(dlg.m_bReading) << "closing does not change the modes";
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, ViewerClose,
                         ::testing::Values(Way::Escape, Way::Enter, Way::OkButton, Way::CloseBox, Way::SysMenuClose),
                         WayName);

// The question is a real message box with its own loop: the program's ticks go
// on being handled while it waits (the steps below run from that loop).
TEST(ViewerCloseRealBox, QuestionIsAYesNoBoxAndTicksContinueWhileItIsOpen)
{
    TestApp().Reset();
    TestApp().realBoxes = true;
    CQuillmereDlg dlg;
    std::string text;
    bool yesNo = false, openAfterNo = false;
    auto answer = [&](int button) {
        HWND box = FindThreadDialog("Quillmere tests");
        if (!box) return RetryStep();
        char buf[256] = "";
        ::GetDlgItemTextA(box, 0xFFFF, buf, sizeof buf);
        text = buf;
        yesNo = ::GetDlgItem(box, IDYES) && ::GetDlgItem(box, IDNO) && !::GetDlgItem(box, IDCANCEL);
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    };
    INT_PTR result = RunModal(dlg, {
        // The start-up's "Failed to open database!" (the default database is not there).
        [&] { answer(IDOK); },
        [&] { PostKey(::GetDlgItem(dlg.m_hWnd, IDOK), VK_ESCAPE); },
        [&] { answer(IDNO); },
        [&] { openAfterNo = dlg.m_hWnd && dlg.IsWindowVisible(); PostKey(::GetDlgItem(dlg.m_hWnd, IDOK), VK_ESCAPE); },
        [&] { answer(IDYES); },
    });
    EXPECT_EQ(text, kQuestion);
    EXPECT_TRUE(yesNo);
    EXPECT_TRUE(openAfterNo);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(TestApp().boxes.size(), 3u);
}
