// Opening a database and the table list: start-up without the default
// database, the listing rule, failures, and the "Browse..." command.
#include <gtest/gtest.h>
#include <direct.h>
#include <string>
#include <vector>
#include "viewer_test_support.h"

namespace {
using Names = std::vector<std::string>;

std::string CurrentDirectory()
{
    char dir[MAX_PATH] = "";
    return _getcwd(dir, sizeof dir) ? dir : "";
}
} // namespace

TEST(ViewerStartup, WithoutTheDefaultDatabaseTheListStaysEmptyAndReadOnceOnlyAsks)
{
    TestApp().Reset();
    TestApp().answers = {IDOK, IDOK};
    CQuillmereDlg dlg;
    size_t boxesAtShow = 0;
    std::string log, path;
    INT_PTR result = RunModal(dlg, {
        [&] {
            // The box came while the dialog initialised, before its loop ran.
            boxesAtShow = TestApp().boxes.size();
            CString text;
            dlg.m_editLog.GetWindowText(text);
            log = std::string(text);
            dlg.m_stcPath.GetWindowText(text);
            path = std::string(text);
            dlg.m_grid.InsertColumn(0, "kept", LVCFMT_LEFT, 60);
            dlg.m_grid.InsertItem(0, "row");
            dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_READ_ONCE, BN_CLICKED),
                            reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, IDC_READ_ONCE)));
        },
        [&] { dlg.EndDialog(IDOK); },
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(boxesAtShow, 1u);
    ASSERT_EQ(TestApp().boxes.size(), 2u);
    EXPECT_EQ(TestApp().boxes[0].text, kFailedToOpen);
    EXPECT_EQ(TestApp().boxes[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(TestApp().boxes[1].text, kSelectFirst);
    EXPECT_EQ(log, "DAO--Exception: Could not find file 'C:\\Varnholt\\NflSummary.mdb'.\r\n");
    EXPECT_EQ(path, "C:\\Varnholt\\NflSummary.mdb");
    EXPECT_TRUE(dlg.m_strDbPath.IsEmpty());
    EXPECT_TRUE(dlg.m_strTable.IsEmpty());
    EXPECT_TRUE(dlg.m_strSQL.IsEmpty());
}

class ViewerOpen : public ViewerTest {};

TEST_F(ViewerOpen, ListsOrdinaryTablesSortedWithoutRegardToCase)
{
    const std::string path = OpenCopy("catalog.mdb");
    EXPECT_EQ(Tables(), Names({"alpha", "Beta", "LinkedGames", "Zeta"}));
    EXPECT_EQ(dlg.m_lstTables.GetCurSel(), LB_ERR);
    EXPECT_EQ(std::string(dlg.m_strDbPath), path);
    CString label;
    dlg.m_stcPath.GetWindowText(label);
    EXPECT_EQ(std::string(label), path);
    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(TestApp().boxes.empty());
    EXPECT_FALSE(dlg.m_db.IsOpen());

    // Real files made by Access: system tables of every kind are left out.
    OpenCopy("real/jackcess-V2003-testUnicodeComp.mdb");
    EXPECT_EQ(Tables(), Names({"Table"}));
    OpenCopy("v2003.mdb");
    EXPECT_EQ(Tables(), Names({"Customers", "Orders"}));
}

TEST_F(ViewerOpen, ADatabaseWithoutOrdinaryTablesListsNothingAndLogsNothing)
{
    const std::string path = OpenCopy("real/jackcess-empty-V2000.mdb");
    EXPECT_TRUE(Tables().empty());
    EXPECT_EQ(std::string(dlg.m_strDbPath), path);
    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(TestApp().boxes.empty());
}

TEST_F(ViewerOpen, FailuresLogTheEnginesWordsAndLeaveNothingOpen)
{
    OpenCopy("catalog.mdb");
    dlg.m_lstTables.SetCurSel(0);
    dlg.m_strTable = "alpha";
    dlg.m_strSQL = "SELECT TOP 1000 [Word] FROM alpha";
    dlg.m_grid.InsertColumn(0, "Word", LVCFMT_LEFT, 100);
    dlg.m_grid.InsertItem(0, "alpha-1");

    const std::string missing = files.Missing("gone.mdb");
    const std::string locked = files.Copy("real/mdbreader-V2003-with-password.mdb");
    struct Case {
        std::string path, line;
    };
    for (const Case& c : {Case{missing, "DAO--Exception: Could not find file '" + missing + "'.\r\n"},
                          Case{locked, "DAO--Exception: Not a valid password.\r\n"}}) {
        TestApp().Reset();
        TestApp().answers = {IDOK};
        dlg.m_editLog.SetWindowText("");
        dlg.OpenDatabase(c.path.c_str());
        EXPECT_EQ(Log(), c.line);
        CString label;
        dlg.m_stcPath.GetWindowText(label);
        EXPECT_EQ(std::string(label), c.path);
        ASSERT_EQ(TestApp().boxes.size(), 1u);
        EXPECT_EQ(TestApp().boxes[0].text, kFailedToOpen);
        EXPECT_TRUE(dlg.m_strDbPath.IsEmpty());
        EXPECT_TRUE(Tables().empty());
        EXPECT_FALSE(dlg.m_db.IsOpen());
    }
    // The grid keeps what it showed.
    EXPECT_EQ(Cell(dlg.m_grid, 0, 0), "alpha-1");

    // Read Once without a selection (the list is empty) only asks.
    TestApp().Reset();
    TestApp().answers = {IDOK};
    Click(IDC_READ_ONCE);
    ASSERT_EQ(TestApp().boxes.size(), 1u);
    EXPECT_EQ(TestApp().boxes[0].text, kSelectFirst);
    EXPECT_EQ(Rows(dlg.m_grid), 1);
}

TEST_F(ViewerOpen, AnotherDatabaseForgetsTheCurrentTableSoItsNamesakeIsLaidOutAfresh)
{
    OpenCopy("rows.mdb");
    ASSERT_TRUE(Select("Four"));
    Click(IDC_READ_ONCE);
    dlg.m_grid.SetColumnWidth(0, 77);  // as the operator may drag it
    // Another file, with a table of the same name.
    const std::string other = files.Missing("other.mdb");
    ASSERT_TRUE(::CopyFileA(files.Copy("rows.mdb").c_str(), other.c_str(), FALSE));
    dlg.OpenDatabase(other.c_str());
    EXPECT_TRUE(dlg.m_strTable.IsEmpty());
    EXPECT_TRUE(dlg.m_strSQL.IsEmpty());
    EXPECT_EQ(Columns(dlg.m_grid)[0].width, 77) << "the grid keeps what it showed";

    ASSERT_TRUE(Select("Four"));
    Click(IDC_READING);
    EXPECT_EQ(Columns(dlg.m_grid)[0].width, 40);
    EXPECT_EQ(std::string(dlg.m_strTable), "Four");
    EXPECT_EQ(std::string(dlg.m_strSQL), "SELECT TOP 1000 [N], [Word] FROM Four");
    dlg.StopModes();
    EXPECT_EQ(Log(), "");
}

TEST_F(ViewerOpen, AnOpenUpdatingConnectionIsClosedByOpening)
{
    const std::string path = OpenCopy("rows.mdb");
    dlg.m_db.Open(path.c_str(), FALSE, FALSE, "");
    OpenCopy("catalog.mdb");
    EXPECT_FALSE(dlg.m_db.IsOpen());
    EXPECT_EQ(Tables().size(), 4u);
}

// "Browse..." runs the system's file dialog; the steps answer it as the operator would.
class ViewerBrowse : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApp().Reset();
        TestApp().answers = {IDOK};
        copy = files.Copy("rows.mdb");
        ::SetCurrentDirectoryA("C:\\windows");
        before = CurrentDirectory();
    }
    void TearDown() override { ::SetCurrentDirectoryA(before.c_str()); }

    // Presses "Browse..." and answers the file dialog with the path, or
    // cancels it when the path is empty. With openFirst, the copy is opened
    // before.
    void Browse(const std::string& path, bool openFirst = false)
    {
        RunModal(dlg, {
            [&] {
                if (openFirst) dlg.OpenDatabase(copy.c_str());
                ::PostMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, IDC_BROWSE)));
            },
            [&] {
                HWND open = FindThreadDialog("Open");
                if (!open) return RetryStep();
                if (path.empty()) {
                    ::PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
                    return;
                }
                HWND name = ::GetDlgItem(open, 0x47C);  // the file-name box
                if (!name) name = ::GetDlgItem(open, 0x480);
                ASSERT_NE(name, nullptr);
                ::SetWindowTextA(name, path.c_str());
                ::PostMessageA(open, WM_COMMAND, IDOK, 0);
            },
            [&] {
                if (FindThreadDialog("Open")) return RetryStep();
                afterwards = CurrentDirectory();
                tables = static_cast<int>(dlg.m_lstTables.GetCount());
                dlg.EndDialog(IDOK);
            },
        });
    }

    FixtureCopies files;
    CQuillmereDlg dlg;
    std::string copy, before, afterwards;
    int tables = -1;
};

TEST_F(ViewerBrowse, ChosenFileIsOpenedAndTheWorkingDirectoryPutBack)
{
    Browse(copy);
    EXPECT_EQ(std::string(dlg.m_strDbPath), copy);
    EXPECT_EQ(tables, 7);
    EXPECT_EQ(afterwards, before);
    EXPECT_EQ(TestApp().boxes.size(), 1u);  // only the start-up's
}

TEST_F(ViewerBrowse, CancellingChangesNothing)
{
    Browse("", true);
    EXPECT_EQ(std::string(dlg.m_strDbPath), copy);
    EXPECT_EQ(tables, 7);
    EXPECT_EQ(afterwards, before);
    EXPECT_EQ(TestApp().boxes.size(), 1u);
}

TEST_F(ViewerOpen, TableInfoIsFalseWithoutADatabaseOrPastTheLastTable)
{
    CDaoTableDefInfo info;
    EXPECT_FALSE(dlg.GetTableInfo(nullptr, info, 0));
    CDaoDatabase closed;
    EXPECT_FALSE(dlg.GetTableInfo(&closed, info, 0));
    CDaoDatabase db;
    db.Open(files.Copy("catalog.mdb").c_str(), FALSE, FALSE, "");
    EXPECT_TRUE(dlg.GetTableInfo(&db, info, 9));
    EXPECT_EQ(std::string(info.m_strName), "LinkedGames");
    EXPECT_FALSE(dlg.GetTableInfo(&db, info, 10));
    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(TestApp().boxes.empty());
}

TEST_F(ViewerOpen, CatchLinesOfTheDataAccessLayer)
{
    dlg.RunGuarded([] { AfxThrowDaoException(AFX_DAO_ERROR_OBJECT_NOT_OPEN); });
    dlg.RunGuarded([&] {
        CDaoDatabase db;
        db.Open(files.Copy("rows.mdb").c_str(), FALSE, FALSE, "");
        CDaoRecordset rs(&db);
        rs.Open(dbOpenSnapshot, "SELECT TOP 1000 [N] FROM Nowhere", 0);
    });
    EXPECT_EQ(Log(), "DAO--Exception: The database object is not open.\r\n"
                     "DAO--Exception: The database engine cannot find the input table or query 'Nowhere'.  "
                     "Make sure it exists and that its name is spelled correctly.\r\n");
}
