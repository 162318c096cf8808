// The query text every read and rewrite of a table runs: its first 1000
// records with the first 240 fields named one by one.
#include "transfer.h"

namespace {
// The words the engine's SQL keeps for itself, its own and those of the SQL
// standard it reserves: a table with one of these names cannot stand bare
// after FROM ("Syntax error in FROM clause."). Some are only reserved in
// some versions of the engine; a name in brackets is read in all of them.
const char* const kReservedWords[] = {
    "ABSOLUTE", "ACTION", "ADD", "ADMINDB", "ALL", "ALLOCATE", "ALPHANUMERIC", "ALTER", "AND", "ANY", "ARE",
    "AS", "ASC", "ASSERTION", "AT", "AUTHORIZATION", "AUTOINCREMENT", "AVG", "BAND", "BEGIN", "BETWEEN",
    "BINARY", "BIT", "BIT_LENGTH", "BNOT", "BOOLEAN", "BOR", "BOTH", "BXOR", "BY", "BYTE", "CASCADE",
    "CASCADED", "CASE", "CAST", "CATALOG", "CHAR", "CHARACTER", "CHARACTER_LENGTH", "CHAR_LENGTH", "CHECK",
    "CLOSE", "COALESCE", "COLLATE", "COLLATION", "COLUMN", "COMMIT", "COMP", "COMPRESSION", "CONNECT",
    "CONNECTION", "CONSTRAINT", "CONSTRAINTS", "CONTAINER", "CONTINUE", "CONVERT", "CORRESPONDING", "COUNT",
    "COUNTER", "CREATE", "CREATEDB", "CROSS", "CURRENCY", "CURRENT", "CURRENT_DATE", "CURRENT_TIME",
    "CURRENT_TIMESTAMP", "CURRENT_USER", "CURSOR", "DATABASE", "DATE", "DATETIME", "DAY", "DEALLOCATE", "DEC",
    "DECIMAL", "DECLARE", "DEFAULT", "DEFERRABLE", "DEFERRED", "DELETE", "DESC", "DESCRIBE", "DESCRIPTOR",
    "DIAGNOSTICS", "DISALLOW", "DISCONNECT", "DISTINCT", "DISTINCTROW", "DOMAIN", "DOUBLE", "DROP", "ELSE",
    "END", "EQV", "ESCAPE", "EXCEPT", "EXCEPTION", "EXCLUSIVECONNECT", "EXEC", "EXECUTE", "EXISTS",
    "EXTERNAL", "EXTRACT", "FALSE", "FETCH", "FIRST", "FLOAT", "FLOAT4", "FLOAT8", "FOR", "FOREIGN", "FOUND",
    "FROM", "FULL", "GENERAL", "GET", "GLOBAL", "GO", "GOTO", "GRANT", "GROUP", "GUID", "HAVING", "HOUR",
    "IDENTITY", "IEEEDOUBLE", "IEEESINGLE", "IGNORE", "IMAGE", "IMMEDIATE", "IMP", "IN", "INDEX", "INDICATOR",
    "INHERITABLE", "INITIALLY", "INNER", "INPUT", "INSENSITIVE", "INSERT", "INT", "INTEGER", "INTEGER1",
    "INTEGER2", "INTEGER4", "INTERSECT", "INTERVAL", "INTO", "IS", "ISOLATION", "JOIN", "KEY", "LANGUAGE",
    "LAST", "LEADING", "LEFT", "LEVEL", "LIKE", "LOCAL", "LOGICAL", "LOGICAL1", "LONG", "LONGBINARY",
    "LONGCHAR", "LONGTEXT", "LOWER", "MATCH", "MAX", "MEMO", "MIN", "MINUTE", "MOD", "MODULE", "MONEY",
    "MONTH", "NAMES", "NATIONAL", "NATURAL", "NCHAR", "NEXT", "NO", "NOT", "NOTE", "NULL", "NULLIF", "NUMBER",
    "NUMERIC", "OBJECT", "OCTET_LENGTH", "OF", "OLEOBJECT", "ON", "ONLY", "OPEN", "OPTION", "OR", "ORDER",
    "OUTER", "OUTPUT", "OVERLAPS", "OWNERACCESS", "PAD", "PARAMETERS", "PARTIAL", "PASSWORD", "PERCENT",
    "PIVOT", "POSITION", "PRECISION", "PREPARE", "PRESERVE", "PRIMARY", "PRIOR", "PRIVILEGES", "PROC",
    "PROCEDURE", "PUBLIC", "READ", "REAL", "REFERENCES", "RELATIVE", "RESTRICT", "REVOKE", "RIGHT", "ROLLBACK",
    "ROWS", "SCHEMA", "SCROLL", "SECOND", "SECTION", "SELECT", "SELECTSCHEMA", "SELECTSECURITY", "SESSION",
    "SESSION_USER", "SET", "SHORT", "SINGLE", "SIZE", "SMALLINT", "SOME", "SPACE", "SQL", "SQLCODE",
    "SQLERROR", "SQLSTATE", "STDEV", "STDEVP", "STRING", "SUBSTRING", "SUM", "SYSTEM_USER", "TABLE",
    "TABLEID", "TEMPORARY", "TEXT", "THEN", "TIME", "TIMESTAMP", "TIMEZONE_HOUR", "TIMEZONE_MINUTE", "TO",
    "TOP", "TRAILING", "TRANSACTION", "TRANSFORM", "TRANSLATE", "TRANSLATION", "TRIM", "TRUE", "UNION",
    "UNIQUE", "UNIQUEIDENTIFIER", "UNKNOWN", "UPDATE", "UPDATEIDENTITY", "UPDATEOWNER", "UPDATESECURITY",
    "UPPER", "USAGE", "USER", "USING", "VALUE", "VALUES", "VAR", "VARBINARY", "VARCHAR", "VARP", "VARYING",
    "VIEW", "WHEN", "WHENEVER", "WHERE", "WITH", "WORK", "WRITE", "XOR", "YEAR", "YESNO", "ZONE",
};

bool IsReservedWord(const CString& strName)
{
    for (const char* pszWord : kReservedWords)
        if (strName.CompareNoCase(pszWord) == 0) return true;
    return false;
}

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
bool StandsBare(const CString& strName) { return IsPlainIdentifier(strName) && !IsReservedWord(strName); }
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
