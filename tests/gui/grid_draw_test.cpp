// Row drawing: rows are painted into a memory surface through DrawItem and the
// pixels are checked.
#include "grid_test_support.h"
#include "row_cache.h"

namespace {

class GridDrawTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        CRect rcClient;
        m_grid.GetClientRect(&rcClient);
        m_canvas = std::make_unique<CCanvas>(rcClient.Width(), rcClient.Height());
        m_canvas->Fill(kUnpainted);
    }

    CRect Cell(int nRow, int nCol) const
    {
        CRect r;
        m_grid.GetSubItemRect(nRow, nCol, LVIR_LABEL, r);
        return r;
    }
    // The number of pixels in the rectangle that are not the colour.
    int CountOther(const CRect& r, COLORREF cr) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (m_canvas->At(x, y) != cr) ++n;
        return n;
    }
    // The leftmost and rightmost columns with a pixel of the colour, or -1.
    std::pair<int, int> InkColumns(const CRect& r, COLORREF cr) const
    {
        int first = -1, last = -1;
        for (int x = r.left; x < r.right; ++x)
            for (int y = r.top; y < r.bottom; ++y)
                if (m_canvas->At(x, y) == cr) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
    int SpaceWidth() const
    {
        CClientDC dc(const_cast<CRecordingGrid*>(&m_grid));
        HGDIOBJ hOld = ::SelectObject(dc.m_hDC, m_grid.GetFontHandle());
        const int n = dc.GetTextExtent(" ", 1).cx;
        ::SelectObject(dc.m_hDC, hOld);
        return n;
    }

    static constexpr COLORREF kUnpainted = RGB(255, 0, 255);
    std::unique_ptr<CCanvas> m_canvas;
};

TEST_F(GridDrawTest, RowHeightIsTheFontHeightPlusFivePixels)
{
    AddColumns(2);
    AddRows(2);
    HDC hdc = ::GetDC(nullptr);
    HGDIOBJ hOld = ::SelectObject(hdc, m_grid.GetFontHandle());
    TEXTMETRICA tm;
    ::GetTextMetricsA(hdc, &tm);
    ::SelectObject(hdc, hOld);
    ::ReleaseDC(nullptr, hdc);
    CRect r;
    m_grid.GetItemRect(0, &r, LVIR_BOUNDS);
    EXPECT_EQ(r.Height(), tm.tmHeight + tm.tmExternalLeading + 5);
    EXPECT_TRUE(m_grid.GetStyle() & LVS_OWNERDRAWFIXED);
    EXPECT_FALSE(m_grid.GetStyle() & LVS_EDITLABELS);
}

TEST_F(GridDrawTest, OnlyAWholeRowRequestPaints)
{
    AddColumns(3);
    AddRows(2);
    DrawRow(*m_canvas, 0, ODA_FOCUS);
    DrawRow(*m_canvas, 0, ODA_SELECT);
    EXPECT_EQ(CountOther(CRect(0, 0, m_canvas->Width(), m_canvas->Height()), kUnpainted), 0);
    DrawRow(*m_canvas, 0);
    CRect rcRow;
    m_grid.GetItemRect(0, &rcRow, LVIR_BOUNDS);
    EXPECT_EQ(CountOther(rcRow, kUnpainted), rcRow.Width() * rcRow.Height());
}

TEST_F(GridDrawTest, WithoutColumnsARowIsTheListBackground)
{
    m_grid.SetBkColor(RGB(12, 34, 56));
    m_grid.InsertItem(0, "text");
    // The list gives a row no width without columns: draw a row of our own size.
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_LISTVIEW;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.hDC = m_canvas->GetDC();
    dis.hwndItem = m_grid.m_hWnd;
    dis.rcItem = {10, 20, 310, 40};
    m_grid.DrawItem(&dis);
    EXPECT_EQ(CountOther(CRect(10, 20, 310, 40), RGB(12, 34, 56)), 0);
    EXPECT_EQ(m_canvas->At(9, 20), kUnpainted);
    EXPECT_EQ(m_canvas->At(310, 39), kUnpainted);
}

TEST_F(GridDrawTest, OnlyTheSelectionColumnIsHighlightedAndOnlyWithFocus)
{
    AddColumns(3);
    AddRows(3);
    m_grid.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    m_grid.m_nSelCol = 1;
    const COLORREF crSel = m_grid.m_crDefSelBk;
    const COLORREF crBk = m_grid.m_crDefBk;
    auto corner = [&](int col) { return m_canvas->At(Cell(1, col).left + 2, Cell(1, col).top + 1); };

    FocusGrid();
    DrawRow(*m_canvas, 1);
    EXPECT_EQ(corner(1), crSel);
    EXPECT_EQ(corner(0), crBk);
    EXPECT_EQ(corner(2), crBk);
    EXPECT_TRUE(m_grid.IsCellHighlighted(1, 1));
    EXPECT_FALSE(m_grid.IsCellHighlighted(0, 1));

    // Without the focus no cell is highlighted...
    m_dlg.GetDlgItem(IDOK)->SetFocus();
    DrawRow(*m_canvas, 1);
    EXPECT_EQ(corner(1), crBk);
    // ...unless the list shows its selection always.
    m_grid.ModifyStyle(0, LVS_SHOWSELALWAYS);
    DrawRow(*m_canvas, 1);
    EXPECT_EQ(corner(1), crSel);

    // Whole rows with the options for it.
    m_grid.m_dwGridStyle = GLS_FULLROWSELECT;
    DrawRow(*m_canvas, 1);
    EXPECT_EQ(corner(0), crSel);
    EXPECT_EQ(corner(2), crSel);
    m_grid.m_dwGridStyle = GLS_COL0SELECTSROW;
    m_grid.m_nSelCol = 0;
    DrawRow(*m_canvas, 1);
    EXPECT_EQ(corner(2), crSel);
    m_grid.m_nSelCol = 2;
    DrawRow(*m_canvas, 1);
    EXPECT_EQ(corner(0), crBk);
    EXPECT_EQ(corner(2), crSel);
}

TEST_F(GridDrawTest, LongTextEndsInAnEllipsisWithinTheCell)
{
    AddColumns(2, 60);
    AddRows(1);
    const char* pszLong = "a text far wider than its sixty pixel column";
    m_grid.SetItemText(0, 1, pszLong);
    DrawRow(*m_canvas, 0);
    const CRect rcCell = Cell(0, 1);
    const int s = SpaceWidth();
    const auto [first, last] = InkColumns(rcCell, m_grid.m_crDefText);
    ASSERT_GE(first, 0);
    EXPECT_GE(first, rcCell.left + s);
    EXPECT_LT(last, rcCell.right - 2 * s);

    // The same pixels as the shortened text that ends in "...", drawn where it fits.
    CRect rcText(rcCell.left + s, rcCell.top, rcCell.right - 2 * s, rcCell.bottom);
    char shortened[128];
    lstrcpynA(shortened, pszLong, sizeof shortened);
    CCanvas scratch(m_canvas->Width(), m_canvas->Height());
    ::SelectObject(scratch.GetDC(), m_grid.GetFontHandle());
    ::DrawTextA(scratch.GetDC(), shortened, -1, &rcText,
                DT_END_ELLIPSIS | DT_MODIFYSTRING | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_STRNE(shortened, pszLong);
    EXPECT_EQ(std::string(shortened).substr(std::string(shortened).size() - 3), "...");
    m_grid.SetItemText(0, 1, shortened);
    CCanvas reference(m_canvas->Width(), m_canvas->Height());
    reference.Fill(kUnpainted);
    DrawRow(reference, 0);
    for (int x = rcCell.left; x < rcCell.right; ++x)
        for (int y = rcCell.top; y < rcCell.bottom; ++y)
            ASSERT_EQ(m_canvas->At(x, y), reference.At(x, y)) << x << "," << y;
}

TEST_F(GridDrawTest, NarrowCellDrawsNoText)
{
    AddColumns(2);
    AddRows(1);
    const int s = SpaceWidth();
    m_grid.SetColumnWidth(1, 2 * s - 1);
    DrawRow(*m_canvas, 0);
    const CRect rcCell = Cell(0, 1);
    EXPECT_EQ(InkColumns(rcCell, m_grid.m_crDefText).first, -1);
}

TEST_F(GridDrawTest, RightAlignedTextEndsTwoSpacesFromTheRightEdge)
{
    m_grid.InsertColumn(0, "L", LVCFMT_LEFT, 80);
    m_grid.InsertColumn(1, "R", LVCFMT_RIGHT, 120);
    m_grid.InsertColumn(2, "C", LVCFMT_CENTER, 120);
    AddRows(1);
    m_grid.SetItemText(0, 1, "IIII");
    m_grid.SetItemText(0, 2, "IIII");
    DrawRow(*m_canvas, 0);
    const int s = SpaceWidth();
    const CRect rcRight = Cell(0, 1);
    const int nLast = InkColumns(rcRight, m_grid.m_crDefText).second;
    // The glyph's ink ends at most a pixel or two before its advance.
    EXPECT_LE(nLast, rcRight.right - 2 * s - 1);
    EXPECT_GE(nLast, rcRight.right - 2 * s - 3);
    EXPECT_EQ(m_grid.GetColumnDrawFormat(1), static_cast<UINT>(DT_RIGHT));
    EXPECT_EQ(m_grid.GetColumnDrawFormat(2), static_cast<UINT>(DT_CENTER));
    EXPECT_EQ(m_grid.GetColumnDrawFormat(-1), static_cast<UINT>(DT_LEFT));
    const CRect rcCentre = Cell(0, 2);
    const auto [first, last] = InkColumns(rcCentre, m_grid.m_crDefText);
    // Centred between left + s and right - 2s.
    EXPECT_NEAR((first + last) / 2.0, (rcCentre.left + s + rcCentre.right - 2 * s) / 2.0, 3.0);
}

TEST_F(GridDrawTest, TrueAndFalseAreCheckBoxesWithTheOption)
{
    m_grid.m_dwGridStyle = GLS_BOOLCHECKS;
    AddColumns(6, 60);
    AddRows(1);
    const char* texts[] = {"true", "True", "TRUE", "FALSE", "false", "yes"};
    for (int c = 0; c < 6; ++c) m_grid.SetItemText(0, c, texts[c]);
    DrawRow(*m_canvas, 0);
    for (int c = 0; c < 6; ++c) {
        CRect r = Cell(0, c);
        if (c == 0) {
            CRect rcIcon;
            m_grid.GetSubItemRect(0, 0, LVIR_ICON, rcIcon);
            r.left = rcIcon.left;
        }
        const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        const int L = cx - 5, T = cy - 5; // top-left inside the frame
        if (c == 5) {
            // Plain text: no frame, the word's ink at the left.
            EXPECT_NE(m_canvas->At(cx - 6, cy), RGB(0, 0, 0)) << texts[c];
            EXPECT_GE(InkColumns(r, m_grid.m_crDefText).first, 0);
            continue;
        }
        // A one-pixel black frame of 11 x 11 around a 9 x 9 face.
        EXPECT_EQ(m_canvas->At(cx - 6, cy - 6), RGB(0, 0, 0)) << texts[c];
        EXPECT_EQ(m_canvas->At(cx + 4, cy + 4), RGB(0, 0, 0)) << texts[c];
        EXPECT_EQ(m_canvas->At(L, T), m_grid.m_crDefBk) << texts[c];
        const bool bTicked = c < 3;
        // First stroke of the tick: x = L + 1 from T + 3 to T + 5; last: x = L + 7 from T + 1.
        EXPECT_EQ(m_canvas->At(L + 1, T + 4) == m_grid.m_crDefText, bTicked) << texts[c];
        EXPECT_EQ(m_canvas->At(L + 7, T + 2) == m_grid.m_crDefText, bTicked) << texts[c];
        EXPECT_EQ(m_canvas->At(L + 1, T + 6), m_grid.m_crDefBk) << texts[c];
    }
}

TEST_F(GridDrawTest, GridLinesFollowTheLineOptions)
{
    AddColumns(2);
    AddRows(3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c) m_grid.SetItemText(r, c, "");
    const COLORREF crLine = ::GetSysColor(COLOR_BTNSHADOW);
    auto draw = [&](DWORD dwStyle) {
        m_grid.m_dwGridStyle = dwStyle;
        m_canvas->Fill(kUnpainted);
        for (int r = 0; r < 3; ++r) DrawRow(*m_canvas, r);
    };
    auto bottomLine = [&](int row) {
        return m_canvas->At(Cell(row, 1).left + 5, Cell(row, 1).bottom - 1) == crLine;
    };
    auto rightLine = [&](int row, int col) {
        return m_canvas->At(Cell(row, col).right - 1, Cell(row, col).top + 3) == crLine;
    };

    draw(0);
    EXPECT_TRUE(bottomLine(0));
    EXPECT_TRUE(rightLine(0, 0));
    EXPECT_TRUE(rightLine(0, 1));

    draw(GLS_NOHORZLINES); // horizontal line only under the last row
    EXPECT_FALSE(bottomLine(0));
    EXPECT_TRUE(bottomLine(2));
    EXPECT_TRUE(rightLine(0, 0));

    draw(GLS_NOVERTLINES); // vertical line only right of the last column
    EXPECT_FALSE(rightLine(0, 0));
    EXPECT_TRUE(rightLine(0, 1));
    EXPECT_TRUE(bottomLine(0));

    draw(GLS_NOHORZLINES | GLS_NOVERTLINES);
    CRect rcAll;
    m_grid.GetItemRect(0, &rcAll, LVIR_BOUNDS);
    CRect rcLast;
    m_grid.GetItemRect(2, &rcLast, LVIR_BOUNDS);
    rcAll.bottom = rcLast.bottom;
    rcAll.right = Cell(0, 1).right;
    EXPECT_EQ(CountOther(rcAll, m_grid.m_crDefBk), 0);
}

TEST_F(GridDrawTest, RowHeaderAndMarkerInColumnZero)
{
    m_grid.m_dwGridStyle = GLS_ROWHEADER | GLS_ROWMARKER;
    AddColumns(2);
    AddRows(2);
    m_grid.SetItemState(1, LVIS_FOCUSED, LVIS_FOCUSED);
    DrawRow(*m_canvas, 0);
    DrawRow(*m_canvas, 1);
    const CRect r0 = Cell(0, 0);
    EXPECT_EQ(m_canvas->At(r0.left + 3, r0.top + 3), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(m_canvas->At(r0.right - 2, r0.top + 3), ::GetSysColor(COLOR_BTNSHADOW));
    // The marker: a right-pointing triangle in the focused row only, in button text colour.
    const CRect r1 = Cell(1, 0);
    const int hh = (r1.Height() - 2) / 2, q = hh / 2;
    const int xTip = r1.right - 1 - q - 5;
    const int yMid = r1.top + 1 + q + hh / 2;
    EXPECT_EQ(m_canvas->At(xTip, yMid), ::GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(m_canvas->At(xTip, r0.top + 1 + q + hh / 2), ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(GridDrawTest, TheFocusRectangleNeedsAFocusColumn)
{
    AddColumns(3);
    AddRows(2);
    for (int c = 0; c < 3; ++c) m_grid.SetItemText(0, c, "");
    m_grid.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
    FocusGrid();
    const CRect r = Cell(0, 1);
    // The dotted frame lies 2 pixels inside the focus cell.
    auto frameDots = [&](const CCanvas& canvas) {
        int n = 0;
        for (int x = r.left + 2; x < r.right - 2; ++x)
            if (canvas.At(x, r.top + 2) != m_grid.m_crDefBk) ++n;
        return n;
    };

    m_grid.m_nFocusCol = 1;
    DrawRow(*m_canvas, 0);
    EXPECT_GT(frameDots(*m_canvas), 0);

    CCanvas without(m_canvas->Width(), m_canvas->Height());
    m_grid.m_nFocusCol = -1;
    DrawRow(without, 0);
    EXPECT_EQ(frameDots(without), 0);

    // Nor without the keyboard focus.
    m_grid.m_nFocusCol = 1;
    m_dlg.GetDlgItem(IDOK)->SetFocus();
    CCanvas unfocused(m_canvas->Width(), m_canvas->Height());
    DrawRow(unfocused, 0);
    EXPECT_EQ(frameDots(unfocused), 0);
}

TEST_F(GridDrawTest, TheRowBitmapGrowsWithAMargin)
{
    AddColumns(1);
    AddRows(1);
    CGridRowCache& cache = CGridRowCache::Get();
    cache.Release();
    CCanvas canvas(800, 200);
    auto draw = [&](int w, int h) {
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_LISTVIEW;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.hDC = canvas.GetDC();
        dis.hwndItem = m_grid.m_hWnd;
        dis.rcItem = {0, 0, w, h};
        m_grid.DrawItem(&dis);
        return std::make_pair(cache.GetWidth(), cache.GetHeight());
    };
    EXPECT_EQ(draw(600, 20), std::make_pair(650, 70));
    EXPECT_EQ(draw(600, 30), std::make_pair(650, 70));
    EXPECT_EQ(draw(600, 80), std::make_pair(650, 130));
    EXPECT_EQ(draw(620, 20), std::make_pair(650, 130));
    EXPECT_EQ(draw(700, 20), std::make_pair(750, 70));
}

// A paint of the list draws each cell in its column's place with its own
// row's colours and state, the places taken afresh for every paint (cases:
// as laid out; after a column grew and the list scrolled sideways).
TEST_F(GridDrawTest, APaintDrawsEachCellInItsPlaceWithItsRowsColours)
{
    m_grid.m_dwGridStyle = GLS_FULLROWSELECT | GLS_NOHORZLINES | GLS_NOVERTLINES;
    m_grid.ModifyStyle(0, LVS_SHOWSELALWAYS);
    AddColumns(6, 70);
    AddRows(6);
    const auto colour = [](int nRow, int nCol, bool bSelected) {
        return RGB(20 + 30 * nRow, 20 + 30 * nCol, bSelected ? 200 : 100);
    };
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 6; ++c) {
            m_grid.GetCellData(r, c)->m_crBk = colour(r, c, false);
            m_grid.GetCellData(r, c)->m_crSelBk = colour(r, c, true);
        }
    m_grid.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    for (const bool bMoved : {false, true}) {
        SCOPED_TRACE(bMoved ? "moved" : "as laid out");
        if (bMoved) {
            m_grid.SetColumnWidth(1, 130);
            m_grid.Scroll(CSize(50, 0));
        }
        m_grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        Pump();
        CCanvas screen(m_canvas->Width(), m_canvas->Height());
        screen.CaptureClient(m_grid.m_hWnd);
        int nChecked = 0;
        for (int r = 0; r < 6; ++r)
            for (int c = 1; c < 6; ++c) {
                const CRect rc = Cell(r, c);
                const CPoint at(rc.right - 3, rc.top + 2);
                if (at.x < 0 || at.x >= screen.Width()) continue;
                EXPECT_EQ(screen.At(at.x, at.y), colour(r, c, r == 2)) << "row " << r << ", column " << c;
                ++nChecked;
            }
        EXPECT_GE(nChecked, 18);
    }
}

TEST_F(GridDrawTest, ScreenshotOfAFilledGrid)
{
    m_grid.m_dwGridStyle = 0;
    AddColumns(8, 90);
    AddRows(30);
    m_grid.SetItemText(2, 3, "a text far too long for its column");
    FocusGrid();
    Click(4, 2);
    m_grid.RedrawWindow();
    Pump();
    CRect rcClient;
    m_grid.GetClientRect(&rcClient);
    CCanvas screen(rcClient.Width(), rcClient.Height());
    screen.CaptureClient(m_grid.m_hWnd);
    // What the list painted through DrawItem: the clicked cell in highlight colours.
    const CRect r = Cell(4, 2);
    EXPECT_EQ(screen.At(r.left + 2, r.top + 1), m_grid.m_crDefSelBk);
    EXPECT_EQ(screen.At(Cell(4, 1).left + 2, r.top + 1), m_grid.m_crDefBk);
    EXPECT_TRUE(SaveWindowPng(m_dlg.m_hWnd, QM_TEST_TMP "/grid.png"));
}

} // namespace

namespace {

TEST_F(GridDrawTest, AGridCreatedAsAWindowIsAnOwnerDrawnReportToo)
{
    CRecordingGrid created;
    ASSERT_TRUE(created.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_ICON | LVS_EDITLABELS,
                               CRect(10, 40, 410, 240), &m_dlg, 2001));
    created.SetFont(m_grid.GetFontHandle());
    created.InsertColumn(0, "A", LVCFMT_LEFT, 100);
    created.InsertColumn(1, "B", LVCFMT_LEFT, 100);
    created.InsertItem(0, "one");
    created.SetItemText(0, 1, "two");
    EXPECT_NE(created.GetCellData(0, 1), nullptr);
    created.m_drawnRows.clear();
    created.RedrawWindow();
    EXPECT_EQ(created.m_drawnRows, std::vector<int>{0});
    CRect rcRow;
    created.GetItemRect(0, &rcRow, LVIR_BOUNDS);
    EXPECT_EQ(rcRow.Width(), 200); // laid out as a report
    created.DestroyWindow();
}

} // namespace
