// The grid under load: painting a screen of rows and the viewer's reading tick
// (every cell of 1000 rows set with SetItemText, then painted), with 20 and
// with 240 columns. Prints the median and spread of each figure.
//   grid_bench.exe [TICKS [COLUMNS]]
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "afx.h"
#include "bench_support.h"
#include "grid_list_ctrl.h"

namespace {

struct Figures {
    double median, min, max;
};

Figures Summarise(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front(), ms.back()};
}

void Print(const char* what, const Figures& f)
{
    std::printf("%-52s median %8.2f ms   (min %8.2f, max %8.2f)\n", what, f.median, f.min, f.max);
    std::fflush(stdout);
}

// A top-level window holding one list, bound to a grid or to a plain list.
class CBenchHost {
public:
    CBenchHost(CListCtrl& list, int nWidth, int nHeight) : m_list(list)
    {
        m_font.CreatePointFont(80, "MS Sans Serif");
        m_frame.CreateEx(0, nullptr, "grid bench", WS_POPUP | WS_VISIBLE | WS_BORDER,
                         CRect(0, 0, nWidth, nHeight), nullptr, 0);
        HWND hList = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0,
                                       nWidth - 2, nHeight - 2, m_frame.m_hWnd, reinterpret_cast<HMENU>(1007),
                                       ::GetModuleHandleA(nullptr), nullptr);
        ::SendMessageA(hList, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_font)), FALSE);
        m_list.SubclassWindow(hList);
        ::SetForegroundWindow(m_frame.m_hWnd);
        m_list.SetFocus();
        Pump();
    }
    ~CBenchHost()
    {
        m_frame.DestroyWindow();
        Pump();
    }

    // Lays out nColumns columns and nRows empty rows, as the viewer does.
    void Fill(int nColumns, int nRows, bool bHoldRedraw)
    {
        if (bHoldRedraw) m_list.SendMessage(WM_SETREDRAW, FALSE);
        for (int c = 0; c < nColumns; ++c) {
            const std::string name = "Field" + std::to_string(c);
            m_list.InsertColumn(c, name.c_str(), LVCFMT_LEFT, 80);
        }
        for (int r = 0; r < nRows; ++r) m_list.InsertItem(LVIF_TEXT, 0, "", 0, 0, 0, 0);
        if (bHoldRedraw) {
            m_list.SendMessage(WM_SETREDRAW, TRUE);
            m_list.Invalidate();
        }
        m_list.UpdateWindow();
        Pump();
    }

    // One reading tick: every cell gets a text that changed since the last tick,
    // then the list paints. Gives the time of both parts.
    std::pair<double, double> Tick(int nColumns, int nRows, int nTick, bool bHoldRedraw)
    {
        const double start = Now();
        if (bHoldRedraw) m_list.SendMessage(WM_SETREDRAW, FALSE);
        char text[32];
        for (int r = 0; r < nRows; ++r) {
            for (int c = 0; c < nColumns; ++c) {
                std::snprintf(text, sizeof text, "%d.%03d", r * 7 + c + nTick, (nTick * 31 + c) % 1000);
                m_list.SetItemText(r, c, text);
            }
        }
        if (bHoldRedraw) {
            m_list.SendMessage(WM_SETREDRAW, TRUE);
            m_list.Invalidate(FALSE);
        }
        const double set = Now();
        m_list.UpdateWindow();
        Pump();
        return {set - start, Now() - set};
    }

    double Repaint()
    {
        const double start = Now();
        m_list.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return Now() - start;
    }

private:
    CListCtrl& m_list;
    CWnd m_frame;
    CFont m_font;
};

template <class List>
void Measure(const char* name, int nColumns, int nWidth, int nHeight, int nTicks, bool bHoldRedraw = false)
{
    constexpr int kRows = 1000;
    List list;
    CBenchHost host(list, nWidth, nHeight);
    double start = Now();
    host.Fill(nColumns, kRows, bHoldRedraw);
    const double fill = Now() - start;

    std::vector<double> ticks, sets, paintsAfter;
    host.Tick(nColumns, kRows, 0, bHoldRedraw); // first texts
    for (int t = 1; t <= nTicks; ++t) {
        const auto [set, paint] = host.Tick(nColumns, kRows, t, bHoldRedraw);
        ticks.push_back(set + paint);
        sets.push_back(set);
        paintsAfter.push_back(paint);
    }
    std::vector<double> paints;
    for (int i = 0; i < 15; ++i) paints.push_back(host.Repaint());

    std::string label = std::string(name) + ", " + std::to_string(nColumns) + " columns, " +
                        std::to_string(nWidth) + "x" + std::to_string(nHeight);
    std::printf("%s\n", label.c_str());
    std::printf("  %-50s %8.2f ms\n", "insert 1000 rows (cell data attached)", fill);
    Print("  reading tick (1000 rows, every cell set, painted)", Summarise(ticks));
    Print("    of which SetItemText calls", Summarise(sets));
    Print("    of which painting", Summarise(paintsAfter));
    Print("  full repaint of the visible rows", Summarise(paints));
    std::printf("  rows visible: %d\n", list.GetCountPerPage());
}

} // namespace

int main(int argc, char** argv)
{
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
    const int nTicks = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    const int nScreenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int nScreenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    std::printf("screen %dx%d, %d ticks per figure\n\n", nScreenWidth, nScreenHeight, nTicks);

    // The viewer's grid is 395 x 235 dialog units: about 593 x 382 pixels.
    const int nOnly = argc > 2 ? std::atoi(argv[2]) : 0; // one column count only
    for (int nColumns : {20, 240}) {
        if (nOnly && nColumns != nOnly) continue;
        Measure<CDLGridListCtrl>("grid (viewer size)", nColumns, 593, 382, nTicks);
        Measure<CDLGridListCtrl>("grid (full screen)", nColumns, nScreenWidth, nScreenHeight, nTicks);
        Measure<CListCtrl>("plain list (viewer size), for comparison", nColumns, 593, 382, nTicks);
        // The same with the list's redrawing held off while rows are inserted and texts set.
        Measure<CDLGridListCtrl>("grid (viewer size), WM_SETREDRAW off meanwhile", nColumns, 593, 382, nTicks,
                                 true);
        std::printf("\n");
    }
    return 0;
}
