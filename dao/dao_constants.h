// Numbers of the data-access layer: information levels, recordset types,
// object attributes and field types, with the values DAO gives them. Those the
// engine reports (field types, table attributes) are the engine's own.
#pragma once

#include "jet/base/dao_numbers.h"

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
constexpr long dbHiddenObject = static_cast<long>(jet::dbHiddenObject);
constexpr long dbSystemObject = static_cast<long>(jet::dbSystemObject);
constexpr long dbAttachedTable = static_cast<long>(jet::dbAttachedTable);
constexpr long dbAttachedODBC = static_cast<long>(jet::dbAttachedODBC);

// Field attributes (CDaoFieldInfo::m_lAttributes).
constexpr long dbFixedField = 0x00000001;
constexpr long dbVariableField = 0x00000002;
constexpr long dbAutoIncrField = 0x00000010;
constexpr long dbUpdatableField = 0x00000020;

// Field types (CDaoFieldInfo::m_nType).
constexpr short dbBoolean = jet::dbBoolean;
constexpr short dbByte = jet::dbByte;
constexpr short dbInteger = jet::dbInteger;
constexpr short dbLong = jet::dbLong;
constexpr short dbCurrency = jet::dbCurrency;
constexpr short dbSingle = jet::dbSingle;
constexpr short dbDouble = jet::dbDouble;
constexpr short dbDate = jet::dbDate;
constexpr short dbBinary = jet::dbBinary;
constexpr short dbText = jet::dbText;
constexpr short dbLongBinary = jet::dbLongBinary;
constexpr short dbMemo = jet::dbMemo;
constexpr short dbGUID = jet::dbGUID;
constexpr short dbDecimal = jet::dbDecimal;
