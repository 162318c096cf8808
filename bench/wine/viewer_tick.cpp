// The viewer's reading tick as the program runs it: the dialog shown, a
// table read once, then RefreshTable (the tick's read) and the paint that
// follows, timed again and again. Two cases per table: nothing changed since
// the last tick (a quiet database), and a few values changed by another
// writer before each tick (a live one). Also the update pass.
//   viewer_tick.exe FOLDER-WITH-perf.mdb [TICKS]
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "afx.h"
#include "bench_support.h"
#include "quillmere_dlg.h"

namespace {

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
