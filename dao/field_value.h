// A field value of the engine as the VARIANT the data-access layer hands out.
#pragma once
#include "afxole.h"

namespace jet {
class Value;
}

// Replaces what `out` held with the value (see CDaoRecordset::GetFieldValue
// for the types). Throws CMemoryException when out of memory.
void StoreFieldValue(const jet::Value& value, COleVariant& out);
