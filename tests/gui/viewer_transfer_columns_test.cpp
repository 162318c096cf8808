// The dialog's column layout and query text without an open database.
#include <gtest/gtest.h>
#include "viewer_test_support.h"

TEST_F(ViewerTest, ColumnsAndQueryNeedAnOpenDatabase)
{
    dlg.m_grid.InsertColumn(0, "A", LVCFMT_LEFT, 30);
    dlg.m_grid.InsertColumn(1, "B", LVCFMT_LEFT, 30);
    dlg.m_grid.InsertItem(0, "a");
    CDaoDatabase closed;
    dlg.BuildColumns("Four", &closed);
    dlg.BuildColumns("Four", nullptr);
    EXPECT_EQ(Columns(dlg.m_grid).size(), 2u);
    EXPECT_EQ(Rows(dlg.m_grid), 1);
    EXPECT_EQ(std::string(dlg.BuildQuery("Four", &closed)), "");
    EXPECT_EQ(std::string(dlg.BuildQuery("Four", nullptr)), "");
}
