// The flat header: the grid's header taken over at set-up, press
// tracking reported as the list's own column click, tool tips for captions that
// do not fit, and owner-drawn items in flat colours.
#include <cstring>
#include <string>

#include "afxtooltip.h"
#include "flat_hdr_ctrl.h"
#include "editor_alloc_tracker.h"
#include "grid_test_support.h"
#include <uxtheme.h>

namespace {

class FlatHeaderTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        AddColumns(4, 100);
        AddRows(2);
        m_pHeader = m_grid.m_pFlatHeader;
        ASSERT_NE(m_pHeader, nullptr);
    }
    CRect ItemRect(int nItem) const
    {
        CRect r;
        m_pHeader->GetItemRect(nItem, &r);
        return r;
    }
    // A press at one point and the release at another, as real mouse messages.
    void PressAndRelease(CPoint ptDown, CPoint ptUp)
    {
        m_pHeader->PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(ptUp.x, ptUp.y));
        m_pHeader->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(ptDown.x, ptDown.y));
        Pump();
    }
    // The caption's width as the header measures it: on the window's own context.
    int CaptionWidth(const char* pszCaption) const
    {
        HDC hDC = ::GetDC(m_pHeader->m_hWnd);
        SIZE size = {};
        ::GetTextExtentPoint32A(hDC, pszCaption, static_cast<int>(std::strlen(pszCaption)), &size);
        ::ReleaseDC(m_pHeader->m_hWnd, hDC);
        return size.cx;
    }
    void SetCaption(int nItem, const char* pszCaption)
    {
        HDITEMA item = {};
        item.mask = HDI_TEXT;
        item.pszText = const_cast<char*>(pszCaption);
        m_pHeader->SetItem(nItem, &item);
    }
    void MakeOwnerDrawn(int nItem)
    {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        m_pHeader->GetItem(nItem, &item);
        item.fmt |= HDF_OWNERDRAW;
        m_pHeader->SetItem(nItem, &item);
    }
    // Draws item nItem with DrawItem into the canvas at the given rectangle.
    void DrawItem(CCanvas& canvas, int nItem, const CRect& rect)
    {
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_HEADER;
        dis.itemID = static_cast<UINT>(nItem);
        dis.itemAction = ODA_DRAWENTIRE;
        dis.hwndItem = m_pHeader->m_hWnd;
        dis.hDC = canvas.GetDC();
        dis.rcItem = rect;
        HGDIOBJ hOld = ::SelectObject(canvas.GetDC(), m_pHeader->GetFontHandle());
        m_pHeader->DrawItem(&dis);
        ::SelectObject(canvas.GetDC(), hOld);
    }
    // Every pixel of the rectangle has the colour.
    static bool AllPixels(const CCanvas& canvas, const CRect& rect, COLORREF cr)
    {
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                if (canvas.At(x, y) != cr) return false;
        return true;
    }
    static int CountPixels(const CCanvas& canvas, const CRect& rect, COLORREF cr)
    {
        int n = 0;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                if (canvas.At(x, y) == cr) ++n;
        return n;
    }

    CFlatHdrCtrl* m_pHeader = nullptr;
};

TEST_F(FlatHeaderTest, TheGridTakesOverItsHeaderFlat)
{
    EXPECT_EQ(m_pHeader->m_hWnd, m_grid.GetHeaderHwnd());
    EXPECT_TRUE(m_pHeader->IsKindOf(RUNTIME_CLASS(CFlatHdrCtrl)));
    EXPECT_STREQ(m_pHeader->GetRuntimeClass()->m_lpszClassName, "CFlatHdrCtrl");
    const DWORD dwStyle = m_pHeader->GetStyle();
    EXPECT_EQ(dwStyle & (HDS_BUTTONS | HDS_FULLDRAG), 0u);
    EXPECT_EQ(dwStyle & HDS_HOTTRACK, static_cast<DWORD>(HDS_HOTTRACK));
    // Flat captions: the header draws its items without a visual style.
    EXPECT_EQ(::GetWindowTheme(m_pHeader->m_hWnd), nullptr);

    EXPECT_EQ(m_pHeader->m_crNormalText, ::GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(m_pHeader->m_crNormalBk, ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(m_pHeader->m_crPressedText, ::GetSysColor(COLOR_CAPTIONTEXT));
    EXPECT_EQ(m_pHeader->m_crPressedBk, RGB(60, 60, 60));

    // The header's own tool tip holds the whole header as one callback tool.
    ASSERT_TRUE(::IsWindow(m_pHeader->m_wndToolTip.m_hWnd));
    // Created with the header as owner; the platform makes a pop-up's owner the
    // top-level window of the one given.
    EXPECT_EQ(::GetWindow(m_pHeader->m_wndToolTip.m_hWnd, GW_OWNER), m_dlg.m_hWnd);
    ASSERT_EQ(m_pHeader->m_wndToolTip.GetToolCount(), 1);
    TOOLINFOA ti;
    ASSERT_TRUE(m_pHeader->m_wndToolTip.EnumTool(0, &ti));
    EXPECT_EQ(ti.uId, reinterpret_cast<UINT_PTR>(m_pHeader->m_hWnd));
    EXPECT_TRUE(ti.uFlags & TTF_IDISHWND);
}

TEST_F(FlatHeaderTest, NoItemStartsPressed)
{
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(m_pHeader->IsItemPressed(i)) << i;
    m_pHeader->SetItemPressed(2, TRUE);
    EXPECT_TRUE(m_pHeader->IsItemPressed(2));
    EXPECT_FALSE(m_pHeader->IsItemPressed(1));
    m_pHeader->SetItemPressed(-1, TRUE);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(m_pHeader->IsItemPressed(i)) << i;
    m_pHeader->SetItemPressed(-1, FALSE);
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(m_pHeader->IsItemPressed(i)) << i;
    m_pHeader->RedrawItem(-1); // out of range: nothing
    m_pHeader->RedrawItem(4);
}

TEST_F(FlatHeaderTest, HitTestItemIsOnlyOnTheItemItself)
{
    const CRect r1 = ItemRect(1);
    EXPECT_EQ(m_pHeader->HitTestItem(r1.CenterPoint()), 1);
    EXPECT_EQ(m_pHeader->HitTestItem(CPoint(r1.right, r1.CenterPoint().y)), -1); // divider
    EXPECT_EQ(m_pHeader->HitTestItem(CPoint(ItemRect(3).right + 50, r1.CenterPoint().y)), -1);
}

TEST_F(FlatHeaderTest, AReleaseOverAnotherItemReportsThePressedOne)
{
    PressAndRelease(ItemRect(1).CenterPoint(), ItemRect(2).CenterPoint());
    EXPECT_EQ(m_grid.m_columnClicks, std::vector<int>{1});
    EXPECT_FALSE(m_pHeader->IsItemPressed(1));

    PressAndRelease(ItemRect(3).CenterPoint(), ItemRect(3).CenterPoint());
    EXPECT_EQ(m_grid.m_columnClicks, (std::vector<int>{1, 3}));
    EXPECT_EQ(m_dlg.m_nOK, 0);
}

TEST_F(FlatHeaderTest, APressOnADividerReportsNothing)
{
    const CRect r0 = ItemRect(0);
    const CPoint divider(r0.right, r0.CenterPoint().y);
    PressAndRelease(divider, divider);
    EXPECT_TRUE(m_grid.m_columnClicks.empty());
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(m_pHeader->IsItemPressed(i)) << i;
}

TEST_F(FlatHeaderTest, ACaptionOnePixelWiderThanItsColumnIsATool)
{
    const char* kCaption = "A rather long caption";
    SetCaption(2, kCaption);
    const int cx = CaptionWidth(kCaption);
    ASSERT_GT(cx, 10);

    m_grid.SetColumnWidth(2, cx);
    TOOLINFOA ti = {};
    EXPECT_EQ(m_pHeader->OnToolHitTest(ItemRect(2).CenterPoint(), &ti), -1);

    m_grid.SetColumnWidth(2, cx - 1);
    ti = {};
    const CRect r2 = ItemRect(2);
    ASSERT_EQ(r2.Width(), cx - 1);
    EXPECT_EQ(m_pHeader->OnToolHitTest(r2.CenterPoint(), &ti), 1);
    EXPECT_EQ(ti.hwnd, m_pHeader->m_hWnd);
    EXPECT_EQ(ti.uId, 2u);
    EXPECT_EQ(CRect(ti.rect), r2);
    EXPECT_EQ(ti.lpszText, LPSTR_TEXTCALLBACKA);

    // Not on an item: no tool.
    ti = {};
    EXPECT_EQ(m_pHeader->OnToolHitTest(CPoint(r2.right, r2.CenterPoint().y), &ti), -1);
}

TEST_F(FlatHeaderTest, TheFrameworksToolTipTakesTheItemAsItsTool)
{
    const char* kCaption = "Another rather long caption";
    SetCaption(3, kCaption);
    m_grid.SetColumnWidth(3, CaptionWidth(kCaption) / 2);
    const CPoint pt = ItemRect(3).CenterPoint();
    MSG msg = {};
    msg.hwnd = m_pHeader->m_hWnd;
    msg.message = WM_MOUSEMOVE;
    msg.lParam = MAKELPARAM(pt.x, pt.y);
    ::GetCursorPos(&msg.pt);
    AfxRelayToolTipMessage(&msg);
    const HWND hWndTip = AfxGetToolTipWindow();
    ASSERT_NE(hWndTip, nullptr);
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.hwnd = m_pHeader->m_hWnd;
    ti.uId = 3;
    EXPECT_TRUE(::SendMessageA(hWndTip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&ti)));
    EXPECT_EQ(CRect(ti.rect), ItemRect(3));

    // The header's pre-translation hands the message on (to its own tip too).
    EXPECT_FALSE(m_pHeader->PreTranslateMessage(&msg));
}

TEST_F(FlatHeaderTest, TheTipTextIsTheCaptionCutTo79NarrowCharacters)
{
    std::string caption;
    for (int i = 0; i < 100; ++i) caption += static_cast<char>('A' + i % 26);
    SetCaption(1, caption.c_str());

    NMTTDISPINFOA narrow = {};
    narrow.hdr.hwndFrom = m_pHeader->m_wndToolTip.m_hWnd;
    narrow.hdr.idFrom = 1;
    narrow.hdr.code = TTN_NEEDTEXTA;
    EXPECT_EQ(m_pHeader->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&narrow)), 0);
    EXPECT_EQ(std::string(narrow.szText), caption.substr(0, 79));

    NMTTDISPINFOW wide = {};
    wide.hdr.hwndFrom = m_pHeader->m_wndToolTip.m_hWnd;
    wide.hdr.idFrom = 1;
    wide.hdr.code = TTN_NEEDTEXTW;
    m_pHeader->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&wide));
    EXPECT_EQ(wide.szText[0], L'A');
    EXPECT_EQ(wide.szText[78], static_cast<WCHAR>('A' + 78 % 26));
    EXPECT_EQ(wide.szText[79], 0);

    // The whole-header tool carries the header's handle as id: no caption.
    NMTTDISPINFOA whole = {};
    whole.hdr.hwndFrom = m_pHeader->m_wndToolTip.m_hWnd;
    whole.hdr.idFrom = reinterpret_cast<UINT_PTR>(m_pHeader->m_hWnd);
    whole.hdr.code = TTN_NEEDTEXTA;
    m_pHeader->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&whole));
    EXPECT_EQ(whole.szText[0], 0);
}

TEST_F(FlatHeaderTest, AnOwnerDrawnItemNarrowerThanSixPixelsShowsNoCaption)
{
    SetCaption(0, "WWWWWWWW");
    const COLORREF crFace = m_pHeader->m_crNormalBk;
    for (int nWidth = 1; nWidth <= 5; ++nWidth) {
        CCanvas canvas(60, 30);
        canvas.Fill(RGB(255, 0, 255));
        const CRect rect(10, 2, 10 + nWidth, 22);
        DrawItem(canvas, 0, rect);
        EXPECT_TRUE(AllPixels(canvas, rect, crFace)) << nWidth;
        // Nothing drawn outside the item either (the caption is not clipped).
        EXPECT_EQ(CountPixels(canvas, CRect(0, 0, 60, 30), RGB(255, 0, 255)), 60 * 30 - rect.Width() * rect.Height())
            << nWidth;
    }
    // A wide item shows its caption.
    CCanvas canvas(120, 30);
    const CRect rect(0, 0, 100, 20);
    DrawItem(canvas, 0, rect);
    EXPECT_GT(CountPixels(canvas, rect, m_pHeader->m_crNormalText), 10);
}

TEST_F(FlatHeaderTest, APressedOwnerDrawnItemIsDarkUntilReleased)
{
    MakeOwnerDrawn(1);
    SetCaption(1, "WWWW");
    const CRect r1 = ItemRect(1);
    const CPoint inside(r1.left + 2, r1.top + 2);

    // Pressed: the platform asks the grid, which hands the drawing to the header.
    m_pHeader->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r1.CenterPoint().x, r1.CenterPoint().y));
    EXPECT_TRUE(m_pHeader->IsItemPressed(1));
    CRect rcClient;
    m_pHeader->GetClientRect(&rcClient);
    CCanvas pressed(rcClient.Width(), rcClient.Height());
    pressed.CaptureClient(m_pHeader->m_hWnd);
    EXPECT_EQ(pressed.At(inside.x, inside.y), RGB(60, 60, 60));
    EXPECT_GT(CountPixels(pressed, r1, m_pHeader->m_crPressedText), 10);

    m_pHeader->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(r1.CenterPoint().x, r1.CenterPoint().y));
    Pump();
    EXPECT_EQ(m_grid.m_columnClicks, std::vector<int>{1});
    CCanvas released(rcClient.Width(), rcClient.Height());
    released.CaptureClient(m_pHeader->m_hWnd);
    EXPECT_EQ(released.At(inside.x, inside.y), m_pHeader->m_crNormalBk);

    // Drawn directly, the same colours.
    m_pHeader->SetItemPressed(1, TRUE);
    CCanvas canvas(120, 30);
    DrawItem(canvas, 1, CRect(0, 0, 100, 20));
    EXPECT_EQ(canvas.At(1, 1), RGB(60, 60, 60));
    EXPECT_GT(CountPixels(canvas, CRect(0, 0, 100, 20), m_pHeader->m_crPressedText), 10);
}

TEST_F(FlatHeaderTest, AGridCreatedAsAWindowTakesOverItsHeaderToo)
{
    CRecordingGrid grid;
    ASSERT_TRUE(grid.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(10, 10, 300, 200), &m_dlg, 2000));
    ASSERT_NE(grid.GetHeaderHwnd(), nullptr);
    ASSERT_NE(grid.m_pFlatHeader, nullptr);
    EXPECT_EQ(grid.m_pFlatHeader->m_hWnd, grid.GetHeaderHwnd());
    grid.DestroyWindow();
    EXPECT_EQ(grid.m_pFlatHeader, nullptr);
}

TEST_F(FlatHeaderTest, TheHeaderGoesWithTheGridWindow)
{
    const HWND hWndTip = m_pHeader->m_wndToolTip.m_hWnd;
    WatchDeletes({m_pHeader});
    m_dlg.DestroyWindow();
    Pump();
    StopWatchingDeletes();
    EXPECT_EQ(DeleteCount(0), 1);
    EXPECT_EQ(m_grid.m_pFlatHeader, nullptr);
    EXPECT_FALSE(::IsWindow(hWndTip));
}

} // namespace
