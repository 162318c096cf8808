// The query text every read and rewrite of a table runs: its first 1000
// records with the first 240 fields named one by one.
#include "transfer.h"

#include "engine_text.h"

namespace {
// Letters, digits and underscores, not starting with a digit.
bool IsPlainIdentifier(const CString& strName)
{
    if (strName.IsEmpty()) return false;
    for (int i = 0; i < strName.GetLength(); ++i) {
        const char c = strName[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0)) return false;
    }
    return true;
}

// A name the engine's SQL takes as it stands.
bool StandsBare(const CString& strName)
{
    return IsPlainIdentifier(strName) && !IsEngineReservedWord(strName);
}
} // namespace

CString transfer::BuildQuery(const CString& strTable, const CTableFields& fields)
{
    CString strSQL = "SELECT TOP 1000 ";
    for (size_t i = 0; i < fields.size(); ++i) {
        strSQL += i == 0 ? "[" : ", [";
        strSQL += fields[i].m_strName;
        strSQL += "]";
    }
    // The table the operator picked from the list must be readable whatever its
    // name: one with a blank (or another character SQL does not take bare), or
    // one that is a word of SQL (Order, Group, Select), is put in brackets. A
    // plain name stays bare.
    strSQL += " FROM ";
    strSQL += StandsBare(strTable) ? strTable : "[" + strTable + "]";
    return strSQL;
}
