// Tool tips with the full text of truncated cells: the hit test, the text
// requests and the framework's tool-tip control fed from the message loop.
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
