#include <gtest/gtest.h>
#include "viewer_test_support.h"

void ViewerTest::SetUp()
{
    TestApp().Reset();
    TestApp().answers = {IDOK};
    ASSERT_TRUE(dlg.Create(CQuillmereDlg::IDD));
    ASSERT_EQ(TestApp().boxes.size(), 1u);
    EXPECT_EQ(TestApp().boxes[0].text, kFailedToOpen);
    TestApp().Reset();
    dlg.m_editLog.SetWindowText("");
}

void ViewerTest::TearDown() { dlg.DestroyWindow(); }

std::string ViewerTest::OpenCopy(const std::string& fixture)
{
    const std::string path = files.Copy(fixture);
    dlg.OpenDatabase(path.c_str());
    return path;
}

bool ViewerTest::Select(const char* table)
{
    const int index = dlg.m_lstTables.FindStringExact(-1, table);
    if (index < 0) return false;
    dlg.m_lstTables.SetCurSel(index);
    return true;
}

void ViewerTest::Click(int id)
{
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, id)));
}

std::string ViewerTest::Log() const
{
    CString text;
    dlg.m_editLog.GetWindowText(text);
    return std::string(text);
}

std::vector<std::string> ViewerTest::Tables() const
{
    std::vector<std::string> names;
    for (int i = 0; i < dlg.m_lstTables.GetCount(); ++i) {
        CString name;
        dlg.m_lstTables.GetText(i, name);
        names.push_back(std::string(name));
    }
    return names;
}
