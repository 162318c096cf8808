// CDaoRecordset: the records a query text selects from an open database,
// with a current record, movement and field values as VARIANTs.
#pragma once
#include "afxole.h"
#include "dao_database.h"
#include <memory>
#include <string>

namespace jet {
class Dynaset;
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
    // dbOpenDynaset (the default) gives records that can be changed and are
    // read afresh as they become current; dbOpenSnapshot reads them once;
    // dbOpenTable takes a table name and reads its records once. Throws
    // CDaoException when the database is not open or the engine rejects the
    // text.
    virtual void Open(int nOpenType = AFX_DAO_USE_DEFAULT_TYPE, LPCSTR lpszSQL = nullptr, int nOptions = 0);
    virtual void Close();
    BOOL IsOpen() const { return m_pSnapshot != nullptr || m_pDynaset != nullptr; }

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

    // Changing the current record of a dynaset: Edit, then SetFieldValue for
    // the fields to change, then Update writes them to the file before it
    // returns (nothing is written for a field set to the value it holds).
    // Text comes in the program's code page; text that reads back as the
    // field holds it keeps the field's own characters, so writing back what
    // was read never changes a value. A snapshot throws "Cannot update.
    // Database or object is read-only."; the engine's refusals (a field that
    // cannot be updated, a record locked by another user) throw as well.
    void Edit();
    void SetFieldValue(int nIndex, const COleVariant& varValue);
    void SetFieldValue(int nIndex, LPCSTR lpszValue);
    void SetFieldValueNull(int nIndex);
    void Update();
    void CancelUpdate();

    CDaoDatabase* m_pDatabase;

private:
    // Calls f with whichever cursor is open; throws when none is.
    template <class F> decltype(auto) WithCursor(F&& f) const;
    jet::Dynaset& Writable() const;

    std::unique_ptr<jet::Snapshot> m_pSnapshot;
    std::unique_ptr<jet::Dynaset> m_pDynaset;
    std::unique_ptr<jet::Value> m_pValue;  // reused for every field read
    std::string m_textScratch;             // and the text it converts to
};
