// The grid's columns for a table: one per field, titled with the field name,
// aligned and sized by the field's type.
#include "held_redraw.h"
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
} // namespace

void CQuillmereDlg::BuildColumns(const CString& strTable, CDaoDatabase* pDb)
{
    if (!pDb || !pDb->IsOpen()) return;

    CHeldRedraw held(m_grid);
    held.Hold(true);
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
