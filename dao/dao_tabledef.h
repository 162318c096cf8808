// CDaoTableDef: the definition of one table of an open database (its fields
// in field order). The definition is read when it is opened.
#pragma once
#include "dao_database.h"
#include <vector>

class CDaoTableDef {
public:
    explicit CDaoTableDef(CDaoDatabase* pDatabase);
    // Closes the table definition if it is open.
    virtual ~CDaoTableDef();
    CDaoTableDef(const CDaoTableDef&) = delete;
    CDaoTableDef& operator=(const CDaoTableDef&) = delete;

    // Reads the definition of the table of that name (without regard to case;
    // a linked table's fields are those of the table it links to). Throws
    // CDaoException when the database is not open or has no such table.
    virtual void Open(LPCSTR lpszName);
    virtual void Close();
    BOOL IsOpen() const { return m_bOpen; }
    CString GetName() const { return m_strName; }

    short GetFieldCount() const;
    // Fills the record of field nIndex (from 0); an index outside the fields
    // throws "Item not found in this collection.".
    void GetFieldInfo(int nIndex, CDaoFieldInfo& fieldinfo, DWORD dwInfoOptions = AFX_DAO_PRIMARY_INFO) const;

    CDaoDatabase* m_pDatabase;

private:
    std::vector<CDaoFieldInfo> m_fields;
    CString m_strName;
    BOOL m_bOpen = FALSE;
};
