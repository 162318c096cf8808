// The data-access classes, over the project's Jet engine:
//   dao_constants.h  information levels, recordset types, attributes, field types
//   dao_exception.h  CDaoException, CDaoErrorInfo, AfxThrowDaoException
//   dao_info.h       CDaoTableDefInfo, CDaoFieldInfo
//   dao_database.h   CDaoDatabase
//   dao_tabledef.h   CDaoTableDef
//   dao_recordset.h  CDaoRecordset
//   dao_workspace.h  CDaoWorkspace (compacting a database)
// Every failure of the engine arrives as a CDaoException carrying the engine's
// error; running out of memory as a CMemoryException.
#pragma once
#include "dao_constants.h"
#include "dao_exception.h"
#include "dao_info.h"
#include "dao_database.h"
#include "dao_tabledef.h"
#include "dao_recordset.h"
#include "dao_workspace.h"
