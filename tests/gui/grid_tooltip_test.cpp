// Tool tips with the full text of truncated cells: the hit test, the text
// requests and the framework's tool-tip control fed from the message loop.
#include <cstring>

#include "afxtooltip.h"
#include "grid_test_support.h"

namespace {

class GridToolTipTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        AddColumns(4, 100);
        AddRows(3);
        m_grid.SetItemText(1, 2, kLong);
        m_grid.SetItemText(2, 0, kLong);
    }
    CPoint Middle(int nRow, int nCol) const
    {
        CRect r;
        m_grid.GetSubItemRect(nRow, nCol, LVIR_LABEL, r);
        return r.CenterPoint();
    }
    // Sends a tool tip text request the way the tool-tip control does.
    template <class Info>
    bool RequestText(Info& info, UINT nCode, UINT_PTR nId)
    {
        info.hdr.hwndFrom = ::GetDesktopWindow();
        info.hdr.idFrom = nId;
        info.hdr.code = nCode;
        info.lpszText = info.szText;
        return m_grid.SendMessage(WM_NOTIFY, nId, reinterpret_cast<LPARAM>(&info)) == 0 &&
               info.szText[0] != 0;
    }

    // The text a tool-tip control of its own gets from the grid for a tool with
    // callback text: the control asks the grid as the tool's window.
    std::string TipTextOfTool(UINT nFlags, UINT_PTR nId)
    {
        const HWND hTip = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 0, 0, m_dlg.m_hWnd,
                                            nullptr, nullptr, nullptr);
        TOOLINFOA ti = {};
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.uFlags = nFlags;
        ti.hwnd = m_grid.m_hWnd;
        ti.uId = nId;
        ti.lpszText = LPSTR_TEXTCALLBACKA;
        ::SendMessageA(hTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
        char text[200] = "";
        ti.lpszText = text;
        ::SendMessageA(hTip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&ti));
        ::DestroyWindow(hTip);
        return text;
    }

    // 100 characters, far wider than a column.
    static constexpr const char* kLong =
        "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyz!"
        "?";
};

TEST_F(GridToolTipTest, OnlyATruncatedCellIsATool)
{
    TOOLINFOA ti = {};
    const INT_PTR nHit = m_grid.OnToolHitTest(Middle(1, 2), &ti);
    EXPECT_EQ(nHit, 1 * 1024 + 2 + 1);
    EXPECT_EQ(ti.uId, static_cast<UINT_PTR>(nHit));
    EXPECT_EQ(ti.hwnd, m_grid.m_hWnd);
    EXPECT_EQ(ti.lpszText, LPSTR_TEXTCALLBACKA);
    CRect rcCell;
    m_grid.GetSubItemRect(1, 2, LVIR_BOUNDS, rcCell);
    EXPECT_EQ(CRect(ti.rect), rcCell);

    TOOLINFOA fits = {};
    EXPECT_EQ(m_grid.OnToolHitTest(Middle(1, 1), &fits), -1);
    CRect rcLast;
    m_grid.GetItemRect(2, &rcLast, LVIR_BOUNDS);
    EXPECT_EQ(m_grid.OnToolHitTest(CPoint(rcLast.left + 10, rcLast.bottom + 20), &fits), -1);

    // Column 0 is measured against its own cell, not the whole row.
    TOOLINFOA first = {};
    EXPECT_EQ(m_grid.OnToolHitTest(Middle(2, 0), &first), 2 * 1024 + 0 + 1);
    CRect rcLabel;
    m_grid.GetSubItemRect(2, 0, LVIR_LABEL, rcLabel);
    EXPECT_EQ(first.rect.right, rcLabel.right);
}

TEST_F(GridToolTipTest, TheTextRequestsGiveTheFullTextCutToTheirBuffers)
{
    const UINT_PTR nId = 1 * 1024 + 2 + 1;
    NMTTDISPINFOA narrow = {};
    ASSERT_TRUE(RequestText(narrow, TTN_NEEDTEXTA, nId));
    EXPECT_EQ(std::string(narrow.szText), std::string(kLong).substr(0, 79));

    m_grid.SetItemText(1, 2, "a short text");
    NMTTDISPINFOW wide = {};
    ASSERT_TRUE(RequestText(wide, TTN_NEEDTEXTW, nId));
    EXPECT_EQ(std::wstring(wide.szText), L"a short text");
    m_grid.SetItemText(1, 2, kLong);
    NMTTDISPINFOW wideLong = {};
    ASSERT_TRUE(RequestText(wideLong, TTN_NEEDTEXTW, nId));
    EXPECT_EQ(std::wstring(wideLong.szText).size(), 79u);

    // Stale and empty identifiers give no text.
    NMTTDISPINFOA stale = {};
    EXPECT_FALSE(RequestText(stale, TTN_NEEDTEXTA, 3 * 1024 + 1));
    NMTTDISPINFOA none = {};
    EXPECT_FALSE(RequestText(none, TTN_NEEDTEXTA, 0));
    // Large rows are decoded too (ids beyond 16 bits).
    AddRows(70);
    m_grid.SetItemText(70, 1, "row seventy");
    NMTTDISPINFOA distant = {};
    ASSERT_TRUE(RequestText(distant, TTN_NEEDTEXTA, 70 * 1024 + 1 + 1));
    EXPECT_STREQ(distant.szText, "row seventy");
}

TEST_F(GridToolTipTest, AToolNamedByAWindowGetsNoCellText)
{
    // Such as the header's whole-window tool, which asks the header's parent:
    // its id is a window handle, whatever cell the value would decode to.
    const UINT_PTR nIdOfTruncatedCell = 1 * 1024 + 2 + 1;
    EXPECT_EQ(TipTextOfTool(0, nIdOfTruncatedCell).substr(0, 79), std::string(kLong).substr(0, 79));
    EXPECT_EQ(TipTextOfTool(TTF_IDISHWND, nIdOfTruncatedCell), "");
}

TEST_F(GridToolTipTest, ATipShowsExactlyForTextDrawnCut)
{
    // Whether a text is cut is read from the pixels: the cell drawn at a given
    // width is compared with the same cell drawn wide enough for any text.
    const char* kText = "Some cell text";
    m_grid.SetItemText(0, 1, kText);
    CClientDC dc(&m_grid);
    const HGDIOBJ hOld = ::SelectObject(dc.m_hDC, m_grid.GetFontHandle());
    const int nTextWidth = dc.GetTextExtent(kText, static_cast<int>(std::strlen(kText))).cx;
    const int nSpace = dc.GetTextExtent(" ", 1).cx;
    ::SelectObject(dc.m_hDC, hOld);

    HIMAGELIST hImages = ::ImageList_Create(16, 16, ILC_COLOR24, 1, 0);
    HBITMAP hBitmap = ::CreateBitmap(16, 16, 1, 32, nullptr);
    ::ImageList_Add(hImages, hBitmap, nullptr);
    ::DeleteObject(hBitmap);
    m_grid.SetImageList(hImages, LVSIL_SMALL);

    CRect rcClient;
    m_grid.GetClientRect(&rcClient);
    for (const int nImage : {-1, 0}) {
        m_grid.SetCellImage(0, 1, nImage);
        int nCut = 0, nWhole = 0;
        for (int nWidth = nTextWidth - 4; nWidth <= nTextWidth + 3 * nSpace + 20; ++nWidth) {
            m_grid.SetColumnWidth(1, nWidth);
            CRect rcCell;
            m_grid.GetSubItemRect(0, 1, LVIR_LABEL, rcCell);
            CCanvas atWidth(rcClient.Width(), rcClient.Height());
            DrawRow(atWidth, 0);
            m_grid.SetColumnWidth(1, 1000);
            CCanvas wide(rcClient.Width(), rcClient.Height());
            DrawRow(wide, 0);
            m_grid.SetColumnWidth(1, nWidth);

            bool bCut = false; // the grid line at the right edge differs anyway
            for (int x = rcCell.left; x < rcCell.right - 1 && !bCut; ++x)
                for (int y = rcCell.top; y < rcCell.bottom && !bCut; ++y)
                    bCut = atWidth.At(x, y) != wide.At(x, y);
            TOOLINFOA ti = {};
            EXPECT_EQ(m_grid.OnToolHitTest(rcCell.CenterPoint(), &ti) != -1, bCut)
                << "width " << nWidth << ", image " << nImage;
            ++(bCut ? nCut : nWhole);
        }
        EXPECT_GT(nCut, 0);
        EXPECT_GT(nWhole, 0);
    }
    m_grid.SetImageList(nullptr, LVSIL_SMALL);
    ::ImageList_Destroy(hImages);
}

TEST_F(GridToolTipTest, MouseMovesThroughTheLoopShowTheToolOfTheCell)
{
    const CPoint pt = Middle(1, 2);
    m_grid.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    Pump();
    HWND hTip = AfxGetToolTipWindow();
    ASSERT_NE(hTip, nullptr);
    ASSERT_EQ(::SendMessageA(hTip, TTM_GETTOOLCOUNT, 0, 0), 1);
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ASSERT_TRUE(::SendMessageA(hTip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&ti)));
    EXPECT_EQ(ti.hwnd, m_grid.m_hWnd);
    EXPECT_EQ(ti.uId, static_cast<UINT_PTR>(1 * 1024 + 2 + 1));

    // The control asks the grid for the text of its tool.
    ::SendMessageA(hTip, TTM_POPUP, 0, 0);
    Pump();
    char text[200] = "";
    TOOLINFOA get = {};
    get.cbSize = TTTOOLINFOA_V2_SIZE;
    get.hwnd = ti.hwnd;
    get.uId = ti.uId;
    get.lpszText = text;
    ::SendMessageA(hTip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&get));
    EXPECT_EQ(std::string(text).substr(0, 79), std::string(kLong).substr(0, 79));

    // Over a cell whose text fits there is no tool.
    const CPoint fits = Middle(1, 1);
    m_grid.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(fits.x, fits.y));
    Pump();
    EXPECT_EQ(::SendMessageA(hTip, TTM_GETTOOLCOUNT, 0, 0), 0);
}

} // namespace
