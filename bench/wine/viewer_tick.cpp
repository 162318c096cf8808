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
WNDPROC g_pfnHeader = nullptr;

// Time spent inside the list and the header, by message kind, each call's
// own time without the calls it makes in turn (a row inserted notifies the
// grid, which sets the row's data: that set is counted as a set).
enum Kind { kInsertItem, kSetText, kGetText, kSetItem, kGetItem, kDeleteItem, kInsertColumn, kDeleteColumn,
            kListOther, kHeader, kKinds };
const char* const g_kindNames[kKinds] = {"insert_item", "set_text", "get_text", "set_item", "get_item",
                                         "delete_item", "insert_column", "delete_column", "list_other", "header"};
struct KindTimes {
    long n[kKinds] = {};
    double ms[kKinds] = {};
};
KindTimes g_times;
double g_childMs = 0;  // time of the calls made by the call under way

Kind ListKind(UINT message)
{
    switch (message) {
    case LVM_INSERTITEMA: return kInsertItem;
    case LVM_SETITEMTEXTA: return kSetText;
    case LVM_GETITEMTEXTA: return kGetText;
    case LVM_SETITEMA: return kSetItem;
    case LVM_GETITEMA: return kGetItem;
    case LVM_DELETEITEM:
    case LVM_DELETEALLITEMS: return kDeleteItem;
    case LVM_INSERTCOLUMNA: return kInsertColumn;
    case LVM_DELETECOLUMN: return kDeleteColumn;
    default: return kListOther;
    }
}

LRESULT TimedCall(Kind kind, WNDPROC pfn, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const double outerChild = g_childMs;
    g_childMs = 0;
    const double start = Now();
    const LRESULT result = ::CallWindowProcA(pfn, hWnd, message, wParam, lParam);
    const double total = Now() - start;
    g_times.ms[kind] += total - g_childMs;
    ++g_times.n[kind];
    g_childMs = outerChild + total;
    return result;
}

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
    return TimedCall(ListKind(message), g_pfnList, hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CountingHeaderProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return TimedCall(kHeader, g_pfnHeader, hWnd, message, wParam, lParam);
}

// The procedure a framework window hands the messages it does not handle to.
struct CWndAccess : CWnd {
    static WNDPROC& Super(CWnd& wnd) { return wnd.*(&CWndAccess::m_pfnSuper); }
};

// Puts the counter between the grid and the list while it lives, and one in
// front of the list's header (the framework's header included).
class CListCounter {
public:
    explicit CListCounter(CWnd& wnd) : m_wnd(wnd), m_hHeader(ListView_GetHeader(wnd.m_hWnd))
    {
        g_pfnList = CWndAccess::Super(m_wnd);
        CWndAccess::Super(m_wnd) = &CountingListProc;
        if (m_hHeader)
            g_pfnHeader = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
                m_hHeader, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingHeaderProc)));
        g_calls = ListCalls();
        g_times = KindTimes();
        g_childMs = 0;
    }
    ~CListCounter()
    {
        CWndAccess::Super(m_wnd) = g_pfnList;
        if (m_hHeader) ::SetWindowLongPtrA(m_hHeader, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_pfnHeader));
    }
    CListCounter(const CListCounter&) = delete;
    CListCounter& operator=(const CListCounter&) = delete;

private:
    CWnd& m_wnd;
    HWND m_hHeader;
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
        std::vector<double> fetch, format, dispatch, heldText, listSet, gridSet, paint;
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

            // The grid's own way for a text it already holds, as a quiet tick takes it.
            start = Now();
            for (int r = 0; r < nRows; ++r)
                for (int c = 0; c < nCols; ++c) m_grid.SetItemText(r, c, texts[static_cast<size_t>(r) * nCols + c]);
            gridSet.push_back(Now() - start);

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
            {"held_text", &heldText},    {"list_same_set", &listSet}, {"grid_same_set", &gridSet}};
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

    // A first read taken apart: Read Once again and again with the columns
    // forgotten, then its stages on their own: the column layout (rows and
    // columns taken off, the table's columns put on), the rows read in (rows
    // put on, every text set, the database read) and the first paint. Beside
    // each stage its allocations and, by message kind, the calls into the
    // list and its header with the time spent inside them.
    void FirstReadBreakdown(const std::string& key, const CString& strTable, int nTicks)
    {
        std::vector<double> whole;
        for (int t = 0; t < nTicks; ++t) {
            m_strTable.Empty();
            const double start = Now();
            SendMessage(WM_COMMAND, MAKEWPARAM(IDC_READ_ONCE, BN_CLICKED),
                        reinterpret_cast<LPARAM>(::GetDlgItem(m_hWnd, IDC_READ_ONCE)));
            UpdateWindow();
            Pump();
            whole.push_back(Now() - start);
        }
        std::printf("  first read (Read Once, columns laid out afresh): median %.2f ms\n", Median(whole));
        Figure(key + "first_read_median_ms", Median(whole));

        enum { kLayout, kFill, kPaint, kStages };
        const char* const stageNames[kStages] = {"layout", "fill", "paint"};
        std::vector<double> ms[kStages], kindMs[kStages][kKinds];
        long nAllocations[kStages] = {}, nKindCalls[kStages][kKinds] = {};
        for (int t = 0; t < nTicks; ++t) {
            CDaoDatabase db;
            db.Open(m_strDbPath, FALSE, FALSE, "");
            for (int s = 0; s < kStages; ++s) {
                CListCounter counter(m_grid);
                const long nBefore = g_nAllocations;
                const double start = Now();
                if (s == kLayout) {
                    BuildColumns(strTable, &db);
                } else if (s == kFill) {
                    m_strSQL = ReadTable(strTable, &db);
                } else {
                    UpdateWindow();
                    Pump();
                }
                ms[s].push_back(Now() - start);
                nAllocations[s] = g_nAllocations - nBefore;
                for (int k = 0; k < kKinds; ++k) {
                    kindMs[s][k].push_back(g_times.ms[k]);
                    nKindCalls[s][k] = g_times.n[k];
                }
            }
        }
        std::printf("  first read by stage (median ms; allocations; calls into the list and header, ms inside):\n");
        for (int s = 0; s < kStages; ++s) {
            const std::string stage = key + "first." + stageNames[s];
            std::printf("    %-8s %8.2f ms  %7ld allocations\n", stageNames[s], Median(ms[s]), nAllocations[s]);
            Figure(stage + "_ms", Median(ms[s]));
            Figure(stage + "_allocations", static_cast<double>(nAllocations[s]));
            for (int k = 0; k < kKinds; ++k) {
                if (nKindCalls[s][k] == 0) continue;
                const double m = Median(kindMs[s][k]);
                std::printf("      %-14s %7ld calls %8.2f ms\n", g_kindNames[k], nKindCalls[s][k], m);
                Figure(stage + "." + g_kindNames[k] + "_calls", static_cast<double>(nKindCalls[s][k]));
                Figure(stage + "." + g_kindNames[k] + "_ms", m);
            }
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
        FirstReadBreakdown(key, table, nTicks);

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
