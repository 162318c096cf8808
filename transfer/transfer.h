// Moving a table's contents between the database and the grid. Every
// operation takes what it works on as arguments and reports a failure by
// throwing (CDaoException, CMemoryException, another CException); it never
// writes to a log or asks the operator.
#pragma once
#include <vector>
#include "afx.h"
#include "afxdao.h"

namespace transfer {

// The fields of a table definition that the grid shows and the query text
// names: the first kMaxGridColumns of them, in field order.
using CTableFields = std::vector<CDaoFieldInfo>;

// Reads the definition of the table (primary information of its fields).
CTableFields ReadTableFields(CDaoDatabase& db, const CString& strTable);

// Takes every row and column off the grid, then, for a table name, reads the
// table's definition into fields and puts up one column per field, titled
// with its name, aligned and sized by its type. When the definition cannot be
// read the exception leaves the grid empty.
void BuildColumns(CListCtrl& grid, CDaoDatabase& db, const CString& strTable, CTableFields& fields);

// The query text of the table: its first 1000 records with the fields named
// one by one, the table's name in brackets unless it stands bare.
CString BuildQuery(const CString& strTable, const CTableFields& fields);

// A field value as cell text: nPrecision decimals for floating-point values;
// dwDateStyle 1 time only, 2 date only, otherwise date and time.
CString ToString(const COleVariant& var, int nPrecision, DWORD dwDateStyle);

// Fits the grid's rows to the recordset's records (taking rows off or putting
// empty ones on at the top) and sets every cell from the first record on;
// nDone counts the records done, so it tells how far a failing pass got.
void FillGridRows(CListCtrl& grid, CDaoRecordset& rs, int& nDone);

// Writes every field of the records the query text selects back with the
// value it holds, one edit and update per field; nDone counts the records
// whose fields have all been written.
void RewriteRecords(CDaoDatabase& db, const CString& strSQL, int& nDone);

// The temporary file a compaction writes into: the path with the extension of
// its file name (from the name's last ".") replaced by ".tmp", or ".tmp"
// appended when the name has none. Dots in folder names are left alone.
CString CompactTempName(const CString& strPath);

// A compacted copy that could not take the database's place: the message
// gives the system's reason and the name under which the copy was kept (in
// full, however long the path).
class CReplaceException : public CException {
public:
    explicit CReplaceException(const CString& strMessage) : m_strMessage(strMessage) {}
    BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;
    CString m_strMessage;
};

// Compacts the database at strPath into its temporary file, which then takes
// the database's place. Throws what the compaction throws, or a
// CReplaceException.
void CompactInPlace(const CString& strPath);

} // namespace transfer
