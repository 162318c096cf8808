// jetdump: prints what the Jet engine reads from a database.
//
//   jetdump tables FILE
//       One line per table definition, in catalogue order:
//       NAME<TAB>0xATTRIBUTES<TAB>KIND
//       ATTRIBUTES is the 32-bit attribute word as DAO reports it, printed
//       as 0x%08X; KIND is "table", "linked" or "system".
//   jetdump fields FILE TABLE
//       One line per field, in definition order: NAME<TAB>DAO TYPE<TAB>SIZE
//       (decimal numbers; size in characters for text, 0 for memo/OLE).
//   jetdump rows FILE TABLE [--top N]
//       JSON Lines: one object per record, in the order Jet returns them,
//       keys are the field names in field order, written like
//       JSON.stringify: {"A":1,"B":"x"} with no blanks.
//       null               NULL
//       true / false       yes/no
//       number             byte, integer, long
//       number             single and double: the shortest digits that read
//                          back to the same single (double) value, laid out
//                          as JavaScript's Number#toString does (plain for
//                          decimal exponents -7..20, else 1.5e+21 / 1e-7);
//                          -0 prints as 0; NaN and infinities as the strings
//                          "NaN", "Infinity", "-Infinity"
//       "12.3400"          currency: exact, always four decimals
//       "-99.5000"         decimal: exact, as many decimals as its scale
//       "YYYY-MM-DDTHH:MM:SS"  date/time, rounded to the second (a date
//                          beyond 1e9 days or NaN prints as a number)
//       "text"             text and memo: UTF-8, escaped as JSON.stringify
//                          does (\" \\ \b \f \n \r \t, other controls and
//                          unpaired surrogates as \u00xx / \udxxx in lower case)
//       {"hex":"0a1b"}     binary, long binary and GUID: the stored bytes
//   On failure: the error's description on stderr, exit status 1.
#include "jet/jet.h"
#include "jet/base/text.h"
#include "tools/jetdump_format.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// Output in blocks small enough to stay in the cache.
class Output {
public:
    Output() { buf_.reserve(kBlock * 2); }
    ~Output() { flush(); }
    std::string& buffer() { return buf_; }
    void maybe_flush()
    {
        if (buf_.size() >= kBlock) flush();
    }
    void flush()
    {
        if (!buf_.empty()) std::fwrite(buf_.data(), 1, buf_.size(), stdout);
        buf_.clear();
    }

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    std::string buf_;
};

int usage()
{
    std::fputs("usage: jetdump tables FILE\n"
               "       jetdump fields FILE TABLE\n"
               "       jetdump rows FILE TABLE [--top N]\n",
               stderr);
    return 2;
}

int dump_tables(jet::Database& db, Output& out)
{
    for (std::size_t i = 0; i < db.table_count(); ++i) {
        const jet::CatalogueEntry& e = db.table(i);
        char attrs[16];
        std::snprintf(attrs, sizeof attrs, "0x%08X", static_cast<unsigned>(e.attributes));
        out.buffer() += e.name + '\t' + attrs + '\t' + jet::to_string(e.kind) + '\n';
    }
    return 0;
}

int dump_fields(jet::Database& db, const std::string& table, Output& out)
{
    const jet::TableDefinition def = db.table_definition(table);
    for (const jet::Column& c : def.columns)
        out.buffer() += c.name + '\t' + std::to_string(c.dao_type()) + '\t' +
                        std::to_string(c.dao_size(def.version)) + '\n';
    return 0;
}

int dump_rows(jet::Database& db, const std::string& table, std::uint64_t top, Output& out)
{
    jet::Snapshot rows = db.open_table(table, top);
    std::vector<std::string> keys;
    for (const jet::FieldInfo& f : rows.fields()) {
        std::string key;
        jetdump::append_json_string(key, jet::to_utf16(f.name));
        keys.push_back(key + ':');
    }
    jet::Value value;
    for (; !rows.is_eof(); rows.move_next()) {
        std::string& line = out.buffer();
        line.push_back('{');
        for (int i = 0; i < rows.field_count(); ++i) {
            if (i > 0) line.push_back(',');
            line += keys[static_cast<std::size_t>(i)];
            rows.read(i, value);
            jetdump::append_value(line, value);
        }
        line += "}\n";
        out.maybe_flush();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return usage();
    const std::string command = argv[1];
    const std::string file = argv[2];
    std::uint64_t top = UINT64_MAX;
    if (command == "rows" && argc == 6 && std::strcmp(argv[4], "--top") == 0) {
        const char* s = argv[5];
        const auto r = std::from_chars(s, s + std::strlen(s), top);
        if (r.ec != std::errc() || *r.ptr != '\0') return usage();
    } else if ((command == "tables" && argc != 3) || (command == "fields" && argc != 4) ||
               (command == "rows" && argc != 4) ||
               (command != "tables" && command != "fields" && command != "rows")) {
        return usage();
    }
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // "\n" line ends, as on every other system
#endif
    Output out;
    try {
        jet::Database db(file);
        if (command == "tables") return dump_tables(db, out);
        if (command == "fields") return dump_fields(db, argv[3], out);
        return dump_rows(db, argv[3], top, out);
    } catch (const jet::Error& e) {
        out.flush();
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", e.description().c_str());
        return 1;
    }
}
