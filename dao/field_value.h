// A field value of the engine as the VARIANT the data-access layer hands out.
#pragma once
#include "afxole.h"
#include <string>

namespace jet {
class Value;
}

// Replaces what `out` held with the value (see CDaoRecordset::GetFieldValue
// for the types), converting text in `scratch` (storage kept between calls);
// a text of the byte length of the BSTR `out` holds is written into that
// BSTR. Throws CMemoryException when out of memory.
void StoreFieldValue(const jet::Value& value, COleVariant& out, std::string& scratch);

// The VARIANT as an engine value: the types above, plus VT_EMPTY as null. A
// VT_BSTR is read as text in the program's code page. False for a type the
// engine has no field for.
bool LoadFieldValue(const VARIANT& in, jet::Value& out);
