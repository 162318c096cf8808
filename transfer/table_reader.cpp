// Reading a table's records into the grid, as the first read of a table does
// and every tick of the reading mode does again.
#include "held_redraw.h"
#include "transfer.h"
#include "transfer_limits.h"

void transfer::FillGridRows(CListCtrl& grid, CDaoRecordset& rs, int& nDone)
{
    long nRecords = 0;
    if (!rs.IsEOF()) {
        rs.MoveLast();
        nRecords = rs.GetRecordCount();
        rs.MoveFirst();
    }

    // Only a change in the number of rows (a first read, a table that grew
    // or shrank) is drawn in one go; a tick over the same rows draws the
    // cells that changed as they change.
    CHeldRedraw held(grid);

    // The grid gets as many rows as there are records, taken off and put on at the top.
    while (grid.GetItemCount() > nRecords) {
        held.Hold();
        if (!grid.DeleteItem(0)) break;
    }
    while (grid.GetItemCount() < nRecords) {
        held.Hold();
        if (grid.InsertItem(LVIF_TEXT, 0, "", 0, 0, 0, 0) < 0) AfxThrowMemoryException();
    }

    const int nFields = rs.GetFieldCount();
    COleVariant value;
    for (long r = 0; !rs.IsEOF() && r < nRecords;) {
        for (int f = 0; f < nFields; ++f) {
            rs.GetFieldValue(f, value);
            grid.SetItemText(static_cast<int>(r), f, ToString(value, kReadPrecision, kReadDateStyle));
        }
        rs.MoveNext();
        nDone = static_cast<int>(++r);
    }
    value.Clear();
}
