// The viewer's reading tick as the program runs it: the dialog shown, a
// table read once, then RefreshTable (the tick's read) and the paint that
// follows, timed again and again. Two cases per table: nothing changed since
// the last tick (a quiet database), and a few values changed by another
// writer before each tick (a live one). Also the update pass.
//   viewer_tick.exe FOLDER-WITH-perf.mdb [TICKS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "afx.h"
#include "bench_support.h"
#include <psapi.h>
#include "quillmere_dlg.h"

// Every allocation of the program's own code is counted, so that a stage's
// allocations can be told apart from its time on a noisy machine.
namespace {
long g_nAllocations = 0;
}

void* operator new(std::size_t n)
{
    ++g_nAllocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// The list's own window procedure, counted: what reaches the list below the
// framework and the grid, by message.
struct ListCalls {
    long nSetText = 0, nGetText = 0, nInsert = 0, nSetItem = 0, nGetItem = 0, nOther = 0;
    long Total() const { return nSetText + nGetText + nInsert + nSetItem + nGetItem + nOther; }
};
ListCalls g_calls;
WNDPROC g_pfnList = nullptr;

LRESULT CALLBACK CountingListProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case LVM_SETITEMTEXTA: ++g_calls.nSetText; break;
    case LVM_GETITEMTEXTA: ++g_calls.nGetText; break;
    case LVM_INSERTITEMA: ++g_calls.nInsert; break;
    case LVM_SETITEMA: ++g_calls.nSetItem; break;
    case LVM_GETITEMA: ++g_calls.nGetItem; break;
    default: ++g_calls.nOther; break;
    }
    return ::CallWindowProcA(g_pfnList, hWnd, message, wParam, lParam);
}

// The procedure a framework window hands the messages it does not handle to.
struct CWndAccess : CWnd {
    static WNDPROC& Super(CWnd& wnd) { return wnd.*(&CWndAccess::m_pfnSuper); }
};

// Puts the counter between the grid and the list while it lives.
class CListCounter {
public:
    explicit CListCounter(CWnd& wnd) : m_wnd(wnd)
    {
        g_pfnList = CWndAccess::Super(m_wnd);
        CWndAccess::Super(m_wnd) = &CountingListProc;
        g_calls = ListCalls();
    }
    ~CListCounter() { CWndAccess::Super(m_wnd) = g_pfnList; }
    CListCounter(const CListCounter&) = delete;
    CListCounter& operator=(const CListCounter&) = delete;

private:
    CWnd& m_wnd;
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Changes nCells values of the first field of the first records, the way
// another program writing the database would.
void ChangeSome(const CString& strPath, const CString& strSQL, int nCells, int nRound)
{
    CDaoDatabase db;
    db.Open(strPath, FALSE, FALSE, "");
    CDaoRecordset rs(&db);
    rs.Open(dbOpenDynaset, strSQL, 0);
    for (int i = 0; i < nCells && !rs.IsEOF(); ++i, rs.MoveNext()) {
        COleVariant value = rs.GetFieldValue(0);
        if (value.vt != VT_I4) break;
        value.lVal += (nRound % 2) ? 1 : -1;
        rs.Edit();
        rs.SetFieldValue(0, value);
        rs.Update();
    }
}

// Boxes of the program (the start-up's complaint about the default database)
// are answered at once.
class CBenchApp : public CWinApp {
public:
    int DoMessageBox(LPCSTR, UINT, UINT) override { return IDOK; }
};
CBenchApp theApp;

class CTickDlg : public CQuillmereDlg {
public:
    // Choosing the demo database: opened, its ordinary tables listed, the
    // window drawn again.
    void TimeOpen(const char* source, const std::string& copy, int nTimes)
    {
        if (!::CopyFileA(source, copy.c_str(), FALSE)) {
            std::printf("cannot copy %s\n", source);
            return;
        }
        std::vector<double> times;
        for (int t = 0; t <= nTimes; ++t) {  // the first warms up
            const double start = Now();
            OpenDatabase(copy.c_str());
            UpdateWindow();
            Pump();
            if (t > 0) times.push_back(Now() - start);
        }
        std::printf("open + catalogue, NflSummary.mdb (%d tables listed): median %.2f ms\n",
                    m_lstTables.GetCount(), Median(times));
        Figure("viewer.open_ms", Median(times));
        ::DeleteFileA(copy.c_str());
    }

    // One tick taken apart, stage by stage, each stage timed over every cell
    // of the grid on its own: fetching the values, formatting them, a message
    // to the grid that nothing handles (the way through the framework), the
    // list handing back a held text, the list taking a text it already
    // holds, and a paint of the visible rows. Then the counts of one quiet
    // tick and of a first read: calls into the list and allocations.
    void Breakdown(const std::string& key, int nTicks)
    {
        const int nRows = m_grid.GetItemCount();
        const int nCols = m_grid.GetHeaderCtrl() ? m_grid.GetHeaderCtrl()->GetItemCount() : 0;
        const double nCells = static_cast<double>(nRows) * nCols;
        std::vector<double> fetch, format, dispatch, heldText, listSet, paint;
        std::vector<CString> texts(static_cast<size_t>(nCells));
        char buffer[600];
        for (int t = 0; t < nTicks; ++t) {
            double start = Now();
            {
                CDaoDatabase db;
                db.Open(m_strDbPath, FALSE, FALSE, "");
                CDaoRecordset rs(&db);
                rs.Open(dbOpenSnapshot, m_strSQL, 0);
                rs.MoveLast();
                rs.MoveFirst();
                COleVariant value;
                const short n = rs.GetFieldCount();
                for (; !rs.IsEOF(); rs.MoveNext())
                    for (short f = 0; f < n; ++f) rs.GetFieldValue(f, value);
                fetch.push_back(Now() - start);

                // The same moves as above, so that the difference is the formatting alone.
                start = Now();
                rs.MoveLast();
                rs.MoveFirst();
                size_t i = 0;
                for (; !rs.IsEOF(); rs.MoveNext())
                    for (short f = 0; f < n; ++f) {
                        rs.GetFieldValue(f, value);
                        if (i < texts.size()) texts[i++] = ToString(value, 3, 0x80000000);
                    }
                format.push_back(Now() - start - fetch.back());
            }

            start = Now();
            for (int r = 0; r < nRows; ++r)
                for (int c = 0; c < nCols; ++c) m_grid.SendMessage(WM_NULL, static_cast<WPARAM>(r), c);
            dispatch.push_back(Now() - start);

            start = Now();
            for (int r = 0; r < nRows; ++r)
                for (int c = 0; c < nCols; ++c) {
                    LVITEMA item{};
                    item.iSubItem = c;
                    item.pszText = buffer;
                    item.cchTextMax = sizeof buffer;
                    ::CallWindowProcA(CWndAccess::Super(m_grid), m_grid.m_hWnd, LVM_GETITEMTEXTA, static_cast<WPARAM>(r),
                                      reinterpret_cast<LPARAM>(&item));
                }
            heldText.push_back(Now() - start);

            start = Now();
            for (int r = 0; r < nRows; ++r)
                for (int c = 0; c < nCols; ++c) {
                    LVITEMA item{};
                    item.iSubItem = c;
                    item.pszText = const_cast<LPSTR>(static_cast<LPCSTR>(texts[static_cast<size_t>(r) * nCols + c]));
                    ::CallWindowProcA(CWndAccess::Super(m_grid), m_grid.m_hWnd, LVM_SETITEMTEXTA, static_cast<WPARAM>(r),
                                      reinterpret_cast<LPARAM>(&item));
                }
            listSet.push_back(Now() - start);

            m_grid.Invalidate(FALSE);
            start = Now();
            m_grid.UpdateWindow();
            paint.push_back(Now() - start);
            Pump();
        }
        const double us = 1000.0 / nCells;  // ms over every cell -> microseconds a cell
        std::printf("  stages over all %.0f cells (median ms, microseconds a cell):\n", nCells);
        const std::pair<const char*, std::vector<double>*> stages[] = {
            {"fetch", &fetch},           {"format", &format},       {"dispatch", &dispatch},
            {"held_text", &heldText},    {"list_same_set", &listSet}};
        for (const auto& [name, values] : stages) {
            const double m = Median(*values);
            std::printf("    %-14s %8.2f ms  %6.3f us\n", name, m, m * us);
            Figure(key + "stage." + name + "_ms", m);
        }
        std::printf("    %-14s %8.2f ms  (the visible rows)\n", "paint", Median(paint));
        Figure(key + "stage.paint_ms", Median(paint));

        // Counts of one quiet tick.
        {
            CListCounter counter(m_grid);
            const long nAllocations = g_nAllocations;
            RefreshTable();
            const long nTickAllocations = g_nAllocations - nAllocations;
            m_grid.UpdateWindow();
            Pump();
            std::printf("  quiet tick: %ld calls into the list (%ld set text, %ld get text), %ld allocations\n",
                        g_calls.Total(), g_calls.nSetText, g_calls.nGetText, nTickAllocations);
            Figure(key + "tick_list_calls", static_cast<double>(g_calls.Total()));
            Figure(key + "tick_allocations", static_cast<double>(nTickAllocations));
        }
        // Counts of a first read: every row taken off and put on again.
        {
            m_grid.SendMessage(LVM_DELETEALLITEMS, 0, 0);
            CListCounter counter(m_grid);
            const long nAllocations = g_nAllocations;
            const double start = Now();
            RefreshTable();
            m_grid.UpdateWindow();
            Pump();
            const double ms = Now() - start;
            const long nReadAllocations = g_nAllocations - nAllocations;
            std::printf("  first read again: %.0f ms, %ld calls into the list (%ld insert, %ld set item, %ld get item,"
                        " %ld set text, %ld get text, %ld other), %ld allocations\n",
                        ms, g_calls.Total(), g_calls.nInsert, g_calls.nSetItem, g_calls.nGetItem, g_calls.nSetText,
                        g_calls.nGetText, g_calls.nOther, nReadAllocations);
            Figure(key + "read_list_calls", static_cast<double>(g_calls.Total()));
            Figure(key + "read_allocations", static_cast<double>(nReadAllocations));
        }
        std::fflush(stdout);
    }

    void Run(const char* table, int nTicks)
    {
        const int index = m_lstTables.FindStringExact(-1, table);
        if (index < 0) {
            std::printf("%s: not in the list\n", table);
            return;
        }
        m_lstTables.SetCurSel(index);
        double start = Now();
        SendMessage(WM_COMMAND, MAKEWPARAM(IDC_READ_ONCE, BN_CLICKED),
                    reinterpret_cast<LPARAM>(::GetDlgItem(m_hWnd, IDC_READ_ONCE)));
        UpdateWindow();
        Pump();
        const double first = Now() - start;
        std::printf("%s: first read (Read Once) %.0f ms, %d rows\n", table, first, m_grid.GetItemCount());
        const std::string key = std::string("viewer.") + table + ".";
        Figure(key + "first_read_ms", first);
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        if (::K32GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory)) {
            std::printf("  peak working set so far: %.1f MB\n", memory.PeakWorkingSetSize / 1048576.0);
            Figure(key + "peak_working_set_mb", memory.PeakWorkingSetSize / 1048576.0);
        }

        // The database's part alone: the query read and every value fetched.
        std::vector<double> dbOnly;
        for (int t = 0; t < nTicks; ++t) {
            start = Now();
            CDaoDatabase db;
            db.Open(m_strDbPath, FALSE, FALSE, "");
            CDaoRecordset rs(&db);
            rs.Open(dbOpenSnapshot, m_strSQL, 0);
            COleVariant value;
            const short n = rs.GetFieldCount();
            for (; !rs.IsEOF(); rs.MoveNext())
                for (short f = 0; f < n; ++f) rs.GetFieldValue(f, value);
            dbOnly.push_back(Now() - start);
        }
        std::vector<double> quiet, live, reads;
        for (int t = 0; t < nTicks; ++t) {
            start = Now();
            RefreshTable();
            const double read = Now() - start;
            m_grid.UpdateWindow();
            Pump();
            quiet.push_back(Now() - start);
            reads.push_back(read);
        }
        for (int t = 0; t < nTicks; ++t) {
            ChangeSome(m_strDbPath, m_strSQL, 50, t);
            start = Now();
            RefreshTable();
            m_grid.UpdateWindow();
            Pump();
            live.push_back(Now() - start);
        }
        std::printf("  reading tick, nothing changed:      median %8.2f ms (of which RefreshTable %.2f ms)\n",
                    Median(quiet), Median(reads));
        std::printf("  reading tick, 50 values changed:    median %8.2f ms\n", Median(live));
        std::printf("  database part alone (open, query, every value): median %8.2f ms\n", Median(dbOnly));
        Figure(key + "tick_ms", Median(quiet));
        Figure(key + "live_tick_ms", Median(live));
        Figure(key + "db_ms", Median(dbOnly));
        Breakdown(key, nTicks);

        m_db.Open(m_strDbPath, FALSE, FALSE, "");
        std::vector<double> passes;
        int nFields = m_grid.GetHeaderCtrl() ? m_grid.GetHeaderCtrl()->GetItemCount() : 0;
        for (int t = 0; t < std::max(1, nTicks / 5); ++t) {
            start = Now();
            const int nRecords = RewriteRecords();
            passes.push_back(Now() - start);
            if (t == 0) nFields *= nRecords;
        }
        m_db.Close();
        const double pass = Median(passes);
        std::printf("  update pass (RewriteRecords):       median %8.2f ms, %d field updates, %.0f per second\n",
                    pass, nFields, nFields * 1000.0 / pass);
        Figure(key + "pass_ms", pass);
        Figure(key + "updates_per_s", nFields * 1000.0 / pass);
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char** argv)
{
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
    if (argc < 2) {
        std::printf("usage: viewer_tick FOLDER [TICKS]\n");
        return 2;
    }
    const int nTicks = argc > 2 ? std::max(3, std::atoi(argv[2])) : 15;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string copy = std::string(temp) + "viewer_tick_perf.mdb";
    if (!::CopyFileA((std::string(argv[1]) + "\\perf.mdb").c_str(), copy.c_str(), FALSE)) {
        std::printf("cannot copy perf.mdb\n");
        return 1;
    }

    CTickDlg dlg;
    dlg.Create(CQuillmereDlg::IDD);
    dlg.ShowWindow(SW_SHOW);
    dlg.OpenDatabase(copy.c_str());
    dlg.UpdateWindow();
    Pump();
    std::printf("%d ticks per figure\n", nTicks);
    dlg.TimeOpen((std::string(argv[1]) + "\\NflSummary.mdb").c_str(), std::string(temp) + "viewer_tick_demo.mdb",
                 nTicks);
    dlg.OpenDatabase(copy.c_str());
    Pump();
    dlg.Run("Perf20", nTicks);
    dlg.Run("Perf240", nTicks);
    dlg.DestroyWindow();
    Pump();
    ::DeleteFileA(copy.c_str());
    return 0;
}
