#include "jet/query.h"

#include "jet/error.h"
#include "jet/text.h"

#include <cctype>

namespace jet {

namespace {

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

bool is_reserved(const Token& t)
{
    for (const char* w : {"SELECT", "TOP", "FROM", "WHERE", "ORDER", "GROUP", "AS", "DISTINCT", "PERCENT"})
        if (is_keyword(t, w)) return true;
    return false;
}

}  // namespace

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
