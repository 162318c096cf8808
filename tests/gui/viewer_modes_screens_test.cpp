// The reading mode following a database another program changes, seen as
// the operator sees it; the pictures of it (and of the log after an error)
// are saved in the build folder.
#include <gtest/gtest.h>
#include <string>
#include "reading_modes.h"
#include "viewer_test_support.h"

namespace {
// A folder of the tests' Wine prefix, so that the pictures show a plain path.
constexpr char kDemoFolder[] = "C:\\Demo";
constexpr char kDemoPath[] = "C:\\Demo\\NflSummary.mdb";
constexpr int kGames = 272;
constexpr int kHomeScoreColumn = 6;

// Another program's write: game 1's home score.
void SetFirstHomeScore(short nScore)
{
    CDaoDatabase db;
    db.Open(kDemoPath, FALSE, FALSE, "");
    CDaoRecordset rs(&db);
    rs.Open(dbOpenDynaset, "SELECT TOP 1000 [GameId], [HomeScore] FROM Games", 0);
    rs.Edit();
    rs.SetFieldValue(1, COleVariant(nScore));
    rs.Update();
}
} // namespace

TEST(ReadingFollows, TheGridShowsWhatAnotherProgramWroteAndTheLogShowsAnError)
{
    TestApp().Reset();
    TestApp().answers = {IDOK, IDOK};
    FixtureCopies files;
    ::CreateDirectoryA(kDemoFolder, nullptr);
    ASSERT_TRUE(::CopyFileA(files.Copy("NflSummary.mdb").c_str(), kDemoPath, FALSE));
    s_nReadTotal = 0;

    CQuillmereDlg dlg;
    DWORD nSeen = 0;
    std::string before, after, log;
    bool followed = false, errorShown = false;
    RunModal(dlg, {
        [&] {
            dlg.OpenDatabase(kDemoPath);
            dlg.m_editLog.SetWindowText("");
            dlg.m_lstTables.SetCurSel(dlg.m_lstTables.FindStringExact(-1, "Games"));
            dlg.m_editInterval.SetWindowText("1");
            dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_READING, BN_CLICKED),
                            reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, IDC_READING)));
        },
        [&] {
            if (s_nReadTotal < static_cast<DWORD>(kGames)) return RetryStep();
            before = Cell(dlg.m_grid, 0, kHomeScoreColumn);
            SetFirstHomeScore(99);
            nSeen = s_nReadTotal;
        },
        [&] {
            // Two ticks later the change has certainly been read.
            if (s_nReadTotal < nSeen + 2 * kGames) return RetryStep();
            after = Cell(dlg.m_grid, 0, kHomeScoreColumn);
            dlg.UpdateWindow();
            followed = SaveWindowPng(dlg.m_hWnd, QM_SCREENSHOT_DIR "/viewer-following.png");
            dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_READING, BN_CLICKED),
                            reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, IDC_READING)));
            dlg.OpenDatabase("C:\\Demo\\Missing.mdb");
        },
        [&] { dlg.UpdateWindow(); },
        [&] {
            CString text;
            dlg.m_editLog.GetWindowText(text);
            log = std::string(text);
            errorShown = SaveWindowPng(dlg.m_hWnd, QM_SCREENSHOT_DIR "/viewer-error.png");
            dlg.EndDialog(IDOK);
        },
    });
    EXPECT_NE(before, "99");
    EXPECT_EQ(after, "99");
    EXPECT_TRUE(followed);
    EXPECT_TRUE(errorShown);
    EXPECT_EQ(log, "DAO--Exception: Could not find file 'C:\\Demo\\Missing.mdb'.\r\n");
    ::DeleteFileA(kDemoPath);
    ::RemoveDirectoryA(kDemoFolder);
}
