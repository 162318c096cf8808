// jetload: puts a database under update and read load, for the tests that
// run several processes on one file and for measuring.
//
//   jetload rewrite FILE TABLE [--seconds S | --passes N] [--toggle] [--lock-timeout MS]
//                  [--conflicts-ok] [--last N]
//       Rewrites every field of up to 1000 records (with --last, of the last
//       N of them) with the value it holds, one edit/update per field, pass
//       after pass. With --toggle each field is first changed to a value of
//       the same stored length (see alternative()) and then set back, so
//       that the file really changes.
//       With --conflicts-ok, meeting another user (a lock held past the
//       timeout, or a field changed since the record was read) is told on
//       stderr and counted, and the pass goes on with the next field (or
//       record, when the record could not be read); under --toggle a field
//       whose setting back failed keeps its alternative. Prints
//       "rewrite: P passes, U updates, W written, C conflicts" at the end.
//   jetload read FILE TABLE [--seconds S | --passes N] [--toggle | --changing]
//       [--conflicts-ok]
//       Reads the same records again and again and checks every value
//       against the first read (with --toggle, the first value or its
//       alternative). With --changing the table is one others change: only
//       the number of records and their first field (the key) are checked,
//       and a read that meets another user's lock is told on stderr and
//       counted, as with --conflicts-ok. Prints "read: P passes, R records,
//       M mismatches, C conflicts" at the end (passes that met a lock are
//       not counted as passes).
//   jetload hold FILE TABLE --seconds S [--read | --write]
//       Stays S seconds as a reader with its recordset open (--read: the
//       table's read lock, no page lock) or as a writer that is not idle
//       (the default): it has rewritten the first record and keeps the
//       write lock of its page.
//   jetload compare FILE ORIGINAL TABLE [--toggle]
//       Compares every record of the table in FILE with the ORIGINAL file
//       (with --toggle a field may hold its alternative instead). Prints
//       "compare: R records, M mismatches".
//   jetload compact FILE DESTINATION [--seconds S | --passes N]
//       Compacts FILE into DESTINATION, again and again (DESTINATION is
//       removed before each pass but the first, which requires it to be
//       missing). Prints "compact: P passes, S -> D pages" at the end.
//   jetload locks FILE [--json] [--watch S [--seconds S]]
//       The census of FILE's lock file, taken without disturbing anyone:
//       one line per user (taken slots, and entries left by users who have
//       gone) and per lock that others hold, tab-separated:
//         user SLOT present|gone COMPUTER USER
//         KIND PAGE USER MODE 0xOFFSET LENGTH [TABLE]
//       KIND is write, read (a page's), table-read, table-write, deny-write
//       (PAGE is then the table's definition page) or other: a range that
//       fits none of the lock regions (PAGE and USER are then "-"). --json
//       prints one object instead. --watch prints the census, then every S
//       seconds the lines that appeared ("+" before them) and went ("-"),
//       until --seconds have passed or it is stopped. Exit status 3 when
//       there is no lock file: nobody has the database open for sharing.
// --ready FILE: `read` creates FILE after its first read, `hold` once it
// holds the lock (output to a file may only appear when a program ends).
// A failed operation prints the engine's error on stderr; the exit status
// is 1 for a failure or a mismatch, 2 for wrong arguments.
#include "jet/compact.h"
#include "jet/jet.h"
#include "jet/lock_census.h"
#include "jet/table_scan.h"
#include "jet/text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
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
    bool changing = false;
    bool conflicts_ok = false;
    bool json = false;
    double watch = 0;  // seconds between two censuses; 0: one census
    jet::LockMode hold_mode = jet::LockMode::Exclusive;
    long lock_timeout_ms = -1;
    std::size_t last = 0;  // rewrite: only the last N records; 0: all
};

int usage()
{
    std::fputs("usage: jetload rewrite FILE TABLE [--seconds S | --passes N] [--toggle] [--lock-timeout MS]\n"
               "                      [--conflicts-ok] [--last N]\n"
               "       jetload read FILE TABLE [--seconds S | --passes N] [--toggle | --changing] [--conflicts-ok]\n"
               "       jetload hold FILE TABLE --seconds S [--read | --write]\n"
               "       (read and hold: [--ready FILE])\n"
               "       jetload compare FILE ORIGINAL TABLE [--toggle]\n"
               "       jetload compact FILE DESTINATION [--seconds S | --passes N]\n"
               "       jetload locks FILE [--json] [--watch S [--seconds S]]\n",
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

// Another user in the way: a lock held past the timeout (for reading or for
// writing), or a field changed in the file since this user read its record.
bool is_conflict(const jet::Error& e)
{
    return e.number() == jet::kCouldNotUpdateLocked || e.number() == jet::kCouldNotUpdateLockedBy ||
           e.number() == jet::kDataChanged;
}

// Conflicts with other users, where they are part of the load rather than
// failures: each is told on stderr and counted.
class Conflicts {
public:
    explicit Conflicts(bool tolerated) : tolerated_(tolerated) {}

    // Whether `e` is a conflict to go on after (counted and told); anything
    // else is the caller's to rethrow.
    bool tolerate(const jet::Error& e)
    {
        if (!tolerated_ || !is_conflict(e)) return false;
        ++count_;
        std::fprintf(stderr, "%s\n", e.description().c_str());
        return true;
    }
    long count() const { return count_; }

private:
    bool tolerated_;
    long count_ = 0;
};

// One edit/update setting field `i` of the current record to `value`.
bool write_field(jet::Dynaset& d, int i, const jet::Value& value)
{
    d.edit();
    d.set_value(i, value);
    return d.update();
}

int rewrite(const Options& o)
{
    jet::Database db(o.file);
    if (o.lock_timeout_ms >= 0) db.set_lock_timeout(std::chrono::milliseconds(o.lock_timeout_ms));
    const std::string sql = query_for(db, o.table);
    const jet::TableDefinition def = db.table_definition(o.table);
    Conflicts conflicts(o.conflicts_ok);
    long passes = 0, updates = 0, written = 0;
    jet::Value value;
    // Rewrites field `i` of the current record; a conflict leaves it (and,
    // under --toggle, maybe its alternative) and the edit is over.
    const auto field = [&](jet::Dynaset& d, int i) {
        try {
            d.read(i, value);
            if (o.toggle) {
                const jet::Value other = alternative(value, def.columns[static_cast<std::size_t>(i)]);
                if (!(other == value)) {
                    ++updates;
                    written += write_field(d, i, other) ? 1 : 0;
                }
            }
            ++updates;
            written += write_field(d, i, value) ? 1 : 0;
        } catch (const jet::Error& e) {
            if (!conflicts.tolerate(e)) throw;
            if (d.editing()) d.cancel_update();
        }
    };
    const auto start = Clock::now();
    while (running(o, start, passes)) {
        ++passes;
        std::optional<jet::Dynaset> d;
        try {
            d.emplace(db.open_dynaset(sql));
        } catch (const jet::Error& e) {
            if (!conflicts.tolerate(e)) throw;
            continue;
        }
        // A record that could not be read for a lock is passed over.
        const std::size_t first = o.last > 0 && d->size() > o.last ? d->size() - o.last : 0;
        for (bool loaded = true; !d->is_eof();) {
            if (loaded && d->position() >= first)
                for (int i = 0; i < d->field_count(); ++i) field(*d, i);
            try {
                d->move_next();
                loaded = true;
            } catch (const jet::Error& e) {
                if (!conflicts.tolerate(e)) throw;
                loaded = false;
            }
        }
        try {
            d->close();  // the pass ends: the writer goes idle
        } catch (const jet::Error& e) {
            if (!conflicts.tolerate(e)) throw;
        }
    }
    std::printf("rewrite: %ld passes, %ld updates, %ld written, %ld conflicts\n", passes, updates, written,
                conflicts.count());
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

// The first fields (the keys) of `got` that differ from `expected`'s, and
// a difference in the number of records.
long key_mismatches(const Records& got, const Records& expected)
{
    long bad = got.size() == expected.size() ? 0 : 1;
    if (bad) std::fprintf(stderr, "%zu records instead of %zu\n", got.size(), expected.size());
    for (std::size_t r = 0; r < got.size() && r < expected.size(); ++r) {
        if (got[r].empty() || got[r][0] == expected[r][0]) continue;
        if (bad < 5) std::fprintf(stderr, "record %zu has another key\n", r + 1);
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
    Conflicts conflicts(o.conflicts_ok || o.changing);
    // One pass; false when a conflict stopped it.
    const auto pass = [&](Records& out) {
        try {
            out = read_all(db, sql);
            return true;
        } catch (const jet::Error& e) {
            if (!conflicts.tolerate(e)) throw;
            return false;
        }
    };
    Records first;
    while (!pass(first)) {}
    signal_ready(o);
    long passes = 0, records = 0, bad = 0;
    Records now;
    const auto start = Clock::now();
    while (running(o, start, passes)) {
        if (!pass(now)) continue;
        bad += o.changing ? key_mismatches(now, first) : mismatches(now, first, columns, o.toggle);
        records += static_cast<long>(now.size());
        ++passes;
    }
    std::printf("read: %ld passes, %ld records, %ld mismatches, %ld conflicts\n", passes, records, bad,
                conflicts.count());
    return bad == 0 ? 0 : 1;
}

int hold(const Options& o)
{
    jet::Database db(o.file);
    const std::string sql = query_for(db, o.table);
    if (o.hold_mode == jet::LockMode::Shared) {
        // A reader: the table-read lock while its recordset is open, no page lock.
        const jet::Snapshot s = db.open_snapshot(sql);
        signal_ready(o);
        std::this_thread::sleep_for(std::chrono::duration<double>(o.seconds));
        return 0;
    }
    // A writer that is not idle: it has updated the first record and stays
    // on it, so it keeps the write lock of its page.
    jet::Dynaset d = db.open_dynaset(sql);
    if (d.is_eof()) return 1;
    bool updated = false;
    for (int i = 0; i < d.field_count() && !updated; ++i) {
        try {
            write_field(d, i, d.value(i));
            updated = true;
        } catch (const jet::Error& e) {
            if (e.number() != jet::kFieldCannotBeUpdated && e.number() != jet::kFieldNotUpdatable) throw;
            if (d.editing()) d.cancel_update();
        }
    }
    if (!updated) return 1;
    signal_ready(o);
    std::this_thread::sleep_for(std::chrono::duration<double>(o.seconds));
    d.close();
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

const char* mode_name(jet::LockMode mode) { return mode == jet::LockMode::Exclusive ? "exclusive" : "shared"; }

std::string hex(std::uint64_t v)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llX", static_cast<unsigned long long>(v));
    return buffer;
}

std::vector<std::string> census_lines(const jet::Census& c)
{
    std::vector<std::string> lines;
    for (const jet::CensusUser& u : c.users)
        lines.push_back("user\t" + std::to_string(u.slot) + (u.present ? "\tpresent\t" : "\tgone\t") + u.machine +
                        "\t" + u.user);
    for (const jet::CensusLock& l : c.locks) {
        const bool other = l.kind == jet::CensusKind::Other;
        std::string line = std::string(jet::to_string(l.kind)) + "\t" + (other ? "-" : std::to_string(l.page)) +
                           "\t" + (other ? "-" : std::to_string(l.user)) + "\t" + mode_name(l.mode) + "\t" +
                           hex(l.offset) + "\t" + std::to_string(l.length);
        if (!l.table.empty()) line += "\t" + l.table;
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string json_string(const std::string& s)
{
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void print_json(const jet::Census& c)
{
    std::printf("{\"lock_file\": %s, \"users\": [", c.lock_file ? "true" : "false");
    for (std::size_t i = 0; i < c.users.size(); ++i) {
        const jet::CensusUser& u = c.users[i];
        std::printf("%s{\"slot\": %u, \"present\": %s, \"computer\": %s, \"user\": %s}", i ? ", " : "", u.slot,
                    u.present ? "true" : "false", json_string(u.machine).c_str(), json_string(u.user).c_str());
    }
    std::printf("], \"locks\": [");
    for (std::size_t i = 0; i < c.locks.size(); ++i) {
        const jet::CensusLock& l = c.locks[i];
        std::printf("%s{\"kind\": \"%s\", \"mode\": \"%s\", \"offset\": %llu, \"length\": %llu", i ? ", " : "",
                    jet::to_string(l.kind), mode_name(l.mode), static_cast<unsigned long long>(l.offset),
                    static_cast<unsigned long long>(l.length));
        if (l.kind != jet::CensusKind::Other) std::printf(", \"page\": %u, \"user\": %u", l.page, l.user);
        if (!l.table.empty()) std::printf(", \"table\": %s", json_string(l.table).c_str());
        std::printf("}");
    }
    std::printf("]}\n");
}

int locks(const Options& o)
{
    // The database must be there; its lock file need not.
    if (!jet::File::exists(o.file)) throw jet::file_not_found(o.file);
    jet::Census census = jet::take_census(o.file);
    std::vector<std::string> lines = census_lines(census);
    if (o.json)
        print_json(census);
    else
        for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    const auto start = Clock::now();
    while (o.watch > 0 && (o.seconds <= 0 || std::chrono::duration<double>(Clock::now() - start).count() < o.seconds)) {
        std::this_thread::sleep_for(std::chrono::duration<double>(o.watch));
        census = jet::take_census(o.file);
        std::vector<std::string> now = census_lines(census);
        if (o.json) {
            if (now != lines) print_json(census);
        } else {
            for (const std::string& line : lines)
                if (std::find(now.begin(), now.end(), line) == now.end()) std::printf("-\t%s\n", line.c_str());
            for (const std::string& line : now)
                if (std::find(lines.begin(), lines.end(), line) == lines.end()) std::printf("+\t%s\n", line.c_str());
        }
        std::fflush(stdout);
        lines = std::move(now);
    }
    return census.lock_file ? 0 : 3;
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
        else if (a == "--changing")
            o.changing = true;
        else if (a == "--conflicts-ok")
            o.conflicts_ok = true;
        else if (a == "--json")
            o.json = true;
        else if (a == "--watch" && has_next)
            o.watch = std::atof(args[++i].c_str());
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
        else if (a == "--last" && has_next)
            o.last = static_cast<std::size_t>(std::max(0L, std::atol(args[++i].c_str())));
        else if (a == "--lock-timeout" && has_next)
            o.lock_timeout_ms = std::atol(args[++i].c_str());
        else if (a.rfind("--", 0) == 0)
            return usage();
        else
            plain.push_back(a);
    }
    if (plain.empty() || (o.toggle && o.changing)) return usage();
    o.command = plain[0];
    const std::size_t want = o.command == "compare" ? 4 : o.command == "locks" ? 2 : 3;
    // compact FILE DESTINATION: the destination travels as `original`.
    if (plain.size() != want) return usage();
    o.file = plain[1];
    if (o.command == "compact") {
        o.original = plain[2];
    } else if (o.command == "locks") {
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
        if (o.command == "locks") return locks(o);
    } catch (const jet::Error& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", e.description().c_str());
        return 1;
    }
    return usage();
}
