// The grid's columns for a table: one per field, titled with the field name,
// aligned and sized by the field's type.
#include "held_redraw.h"
#include "transfer.h"
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

namespace transfer {

CTableFields ReadTableFields(CDaoDatabase& db, const CString& strTable)
{
    CDaoTableDef tableDef(&db);
    tableDef.Open(strTable);
    int nFields = tableDef.GetFieldCount();
    if (nFields > kMaxGridColumns) nFields = kMaxGridColumns;
    CTableFields fields(static_cast<size_t>(nFields));
    for (int i = 0; i < nFields; ++i) tableDef.GetFieldInfo(i, fields[static_cast<size_t>(i)], AFX_DAO_PRIMARY_INFO);
    return fields;
}

void BuildColumns(CListCtrl& grid, CDaoDatabase& db, const CString& strTable, CTableFields& fields)
{
    CHeldRedraw held(grid);
    held.Hold(true);
    grid.DeleteAllItems();
    while (grid.DeleteColumn(0)) {
    }
    if (strTable.IsEmpty()) return;

    fields = ReadTableFields(db, strTable);
    for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
        const CDaoFieldInfo& field = fields[static_cast<size_t>(i)];
        int nFormat = LVCFMT_LEFT, nWidth = 0;
        ColumnFormat(field, nFormat, nWidth);
        grid.InsertColumn(i, field.m_strName, nFormat, nWidth, -1);
    }
}

} // namespace transfer
