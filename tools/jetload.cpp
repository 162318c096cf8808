// jetload: puts a database under update and read load, for the tests that
// run several processes on one file and for measuring.
//
//   jetload rewrite FILE TABLE [--seconds S | --passes N] [--toggle] [--lock-timeout MS]
//       Rewrites every field of up to 1000 records with the value it holds,
//       one edit/update per field, pass after pass. With --toggle each field
//       is first changed to a value of the same stored length (see
//       alternative()) and then set back, so that the file really changes.
//       Prints "rewrite: P passes, U updates, W written" at the end.
//   jetload read FILE TABLE [--seconds S | --passes N] [--toggle]
//       Reads the same records again and again and checks every value
//       against the first read (with --toggle, the first value or its
//       alternative). Prints "read: P passes, R records, M mismatches" at
//       the end.
//   jetload hold FILE TABLE --seconds S [--read | --write]
//       Holds the lock of the page of the table's first record for S seconds,
//       as a reader does (shared) or as a writer does (the default).
//   jetload compare FILE ORIGINAL TABLE [--toggle]
//       Compares every record of the table in FILE with the ORIGINAL file
//       (with --toggle a field may hold its alternative instead). Prints
//       "compare: R records, M mismatches".
//   jetload compact FILE DESTINATION [--seconds S | --passes N]
//       Compacts FILE into DESTINATION, again and again (DESTINATION is
//       removed before each pass but the first, which requires it to be
//       missing). Prints "compact: P passes, S -> D pages" at the end.
// --ready FILE: `read` creates FILE after its first read, `hold` once it
// holds the lock (output to a file may only appear when a program ends).
// A failed operation prints the engine's error on stderr; the exit status
// is 1 for a failure or a mismatch, 2 for wrong arguments.
#include "jet/compact.h"
#include "jet/jet.h"
#include "jet/table_scan.h"
#include "jet/text.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string command, file, original, table, ready;
    double seconds = 0;
    long passes = 1;
    bool toggle = false;
    jet::LockMode hold_mode = jet::LockMode::Exclusive;
    long lock_timeout_ms = -1;
};

int usage()
{
    std::fputs("usage: jetload rewrite|read FILE TABLE [--seconds S | --passes N] [--toggle] [--lock-timeout MS]\n"
               "       jetload hold FILE TABLE --seconds S [--read | --write]\n"
               "       (read and hold: [--ready FILE])\n"
               "       jetload compare FILE ORIGINAL TABLE [--toggle]\n"
               "       jetload compact FILE DESTINATION [--seconds S | --passes N]\n",
               stderr);
    return 2;
}

std::string query_for(jet::Database& db, const std::string& table)
{
    const jet::TableDefinition def = db.table_definition(table);
    std::string sql = "SELECT TOP 1000 ";
    for (std::size_t i = 0; i < def.columns.size(); ++i) {
        if (i > 0) sql += ", ";
        sql += "[" + def.columns[i].name + "]";
    }
    return sql + " FROM [" + table + "]";
}

// A value of the same stored length as `v`, different from it; `v` itself
// where there is none (NULL, empty, long values, indexed or auto-number
// columns).
jet::Value alternative(const jet::Value& v, const jet::Column& c)
{
    jet::Value out = v;
    if (c.long_value() || !c.real_indexes.empty() || c.auto_number()) return out;
    switch (v.kind()) {
    case jet::ValueKind::Boolean: out.set_boolean(!v.boolean()); break;
    case jet::ValueKind::Byte: out.set_byte(static_cast<std::uint8_t>(v.byte() ^ 1)); break;
    case jet::ValueKind::Integer: out.set_integer(static_cast<std::int16_t>(v.integer() ^ 1)); break;
    case jet::ValueKind::Long: out.set_long(v.long_integer() ^ 1); break;
    case jet::ValueKind::Currency: out.set_currency(v.currency() ^ 1); break;
    case jet::ValueKind::Single: {
        std::uint32_t bits;
        float f = v.single();
        std::memcpy(&bits, &f, sizeof bits);
        bits ^= 1;
        std::memcpy(&f, &bits, sizeof bits);
        out.set_single(f);
        break;
    }
    case jet::ValueKind::Double:
    case jet::ValueKind::Date: {
        std::uint64_t bits;
        double d = v.kind() == jet::ValueKind::Double ? v.double_value() : v.date();
        std::memcpy(&bits, &d, sizeof bits);
        bits ^= 1;
        std::memcpy(&d, &bits, sizeof bits);
        if (v.kind() == jet::ValueKind::Double)
            out.set_double(d);
        else
            out.set_date(d);
        break;
    }
    case jet::ValueKind::Text: {
        std::u16string t = v.text();
        if (t.empty()) break;
        // Swap case of a letter, or flip the lowest bit of a character of
        // the same one-byte range: the stored form keeps its length.
        char16_t& ch = t[0];
        if ((ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z'))
            ch ^= 0x20;
        else if (ch >= 0x21 && ch < 0x7E)
            ch ^= 1;
        out.set_text(t.data(), t.size());
        break;
    }
    case jet::ValueKind::Binary: {
        std::vector<std::uint8_t> b = v.bytes();
        if (b.empty() || b[0] == 0 || b[0] == 1) break;  // a leading zero byte reads oddly elsewhere
        b[0] ^= 1;
        out.set_bytes(b.data(), b.size());
        break;
    }
    case jet::ValueKind::Decimal: {
        jet::Decimal d = v.decimal();
        d.low ^= 1;
        out.set_decimal(d);
        break;
    }
    case jet::ValueKind::Null: break;
    }
    return out;
}

void signal_ready(const Options& o)
{
    if (o.ready.empty()) return;
    std::FILE* f = std::fopen(o.ready.c_str(), "w");
    if (f) std::fclose(f);
}

bool running(const Options& o, Clock::time_point start, long done)
{
    if (o.seconds > 0) return std::chrono::duration<double>(Clock::now() - start).count() < o.seconds;
    return done < o.passes;
}

int rewrite(const Options& o)
{
    jet::Database db(o.file);
    if (o.lock_timeout_ms >= 0) db.set_lock_timeout(std::chrono::milliseconds(o.lock_timeout_ms));
    const std::string sql = query_for(db, o.table);
    const jet::TableDefinition def = db.table_definition(o.table);
    long passes = 0, updates = 0, written = 0;
    jet::Value value;
    const auto start = Clock::now();
    while (running(o, start, passes)) {
        jet::Dynaset d = db.open_dynaset(sql);
        for (; !d.is_eof(); d.move_next()) {
            for (int i = 0; i < d.field_count(); ++i) {
                d.read(i, value);
                if (o.toggle) {
                    const jet::Value other = alternative(value, def.columns[static_cast<std::size_t>(i)]);
                    if (!(other == value)) {
                        d.edit();
                        d.set_value(i, other);
                        written += d.update() ? 1 : 0;
                        ++updates;
                    }
                }
                d.edit();
                d.set_value(i, value);
                written += d.update() ? 1 : 0;
                ++updates;
            }
        }
        ++passes;
    }
    std::printf("rewrite: %ld passes, %ld updates, %ld written\n", passes, updates, written);
    return 0;
}

using Records = std::vector<std::vector<jet::Value>>;

Records read_all(jet::Database& db, const std::string& sql)
{
    Records out;
    jet::Snapshot s = db.open_snapshot(sql);
    for (; !s.is_eof(); s.move_next()) {
        std::vector<jet::Value> row(static_cast<std::size_t>(s.field_count()));
        for (int i = 0; i < s.field_count(); ++i) s.read(i, row[static_cast<std::size_t>(i)]);
        out.push_back(std::move(row));
    }
    return out;
}

long mismatches(const Records& got, const Records& expected, const std::vector<const jet::Column*>& columns,
                bool toggle)
{
    long bad = got.size() == expected.size() ? 0 : 1;
    for (std::size_t r = 0; r < got.size() && r < expected.size(); ++r)
        for (std::size_t f = 0; f < got[r].size(); ++f) {
            const jet::Value& e = expected[r][f];
            if (got[r][f] == e || (toggle && got[r][f] == alternative(e, *columns[f]))) continue;
            if (bad < 5) std::fprintf(stderr, "record %zu field %zu differs\n", r + 1, f + 1);
            ++bad;
        }
    return bad;
}

int read(const Options& o)
{
    jet::Database db(o.file);
    const std::string sql = query_for(db, o.table);
    const jet::TableDefinition def = db.table_definition(o.table);
    std::vector<const jet::Column*> columns;
    for (const jet::Column& c : def.columns) columns.push_back(&c);
    const Records first = read_all(db, sql);
    signal_ready(o);
    long passes = 0, records = 0, bad = 0;
    const auto start = Clock::now();
    while (running(o, start, passes)) {
        const Records now = read_all(db, sql);
        bad += mismatches(now, first, columns, o.toggle);
        records += static_cast<long>(now.size());
        ++passes;
    }
    std::printf("read: %ld passes, %ld records, %ld mismatches\n", passes, records, bad);
    return bad == 0 ? 0 : 1;
}

int hold(const Options& o)
{
    jet::Database db(o.file);
    const jet::TableDefinition def = db.table_definition(o.table);
    const std::vector<jet::RowPointer> rows = jet::scan_row_locations(db.pager(), def, 1);
    if (rows.empty() || !db.pager().locks()) return 1;
    db.pager().locks()->lock_page(rows[0].page, o.hold_mode);
    signal_ready(o);
    std::this_thread::sleep_for(std::chrono::duration<double>(o.seconds));
    db.pager().locks()->unlock_page(rows[0].page, o.hold_mode);
    return 0;
}

int compact(const Options& o)
{
    long passes = 0;
    jet::CompactResult r;
    const auto start = Clock::now();
    while (running(o, start, passes)) {
        if (passes > 0) jet::File::remove(o.original);
        r = jet::compact(o.file, o.original);
        ++passes;
    }
    std::printf("compact: %ld passes, %u -> %u pages\n", passes, r.source_pages, r.pages);
    return 0;
}

int compare(const Options& o)
{
    jet::Database original(o.original);
    jet::Database db(o.file);
    const std::string sql = query_for(original, o.table);
    const jet::TableDefinition def = original.table_definition(o.table);
    std::vector<const jet::Column*> columns;
    for (const jet::Column& c : def.columns) columns.push_back(&c);
    const Records got = read_all(db, sql);
    const long bad = mismatches(got, read_all(original, sql), columns, o.toggle);
    std::printf("compare: %zu records, %ld mismatches\n", got.size(), bad);
    return bad == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::vector<std::string> plain;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has_next = i + 1 < args.size();
        if (a == "--toggle")
            o.toggle = true;
        else if (a == "--read")
            o.hold_mode = jet::LockMode::Shared;
        else if (a == "--write")
            o.hold_mode = jet::LockMode::Exclusive;
        else if (a == "--seconds" && has_next)
            o.seconds = std::atof(args[++i].c_str());
        else if (a == "--passes" && has_next)
            o.passes = std::atol(args[++i].c_str());
        else if (a == "--ready" && has_next)
            o.ready = args[++i];
        else if (a == "--lock-timeout" && has_next)
            o.lock_timeout_ms = std::atol(args[++i].c_str());
        else if (a.rfind("--", 0) == 0)
            return usage();
        else
            plain.push_back(a);
    }
    if (plain.empty()) return usage();
    o.command = plain[0];
    const std::size_t want = o.command == "compare" ? 4 : 3;
    // compact FILE DESTINATION: the destination travels as `original`.
    if (plain.size() != want) return usage();
    o.file = plain[1];
    if (o.command == "compact") {
        o.original = plain[2];
    } else if (o.command == "compare") {
        o.original = plain[2];
        o.table = plain[3];
    } else {
        o.table = plain[2];
    }
    try {
        if (o.command == "rewrite") return rewrite(o);
        if (o.command == "read") return read(o);
        if (o.command == "hold") return hold(o);
        if (o.command == "compare") return compare(o);
        if (o.command == "compact") return compact(o);
    } catch (const jet::Error& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", e.description().c_str());
        return 1;
    }
    return usage();
}
