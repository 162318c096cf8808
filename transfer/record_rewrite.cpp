// The updating mode's pass: every field of the current table's records
// written back with the value it holds, so the database sees real update
// traffic while its contents stay as they were.
#include "transfer.h"

void transfer::RewriteRecords(CDaoDatabase& db, const CString& strSQL, int& nDone)
{
    COleVariant varValue;
    CDaoRecordset rs(&db);
    rs.Open(dbOpenDynaset, strSQL, 0);
    const short nFields = rs.GetFieldCount();
    while (!rs.IsEOF()) {
        for (short f = 0; f < nFields; ++f) {
            rs.GetFieldValue(f, varValue);
            rs.Edit();
            rs.SetFieldValue(f, varValue);
            rs.Update();
        }
        rs.MoveNext();
        ++nDone;
    }
    varValue.Clear();
    // Closed here rather than by its destructor, so that what going idle
    // could not write reaches the caller like any other error.
    rs.Close();
}
