// CDaoWorkspace: the database engine's session. Only the default workspace
// exists, and its one operation of use here is compacting a database file.
#pragma once
#include "dao_exception.h"
#include <functional>

class CDaoWorkspace {
public:
    CDaoWorkspace() = default;
    virtual ~CDaoWorkspace() = default;
    CDaoWorkspace(const CDaoWorkspace&) = delete;
    CDaoWorkspace& operator=(const CDaoWorkspace&) = delete;

    // Writes a compacted copy of the database lpszSrcName to lpszDestName,
    // which must not exist. lpszLocale is the sort-order text (such as
    // ";LANGID=0x0409;CP=1252;COUNTRY=0"), nOptions DAO's dbEncrypt,
    // dbVersion.. bits; neither may ask for a change of the database's sort
    // order, format or encoding. Nobody may have the source open. Throws
    // CDaoException with the engine's error ("Database already exists.",
    // "Could not use '...'; file already in use.", ...); the destination is
    // then not left behind.
    static void PASCAL CompactDatabase(LPCTSTR lpszSrcName, LPCTSTR lpszDestName, LPCTSTR lpszLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0",
                                       int nOptions = 0);
    // The same, with fnWhileHeld run once the compacted copy is complete
    // and has read back as the source, while the source is still held for
    // this compaction alone: what it does to the files (putting the copy in
    // the source's place) no other program can come between. An exception
    // it throws reaches the caller as it is, and the copy stays.
    static void PASCAL CompactDatabase(LPCTSTR lpszSrcName, LPCTSTR lpszDestName, LPCTSTR lpszLocale, int nOptions,
                                       const std::function<void()>& fnWhileHeld);
};
