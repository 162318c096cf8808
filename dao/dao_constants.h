// Numbers of the data-access layer: information levels, recordset types,
// object attributes and field types, with the values DAO gives them.
#pragma once

// How much of an object's information Get...Info fills.
#define AFX_DAO_PRIMARY_INFO 0x00000001
#define AFX_DAO_SECONDARY_INFO 0x00000002
#define AFX_DAO_ALL_INFO 0x00000004

// Recordset types.
#define AFX_DAO_USE_DEFAULT_TYPE (-1)
constexpr int dbOpenTable = 1;
constexpr int dbOpenDynaset = 2;
constexpr int dbOpenSnapshot = 4;

// Table definition attributes (CDaoTableDefInfo::m_lAttributes).
constexpr long dbHiddenObject = 0x00000001;
constexpr long dbSystemObject = static_cast<long>(0x80000002u);
constexpr long dbAttachedTable = 0x40000000;
constexpr long dbAttachedODBC = 0x20000000;

// Field attributes (CDaoFieldInfo::m_lAttributes).
constexpr long dbFixedField = 0x00000001;
constexpr long dbVariableField = 0x00000002;
constexpr long dbAutoIncrField = 0x00000010;
constexpr long dbUpdatableField = 0x00000020;

// Field types (CDaoFieldInfo::m_nType).
constexpr short dbBoolean = 1;
constexpr short dbByte = 2;
constexpr short dbInteger = 3;
constexpr short dbLong = 4;
constexpr short dbCurrency = 5;
constexpr short dbSingle = 6;
constexpr short dbDouble = 7;
constexpr short dbDate = 8;
constexpr short dbBinary = 9;
constexpr short dbText = 10;
constexpr short dbLongBinary = 11;
constexpr short dbMemo = 12;
constexpr short dbGUID = 15;
constexpr short dbDecimal = 20;
