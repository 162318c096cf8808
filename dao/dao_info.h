// Information records that the data-access layer fills on request.
#pragma once
#include "afxstr.h"

// One table definition of a database (CDaoDatabase::GetTableDefInfo).
struct CDaoTableDefInfo {
    // Primary level.
    CString m_strName;
    BOOL m_bUpdatable = FALSE;
    long m_lAttributes = 0;  // dbSystemObject, dbHiddenObject, dbAttachedTable, ...
    // Secondary level: where a linked table's records live.
    CString m_strSrcTableName;  // its name in the other database
    CString m_strConnect;       // ";DATABASE=" and the other database's path, as stored
};

// One field of a table definition (CDaoTableDef::GetFieldInfo).
struct CDaoFieldInfo {
    // Primary level.
    CString m_strName;
    short m_nType = 0;         // dbBoolean ... dbDecimal
    long m_lSize = 0;          // text: characters; memo and long binary: 0; others: bytes
    long m_lAttributes = 0;    // dbFixedField, dbVariableField, dbAutoIncrField, dbUpdatableField
    // Secondary level.
    short m_nOrdinalPosition = 0;
};
