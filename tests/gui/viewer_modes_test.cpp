// The reading and updating modes driven through the dialog's buttons, with
// real timer ticks handled by the message loop.
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include "reading_modes.h"
#include "viewer_test_support.h"

namespace {
constexpr char kQuestion[] = "Are you sure you wish to UPDATE? \nDo NOT use this feature live during a game!!!";
constexpr UINT_PTR kTimer = 1010;

// Handles messages until the condition holds or the time is up; the time
// only bounds a broken run.
bool WaitFor(const std::function<bool()>& done, DWORD ms = 10000)
{
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

// While it lives, every SetTimer of this program fails as on a system that
// has no timer left to give: the program's import of it is pointed at a
// stand-in that returns 0.
class FailingSetTimer {
public:
    FailingSetTimer() : m_slot(ImportSlot("user32.dll", "SetTimer"))
    {
        if (m_slot) m_pPrev = Swap(reinterpret_cast<void*>(&NoTimer));
    }
    ~FailingSetTimer()
    {
        if (m_slot) Swap(m_pPrev);
    }
    FailingSetTimer(const FailingSetTimer&) = delete;
    FailingSetTimer& operator=(const FailingSetTimer&) = delete;
    bool Active() const { return m_slot != nullptr; }

private:
    static UINT_PTR WINAPI NoTimer(HWND, UINT_PTR, UINT, TIMERPROC)
    {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    // The entry of the program's import address table through which it calls
    // the function, found by the name it imports it by.
    static void** ImportSlot(const char* pszDll, const char* pszName)
    {
        BYTE* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); dll->Name;
             ++dll) {
            if (_stricmp(reinterpret_cast<const char*>(base + dll->Name), pszDll) != 0 || !dll->OriginalFirstThunk)
                continue;
            auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), pszName) == 0)
                    return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
        return nullptr;
    }
    void* Swap(void* pNew)
    {
        DWORD dwProtect = 0;
        ::VirtualProtect(m_slot, sizeof *m_slot, PAGE_READWRITE, &dwProtect);
        void* pOld = *m_slot;
        *m_slot = pNew;
        ::VirtualProtect(m_slot, sizeof *m_slot, dwProtect, &dwProtect);
        return pOld;
    }

    void** m_slot;
    void* m_pPrev = nullptr;
};

class Modes : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        s_nReadTotal = 0;
        s_nUpdateTotal = 0;
    }
    void TearDown() override
    {
        if (dlg.m_nTimerId) dlg.KillTimer(dlg.m_nTimerId);
        dlg.m_nTimerId = 0;
        ViewerTest::TearDown();
    }
    std::string Text(CWnd& wnd) const
    {
        CString text;
        wnd.GetWindowText(text);
        return std::string(text);
    }
    // The captions and the table list's state in one line, e.g. "STOP/Start list off".
    std::string State() const
    {
        CString reading, updating;
        dlg.m_btnReading.GetWindowText(reading);
        dlg.m_btnUpdating.GetWindowText(updating);
        std::string s = std::string(reading).substr(0, 5) == "STOP " ? "STOP" : "Start";
        s += std::string(updating).substr(0, 5) == "STOP " ? "/STOP" : "/Start";
        s += dlg.m_lstTables.IsWindowEnabled() ? " list on" : " list off";
        return s;
    }
    // Answers the update question with Yes (or No) and presses the toggle.
    void ToggleUpdating(int answer = IDYES)
    {
        TestApp().answers.push_back(answer);
        Click(IDC_UPDATING);
    }
    // Waits for the next tick of the timer.
    bool NextTick()
    {
        const DWORD reads = s_nReadTotal, updates = s_nUpdateTotal;
        const UINT timer = dlg.m_nTimerId;
        return WaitFor([&] { return s_nReadTotal != reads || s_nUpdateTotal != updates || dlg.m_nTimerId != timer; });
    }
};
} // namespace

TEST_F(Modes, TheStateTableThroughEveryTransition)
{
    OpenCopy("rows.mdb");
    ASSERT_TRUE(Select("Four"));
    EXPECT_EQ(State(), "Start/Start list on");
    Click(IDC_READING);
    EXPECT_EQ(State(), "STOP/Start list off");
    EXPECT_EQ(Text(dlg.m_btnReading), "STOP Reading MDB");
    EXPECT_EQ(dlg.m_nTimerId, kTimer);
    EXPECT_FALSE(dlg.m_db.IsOpen());
    EXPECT_EQ(Rows(dlg.m_grid), 4);  // the first read of a new table

    ToggleUpdating();
    ASSERT_EQ(TestApp().boxes.size(), 1u);
    EXPECT_EQ(TestApp().boxes[0].text, kQuestion);
    EXPECT_EQ(TestApp().boxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(State(), "STOP/STOP list off");
    EXPECT_EQ(Text(dlg.m_btnUpdating), "STOP Updating MDB");
    EXPECT_TRUE(dlg.m_db.IsOpen());

    Click(IDC_READING);
    EXPECT_EQ(State(), "Start/STOP list off");
    EXPECT_EQ(Text(dlg.m_btnReading), "Start Reading MDB");
    Click(IDC_UPDATING);  // switching off asks nothing
    EXPECT_EQ(TestApp().boxes.size(), 1u);
    EXPECT_EQ(State(), "Start/Start list on");
    EXPECT_EQ(Text(dlg.m_btnUpdating), "Start Updating MDB");
    EXPECT_FALSE(dlg.m_db.IsOpen());
    EXPECT_EQ(dlg.m_nTimerId, kTimer);  // until the next tick

    ToggleUpdating();
    EXPECT_EQ(State(), "Start/STOP list off");
    Click(IDC_READING);
    EXPECT_EQ(State(), "STOP/STOP list off");
    Click(IDC_UPDATING);
    EXPECT_EQ(State(), "STOP/Start list off");
    EXPECT_FALSE(dlg.m_db.IsOpen());
    ToggleUpdating();
    dlg.StopModes();
    EXPECT_EQ(State(), "Start/Start list on");
    EXPECT_FALSE(dlg.m_db.IsOpen());
    EXPECT_EQ(TestApp().boxes.size(), 3u);
    EXPECT_EQ(Log(), "");
}

TEST_F(Modes, TheIntervalEditSetsThePeriodAndShowsTheIntervalInUse)
{
    OpenCopy("rows.mdb");
    ASSERT_TRUE(Select("Four"));
    for (const auto& [typed, shown] : {std::pair{"", "20"}, {"0", "20"}, {"5", "5"}, {"007", "7"}, {"x9", "20"}}) {
        SCOPED_TRACE(typed);
        dlg.m_editInterval.SetWindowText(typed);
        dlg.StartTimer();
        EXPECT_EQ(dlg.m_nTimerId, kTimer);
        EXPECT_EQ(Text(dlg.m_editInterval), shown);
        dlg.KillTimer(dlg.m_nTimerId);
        dlg.m_nTimerId = 0;
    }
    dlg.m_editInterval.SetWindowText("1");
    Click(IDC_READING);
    ASSERT_TRUE(WaitFor([&] { return s_nReadTotal >= 12; }));
    EXPECT_EQ(Text(dlg.m_editReadRows), std::to_string(s_nReadTotal) + " rows");
}

TEST_F(Modes, StoppingAndStartingBeforeATickKeepsTheTimerAndTheTotal)
{
    OpenCopy("rows.mdb");
    ASSERT_TRUE(Select("Four"));
    dlg.m_editInterval.SetWindowText("1");
    Click(IDC_READING);
    ASSERT_TRUE(NextTick());
    EXPECT_EQ(s_nReadTotal, 4u);
    EXPECT_EQ(Text(dlg.m_editReadRows), "4 rows");
    Click(IDC_READING);
    dlg.m_editInterval.SetWindowText("50");  // not read again: the timer stays
    Click(IDC_READING);
    EXPECT_EQ(Text(dlg.m_editInterval), "50");
    ASSERT_TRUE(NextTick());
    EXPECT_EQ(s_nReadTotal, 8u);
    EXPECT_EQ(Text(dlg.m_editReadRows), "8 rows");
}

TEST_F(Modes, BothModesReadThenWriteAndCountApartUntilATickFindsBothOff)
{
    OpenCopy("rows.mdb");
    ASSERT_TRUE(Select("Three5"));
    dlg.m_editInterval.SetWindowText("1");
    Click(IDC_READING);
    ToggleUpdating();
    ASSERT_TRUE(WaitFor([&] { return s_nUpdateTotal >= 6; }));
    // Each tick read 3 rows and wrote 3 records.
    EXPECT_EQ(s_nReadTotal, s_nUpdateTotal);
    EXPECT_EQ(Text(dlg.m_editUpdateRows), std::to_string(s_nUpdateTotal) + " rows");
    EXPECT_EQ(Text(dlg.m_editReadRows), std::to_string(s_nReadTotal) + " rows");

    dlg.StopModes();
    const std::string readShown = Text(dlg.m_editReadRows), updateShown = Text(dlg.m_editUpdateRows);
    ASSERT_TRUE(WaitFor([&] { return dlg.m_nTimerId == 0; }));
    EXPECT_EQ(s_nReadTotal, 0u);
    EXPECT_EQ(s_nUpdateTotal, 0u);
    EXPECT_EQ(Text(dlg.m_editReadRows), readShown);
    EXPECT_EQ(Text(dlg.m_editUpdateRows), updateShown);
    EXPECT_EQ(Log(), "");
}

TEST_F(Modes, OnlyTheUpdatingModeCountsWhenReadingIsOff)
{
    OpenCopy("rows.mdb");
    ASSERT_TRUE(Select("Five"));
    dlg.m_editInterval.SetWindowText("1");
    ToggleUpdating();
    ASSERT_TRUE(WaitFor([&] { return s_nUpdateTotal >= 10; }));
    EXPECT_EQ(s_nReadTotal, 0u);
    EXPECT_EQ(Text(dlg.m_editReadRows), "");
}

TEST_F(Modes, NoToTheQuestionLeavesUpdatingOffButTheNewTableIsLaidOut)
{
    OpenCopy("rows.mdb");
    ASSERT_TRUE(Select("Five"));
    ToggleUpdating(IDNO);
    EXPECT_EQ(State(), "Start/Start list on");
    EXPECT_FALSE(dlg.m_db.IsOpen());
    EXPECT_EQ(dlg.m_nTimerId, 0u);
    EXPECT_EQ(std::string(dlg.m_strTable), "Five");
    EXPECT_EQ(Rows(dlg.m_grid), 5);
    EXPECT_EQ(std::string(dlg.m_strSQL), "SELECT TOP 1000 [N], [Word] FROM Five");
}

TEST_F(Modes, WithoutQueryTextEveryTickLogsInsteadOfReadingOrWriting)
{
    const std::string path = OpenCopy("rows.mdb");
    ASSERT_TRUE(Select("Four"));
    // The database has gone when the modes start: their first read reads nothing.
    ASSERT_TRUE(::DeleteFileA(path.c_str()));
    dlg.m_editInterval.SetWindowText("1");
    Click(IDC_READING);
    ToggleUpdating();
    EXPECT_TRUE(dlg.m_strSQL.IsEmpty());
    EXPECT_EQ(State(), "STOP/STOP list off");
    dlg.m_editLog.SetWindowText("");
    const std::string tick = "no SQL string for Reading\r\nno SQL string for Updating\r\n";
    ASSERT_TRUE(WaitFor([&] { return Log().size() >= 2 * tick.size(); }));
    EXPECT_EQ(Log().substr(0, 2 * tick.size()), tick + tick);
    EXPECT_EQ(s_nReadTotal, 0u);
    EXPECT_EQ(s_nUpdateTotal, 0u);
    EXPECT_EQ(Text(dlg.m_editReadRows), "");
}

TEST_F(Modes, WithoutASelectionAToggleOnlyAsks)
{
    OpenCopy("rows.mdb");
    TestApp().answers = {IDOK, IDOK};
    Click(IDC_READING);
    Click(IDC_UPDATING);
    ASSERT_EQ(TestApp().boxes.size(), 2u);
    EXPECT_EQ(TestApp().boxes[0].text, kSelectFirst);
    EXPECT_EQ(TestApp().boxes[1].text, kSelectFirst);
    EXPECT_EQ(State(), "Start/Start list on");
    EXPECT_EQ(dlg.m_nTimerId, 0u);
}

TEST_F(Modes, OpeningADatabaseOrReadingOnceStopsBothModes)
{
    OpenCopy("rows.mdb");
    ASSERT_TRUE(Select("Four"));
    Click(IDC_READING);
    ToggleUpdating();
    Click(IDC_READ_ONCE);
    EXPECT_EQ(State(), "Start/Start list on");
    EXPECT_FALSE(dlg.m_db.IsOpen());
    Click(IDC_READING);
    ToggleUpdating();
    OpenCopy("types.mdb");
    EXPECT_EQ(State(), "Start/Start list on");
    EXPECT_FALSE(dlg.m_db.IsOpen());
}

namespace {
DWORD g_readsWhileAsked = 0;
bool g_answered = false;

// Answers the update question once the reading mode has ticked under it.
void CALLBACK AnswerWhenTicked(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND box = FindThreadDialog("Quillmere tests");
    if (!box || s_nReadTotal < 8) return;
    ::KillTimer(nullptr, id);
    g_readsWhileAsked = s_nReadTotal;
    g_answered = true;
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
}
} // namespace

TEST_F(Modes, ReadingTicksRunWhileTheUpdateQuestionIsOpen)
{
    OpenCopy("rows.mdb");
    ASSERT_TRUE(Select("Four"));
    dlg.m_editInterval.SetWindowText("1");
    Click(IDC_READING);
    ASSERT_TRUE(NextTick());
    const DWORD before = s_nReadTotal;
    TestApp().realBoxes = true;
    g_answered = false;
    ::SetTimer(nullptr, 0, 50, AnswerWhenTicked);
    Click(IDC_UPDATING);  // returns when the box is answered
    EXPECT_TRUE(g_answered);
    EXPECT_GT(g_readsWhileAsked, before);
    EXPECT_EQ(State(), "STOP/Start list off");
    EXPECT_FALSE(dlg.m_db.IsOpen());
}

TEST_F(Modes, WithoutATimerAModeStaysOffAndTheLogSaysSo)
{
    OpenCopy("rows.mdb");
    ASSERT_TRUE(Select("Four"));
    {
        FailingSetTimer noTimers;
        ASSERT_TRUE(noTimers.Active());
        Click(IDC_READING);
        ToggleUpdating();
    }
    EXPECT_EQ(State(), "Start/Start list on");
    EXPECT_EQ(dlg.m_nTimerId, 0u);
    EXPECT_FALSE(dlg.m_db.IsOpen());
    const std::string line = "Failed to start the timer; the mode stays off.\r\n";
    EXPECT_EQ(Log(), line + line);
    // Once a timer can be made, the same press starts the mode.
    Click(IDC_READING);
    EXPECT_EQ(State(), "STOP/Start list off");
    EXPECT_EQ(dlg.m_nTimerId, kTimer);
}

// The mode started while its database could not be opened; then the file came
// back without the table. Whatever ends the mode ends it.
TEST_F(Modes, AModeWhoseTableCouldNotBeLaidOutStillEnds)
{
    std::string path;
    struct Ending {
        const char* name;
        std::function<void()> press;
    };
    for (const int mode : {IDC_READING, IDC_UPDATING}) {
        const Ending endings[] = {
            {"STOP", [&] { Click(mode); }},
            {"another database", [&] { dlg.OpenDatabase(files.Copy("types.mdb").c_str()); }},
            {"Read Once", [&] { Click(IDC_READ_ONCE); }},
            {"Repair DB", [&] { Click(IDC_REPAIR_DB); }},
        };
        for (const Ending& ending : endings) {
            SCOPED_TRACE(std::string(mode == IDC_READING ? "reading, " : "updating, ") + ending.name);
            path = OpenCopy("catalog.mdb");
            ASSERT_TRUE(Select("Beta"));
            ASSERT_TRUE(::DeleteFileA(path.c_str()));
            TestApp().Reset();
            if (mode == IDC_READING)
                Click(IDC_READING);
            else
                ToggleUpdating();
            ASSERT_EQ(State(), mode == IDC_READING ? "STOP/Start list off" : "Start/STOP list off");
            ASSERT_TRUE(::CopyFileA(files.Copy("rows.mdb").c_str(), path.c_str(), FALSE));
            TestApp().answers = {IDOK};
            ending.press();
            EXPECT_EQ(State(), "Start/Start list on");
            EXPECT_FALSE(dlg.m_db.IsOpen());
        }
    }
    // A first read of the updating mode that fails on the gone table leaves
    // its connection closed.
    path = OpenCopy("catalog.mdb");
    ASSERT_TRUE(Select("Beta"));
    ASSERT_TRUE(::CopyFileA(files.Copy("rows.mdb").c_str(), path.c_str(), FALSE));
    TestApp().Reset();
    TestApp().answers = {IDOK};
    Click(IDC_UPDATING);
    ASSERT_EQ(TestApp().boxes.size(), 1u);
    EXPECT_EQ(TestApp().boxes[0].text, "Item not found in this collection.");
    EXPECT_EQ(State(), "Start/Start list on");
    EXPECT_FALSE(dlg.m_db.IsOpen());
}
