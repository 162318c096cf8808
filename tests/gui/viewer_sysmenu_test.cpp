// The viewer's system menu: the about item and what it shows.
#include <gtest/gtest.h>
#include <string>
#include "quillmere_dlg.h"
#include "test_app.h"

TEST(ViewerSystemMenu, EndsWithSeparatorAndAboutItem)
{
    TestApp().Reset();
    TestApp().answers = {IDOK};  // "Failed to open database!": the default database is not there
    CQuillmereDlg dlg;
    ASSERT_TRUE(dlg.Create(CQuillmereDlg::IDD));
    TestApp().Reset();
    HMENU menu = ::GetSystemMenu(dlg.m_hWnd, FALSE);
    ASSERT_TRUE(menu != nullptr);
    int n = ::GetMenuItemCount(menu);
    ASSERT_GE(n, 3);
    // The standard items come first; Close is among them.
    EXPECT_NE(::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_TRUE(::GetMenuState(menu, static_cast<UINT>(n - 2), MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(::GetMenuItemID(menu, n - 1), static_cast<UINT>(IDM_ABOUTBOX));
    char text[64] = "";
    ::GetMenuStringA(menu, static_cast<UINT>(n - 1), text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&About Quillmere...");
    dlg.DestroyWindow();
}

TEST(ViewerSystemMenu, AboutItemShowsTheAboutBoxModally)
{
    TestApp().Reset();
    TestApp().answers = {IDOK};  // "Failed to open database!": the default database is not there
    CQuillmereDlg dlg;
    HWND about = nullptr;
    bool ownedByViewer = false, viewerDisabled = false, viewerBackAfterwards = false;
    INT_PTR result = RunModal(dlg, {
        [&] { dlg.PostMessage(WM_SYSCOMMAND, IDM_ABOUTBOX, 0); },
        // From here on the steps run from the about box's own loop.
        [&] {
            about = FindThreadDialog("About Quillmere");
            if (!about) return RetryStep();
            ownedByViewer = ::GetWindow(about, GW_OWNER) == dlg.m_hWnd;
            viewerDisabled = !dlg.IsWindowEnabled();
            ::PostMessageA(::GetDlgItem(about, IDOK), WM_KEYDOWN, VK_RETURN, 1);
        },
        [&] {
            viewerBackAfterwards = !::IsWindow(about) && dlg.IsWindowEnabled() && dlg.IsWindowVisible();
            dlg.EndDialog(IDCANCEL);
        },
    });
    ASSERT_TRUE(about != nullptr);
    EXPECT_TRUE(ownedByViewer);
    EXPECT_TRUE(viewerDisabled);
    EXPECT_TRUE(viewerBackAfterwards);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(TestApp().boxes.size(), 1u) << "only the start-up's";
}

TEST(ViewerSystemMenu, OtherSystemCommandsKeepTheirDefaultHandling)
{
    TestApp().Reset();
    TestApp().answers = {IDOK};  // "Failed to open database!": the default database is not there
    CQuillmereDlg dlg;
    ASSERT_TRUE(dlg.Create(CQuillmereDlg::IDD));
    TestApp().Reset();
    dlg.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(dlg.IsIconic());
    // Minimised, the dialog paints its icon and hands it out for dragging.
    EXPECT_EQ(reinterpret_cast<HICON>(dlg.SendMessage(WM_QUERYDRAGICON)), dlg.m_hIcon);
    dlg.RedrawWindow();
    dlg.SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(dlg.IsIconic());
    EXPECT_TRUE(TestApp().boxes.empty());
    dlg.DestroyWindow();
}
