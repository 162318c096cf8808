// CDaoRecordset: the records a query text selects from an open database,
// with a current record, movement and field values as VARIANTs.
#pragma once
#include "afxole.h"
#include "dao_database.h"
#include <memory>

namespace jet {
class Snapshot;
class Value;
}

class CDaoRecordset {
public:
    explicit CDaoRecordset(CDaoDatabase* pDatabase = nullptr);
    // Closes the recordset if it is open.
    virtual ~CDaoRecordset();
    CDaoRecordset(const CDaoRecordset&) = delete;
    CDaoRecordset& operator=(const CDaoRecordset&) = delete;

    // Runs the query text on the database and stands on the first record.
    // dbOpenSnapshot and dbOpenDynaset (the default) take a query text and
    // dbOpenTable a table name; every type reads the records as a snapshot
    // for now. Throws CDaoException when the database is not open or the
    // engine rejects the text.
    virtual void Open(int nOpenType = AFX_DAO_USE_DEFAULT_TYPE, LPCSTR lpszSQL = nullptr, int nOptions = 0);
    virtual void Close();
    BOOL IsOpen() const { return m_pSnapshot != nullptr; }

    BOOL IsEOF() const;
    BOOL IsBOF() const;
    // Movement; a move to a record that does not exist throws "No current record.".
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    // The records visited so far: all of them after MoveLast.
    long GetRecordCount() const;

    short GetFieldCount() const;
    // The current record's field nIndex as a VARIANT: VT_BOOL (-1 or 0),
    // VT_UI1, VT_I2, VT_I4, VT_CY, VT_R4, VT_R8, VT_DATE, VT_BSTR holding the
    // text in the program's code page (single-byte), VT_ARRAY | VT_UI1 for
    // binary, long binary and GUID values, VT_DECIMAL, and VT_NULL for a
    // field without a value.
    void GetFieldValue(int nIndex, COleVariant& varValue);
    COleVariant GetFieldValue(int nIndex);

    CDaoDatabase* m_pDatabase;

private:
    jet::Snapshot& Cursor() const;

    std::unique_ptr<jet::Snapshot> m_pSnapshot;
    std::unique_ptr<jet::Value> m_pValue;  // reused for every field read
};
