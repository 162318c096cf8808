// CDaoDatabase: an open database file and its catalogue of table definitions.
#pragma once
#include "dao_constants.h"
#include "dao_exception.h"
#include "dao_info.h"
#include <memory>

namespace jet {
class Database;
}
class CDaoWorkspace;

class CDaoDatabase {
public:
    // Only the default workspace exists: the argument is kept for the callers'
    // sake and is NULL.
    explicit CDaoDatabase(CDaoWorkspace* pWorkspace = nullptr);
    // Closes the database if it is open.
    virtual ~CDaoDatabase();
    CDaoDatabase(const CDaoDatabase&) = delete;
    CDaoDatabase& operator=(const CDaoDatabase&) = delete;

    // Opens the file for shared reading and writing (a database open already
    // is closed first). The engine opens files for shared use only: an
    // exclusive or read-only open is refused. The connect text is not used.
    // Throws CDaoException with the engine's error (file missing, not a
    // database, protected by a password, ...).
    virtual void Open(LPCSTR lpszName, BOOL bExclusive = FALSE, BOOL bReadOnly = FALSE, LPCSTR lpszConnect = "");
    virtual void Close();
    BOOL IsOpen() const { return m_pEngine != nullptr; }

    // The path the database was opened with.
    CString GetName() const { return m_strName; }

    // Table definitions in catalogue order, system tables included.
    short GetTableDefCount() const;
    // Fills the record of table definition nIndex (from 0) at the level given;
    // an index outside the catalogue throws "Item not found in this collection.".
    void GetTableDefInfo(int nIndex, CDaoTableDefInfo& tabledefinfo, DWORD dwInfoOptions = AFX_DAO_PRIMARY_INFO);

    // The engine's database, for settings the layer does not carry (such as
    // how long to wait for another user's lock); throws
    // AFX_DAO_ERROR_OBJECT_NOT_OPEN when closed.
    jet::Database& Engine() const;

    CDaoWorkspace* m_pWorkspace;

private:
    friend class CDaoTableDef;
    friend class CDaoRecordset;

    std::unique_ptr<jet::Database> m_pEngine;
    CString m_strName;
};
