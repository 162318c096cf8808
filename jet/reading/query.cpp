#include "jet/reading/query.h"

#include "jet/base/error.h"
#include "jet/base/text.h"

#include <cctype>

namespace jet {

namespace {

// The words Jet's SQL keeps for itself, its own and those of the SQL standard
// it reserves, in alphabetical order. Some are reserved only in some versions
// of the engine; a name in brackets is read in all of them.
const std::string_view kReservedWords[] = {
    "ABSOLUTE", "ACTION", "ADD", "ADMINDB", "ALL", "ALLOCATE", "ALPHANUMERIC", "ALTER", "AND", "ANY", "ARE", "AS",
    "ASC", "ASSERTION", "AT", "AUTHORIZATION", "AUTOINCREMENT", "AVG", "BAND", "BEGIN", "BETWEEN", "BINARY", "BIT",
    "BIT_LENGTH", "BNOT", "BOOLEAN", "BOR", "BOTH", "BXOR", "BY", "BYTE", "CASCADE", "CASCADED", "CASE", "CAST",
    "CATALOG", "CHAR", "CHARACTER", "CHARACTER_LENGTH", "CHAR_LENGTH", "CHECK", "CLOSE", "COALESCE", "COLLATE",
    "COLLATION", "COLUMN", "COMMIT", "COMP", "COMPRESSION", "CONNECT", "CONNECTION", "CONSTRAINT", "CONSTRAINTS",
    "CONTAINER", "CONTINUE", "CONVERT", "CORRESPONDING", "COUNT", "COUNTER", "CREATE", "CREATEDB", "CROSS",
    "CURRENCY", "CURRENT", "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP", "CURRENT_USER", "CURSOR",
    "DATABASE", "DATE", "DATETIME", "DAY", "DEALLOCATE", "DEC", "DECIMAL", "DECLARE", "DEFAULT", "DEFERRABLE",
    "DEFERRED", "DELETE", "DESC", "DESCRIBE", "DESCRIPTOR", "DIAGNOSTICS", "DISALLOW", "DISCONNECT", "DISTINCT",
    "DISTINCTROW", "DOMAIN", "DOUBLE", "DROP", "ELSE", "END", "EQV", "ESCAPE", "EXCEPT", "EXCEPTION",
    "EXCLUSIVECONNECT", "EXEC", "EXECUTE", "EXISTS", "EXTERNAL", "EXTRACT", "FALSE", "FETCH", "FIRST", "FLOAT",
    "FLOAT4", "FLOAT8", "FOR", "FOREIGN", "FOUND", "FROM", "FULL", "GENERAL", "GET", "GLOBAL", "GO", "GOTO",
    "GRANT", "GROUP", "GUID", "HAVING", "HOUR", "IDENTITY", "IEEEDOUBLE", "IEEESINGLE", "IGNORE", "IMAGE",
    "IMMEDIATE", "IMP", "IN", "INDEX", "INDICATOR", "INHERITABLE", "INITIALLY", "INNER", "INPUT", "INSENSITIVE",
    "INSERT", "INT", "INTEGER", "INTEGER1", "INTEGER2", "INTEGER4", "INTERSECT", "INTERVAL", "INTO", "IS",
    "ISOLATION", "JOIN", "KEY", "LANGUAGE", "LAST", "LEADING", "LEFT", "LEVEL", "LIKE", "LOCAL", "LOGICAL",
    "LOGICAL1", "LONG", "LONGBINARY", "LONGCHAR", "LONGTEXT", "LOWER", "MATCH", "MAX", "MEMO", "MIN", "MINUTE",
    "MOD", "MODULE", "MONEY", "MONTH", "NAMES", "NATIONAL", "NATURAL", "NCHAR", "NEXT", "NO", "NOT", "NOTE", "NULL",
    "NULLIF", "NUMBER", "NUMERIC", "OBJECT", "OCTET_LENGTH", "OF", "OLEOBJECT", "ON", "ONLY", "OPEN", "OPTION",
    "OR", "ORDER", "OUTER", "OUTPUT", "OVERLAPS", "OWNERACCESS", "PAD", "PARAMETERS", "PARTIAL", "PASSWORD",
    "PERCENT", "PIVOT", "POSITION", "PRECISION", "PREPARE", "PRESERVE", "PRIMARY", "PRIOR", "PRIVILEGES", "PROC",
    "PROCEDURE", "PUBLIC", "READ", "REAL", "REFERENCES", "RELATIVE", "RESTRICT", "REVOKE", "RIGHT", "ROLLBACK",
    "ROWS", "SCHEMA", "SCROLL", "SECOND", "SECTION", "SELECT", "SELECTSCHEMA", "SELECTSECURITY", "SESSION",
    "SESSION_USER", "SET", "SHORT", "SINGLE", "SIZE", "SMALLINT", "SOME", "SPACE", "SQL", "SQLCODE", "SQLERROR",
    "SQLSTATE", "STDEV", "STDEVP", "STRING", "SUBSTRING", "SUM", "SYSTEM_USER", "TABLE", "TABLEID", "TEMPORARY",
    "TEXT", "THEN", "TIME", "TIMESTAMP", "TIMEZONE_HOUR", "TIMEZONE_MINUTE", "TO", "TOP", "TRAILING", "TRANSACTION",
    "TRANSFORM", "TRANSLATE", "TRANSLATION", "TRIM", "TRUE", "UNION", "UNIQUE", "UNIQUEIDENTIFIER", "UNKNOWN",
    "UPDATE", "UPDATEIDENTITY", "UPDATEOWNER", "UPDATESECURITY", "UPPER", "USAGE", "USER", "USING", "VALUE",
    "VALUES", "VAR", "VARBINARY", "VARCHAR", "VARP", "VARYING", "VIEW", "WHEN", "WHENEVER", "WHERE", "WITH", "WORK",
    "WRITE", "XOR", "YEAR", "YESNO", "ZONE",
};

[[noreturn]] void select_error() { throw error(kSelectSyntax); }

[[noreturn]] void from_error() { throw error(kFromClauseSyntax); }

struct Token {
    enum Kind { End, Word, Name, Number, Comma, Star, Semicolon, Other } kind = End;
    std::string text;  // word or number as written; a bracketed name without its brackets
};

class Lexer {
public:
    explicit Lexer(std::string_view sql) : s_(sql) {}

    Token next()
    {
        while (pos_ < s_.size() && is_space(s_[pos_])) ++pos_;
        Token t;
        if (pos_ >= s_.size()) return t;
        const char c = s_[pos_];
        if (c == '[') {
            const std::size_t close = s_.find(']', pos_ + 1);
            const std::size_t open = s_.find('[', pos_ + 1);
            if (close == std::string_view::npos || open < close)
                throw error(kInvalidBracketing, {s_.substr(pos_, std::min(close, open) - pos_)});
            t.kind = Token::Name;
            t.text = std::string(s_.substr(pos_ + 1, close - pos_ - 1));
            pos_ = close + 1;
            return t;
        }
        if (is_word_char(c)) {
            const std::size_t start = pos_;
            while (pos_ < s_.size() && is_word_char(s_[pos_])) ++pos_;
            t.text = std::string(s_.substr(start, pos_ - start));
            bool digits = true;
            for (const char d : t.text) digits = digits && std::isdigit(static_cast<unsigned char>(d));
            t.kind = digits ? Token::Number : Token::Word;
            return t;
        }
        ++pos_;
        t.text = std::string(1, c);
        t.kind = c == ',' ? Token::Comma : c == '*' ? Token::Star : c == ';' ? Token::Semicolon : Token::Other;
        return t;
    }

private:
    static bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
    static bool is_word_char(char c)
    {
        const auto u = static_cast<unsigned char>(c);
        return std::isalnum(u) || c == '_' || u >= 0x80;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
};

bool is_keyword(const Token& t, std::string_view word) { return t.kind == Token::Word && names_equal(t.text, word); }

bool is_reserved(const Token& t) { return t.kind == Token::Word && is_reserved_word(t.text); }

}  // namespace

bool is_reserved_word(std::string_view name)
{
    for (const std::string_view word : kReservedWords)
        if (names_equal(name, word)) return true;
    return false;
}

SelectQuery parse_query(std::string_view sql)
{
    Lexer lex(sql);
    SelectQuery q;
    Token t = lex.next();
    if (!is_keyword(t, "SELECT"))
        throw error(kInvalidStatement);
    t = lex.next();
    if (is_keyword(t, "TOP")) {
        t = lex.next();
        if (t.kind != Token::Number || t.text.size() > 18) select_error();
        q.top = std::stoull(t.text);
        if (*q.top == 0) select_error();
        t = lex.next();
        if (is_keyword(t, "PERCENT")) select_error();
    }

    if (t.kind == Token::Star) {
        q.all_fields = true;
        t = lex.next();
    } else {
        for (;;) {
            if (t.kind == Token::Name) {
                if (t.text.empty()) select_error();
            } else if (t.kind != Token::Word || is_reserved(t)) {
                select_error();
            }
            q.fields.push_back(t.text);
            t = lex.next();
            if (t.kind != Token::Comma) break;
            t = lex.next();
        }
    }
    if (!is_keyword(t, "FROM")) select_error();

    t = lex.next();
    if (t.kind == Token::Name) {
        if (t.text.empty()) from_error();
    } else if (t.kind != Token::Word || is_reserved(t)) {
        from_error();
    }
    q.table = t.text;

    t = lex.next();
    if (t.kind == Token::Semicolon) {
        t = lex.next();
        if (t.kind != Token::End)
            throw error(kCharactersAfterEnd);
    } else if (t.kind != Token::End) {
        from_error();
    }
    return q;
}

}  // namespace jet
