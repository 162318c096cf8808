// The updating mode's pass: every field of the current table's records
// written back with the value it holds, so the database sees real update
// traffic while its contents stay as they were.
#include "quillmere_dlg.h"

int CQuillmereDlg::RewriteRecords()
{
    if (!m_db.IsOpen()) return 0;
    if (m_strTable.IsEmpty()) return 0;

    int nDone = 0;
    RunGuarded([&] {
        COleVariant varValue;
        CDaoRecordset rs(&m_db);
        rs.Open(dbOpenDynaset, m_strSQL, 0);
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
        // could not write is reported and logged like any other error.
        rs.Close();
    });
    return nDone;
}
