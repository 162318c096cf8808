// The grid's columns for a table: one per field, titled with the field name,
// aligned and sized by the field's type.
#include "quillmere_dlg.h"
#include "transfer_limits.h"

namespace {
void ColumnFormat(const CDaoFieldInfo& field, int& nFormat, int& nWidth)
{
    switch (field.m_nType) {
    case dbText:
        nFormat = LVCFMT_LEFT;
        nWidth = 5 * field.m_lSize > 105 ? 105 : static_cast<int>(5 * field.m_lSize);
        break;
    case dbMemo:
        nFormat = LVCFMT_LEFT;
        nWidth = 100;
        break;
    case dbDate:
        nFormat = LVCFMT_LEFT;
        nWidth = 80;
        break;
    case dbSingle:
    case dbDouble:
        nFormat = LVCFMT_RIGHT;
        nWidth = 50;
        break;
    default:
        nFormat = LVCFMT_RIGHT;
        nWidth = 40;
        break;
    }
}
// Keeps the grid and its header from drawing while the columns are taken off
// and put on, and has both drawn whole afterwards. Each column a drawing list
// inserts or deletes lays out and redraws its header and scroll bars again
// (under Wine some ten milliseconds a column, with no rows in the grid).
class CHeldLayout {
public:
    explicit CHeldLayout(CWnd& wnd) : m_wnd(wnd), m_hHeader(ListView_GetHeader(wnd.m_hWnd))
    {
        m_wnd.SendMessage(WM_SETREDRAW, FALSE, 0);
        if (m_hHeader) ::SendMessageA(m_hHeader, WM_SETREDRAW, FALSE, 0);
    }
    ~CHeldLayout()
    {
        if (m_hHeader) ::SendMessageA(m_hHeader, WM_SETREDRAW, TRUE, 0);
        m_wnd.SendMessage(WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(m_wnd.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    CHeldLayout(const CHeldLayout&) = delete;
    CHeldLayout& operator=(const CHeldLayout&) = delete;

private:
    CWnd& m_wnd;
    HWND m_hHeader;
};
} // namespace

void CQuillmereDlg::BuildColumns(const CString& strTable, CDaoDatabase* pDb)
{
    if (!pDb || !pDb->IsOpen()) return;

    CHeldLayout held(m_grid);
    m_grid.SendMessage(LVM_DELETEALLITEMS, 0, 0);
    while (m_grid.SendMessage(LVM_DELETECOLUMN, 0, 0)) {
    }
    if (strTable.IsEmpty()) return;

    CDaoTableDef tableDef(pDb);
    tableDef.Open(strTable);
    int nFields = tableDef.GetFieldCount();
    if (nFields > kMaxGridColumns) nFields = kMaxGridColumns;

    CStringArray titles;
    CDaoFieldInfo field;
    for (int i = 0; i < nFields; ++i) {
        tableDef.GetFieldInfo(i, field, AFX_DAO_PRIMARY_INFO);
        titles.Add(field.m_strName);
        int nFormat = LVCFMT_LEFT, nWidth = 0;
        ColumnFormat(field, nFormat, nWidth);
        m_grid.InsertColumn(i, titles[i], nFormat, nWidth, -1);
    }
}
