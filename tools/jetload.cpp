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
//   jetload write FILE TABLE FIELD --tag T --log LOG [--seconds S | --passes N]
//                [--lock-timeout MS] [--last N] [--grow]
//       Changes FIELD (a Long, Text or Memo field) of up to 1000 records
//       (with --last, of the last N) to values no other writer with another
//       tag writes, one edit/update a record 1 ms after reading it, pass
//       after pass: a Long to
//       T * 10^8 + a count, a text to "wT-count"; with --grow a text has
//       " wT-count" added to what it holds instead (back to "wT-count" past
//       6000 characters), so that memo values move between their forms.
//       Meeting another user is counted, as with rewrite --conflicts-ok.
//       LOG gets one line an update: "ack", or "refused" when it failed,
//       then the record's place in the table's order and the value, tab
//       separated (backslash, tab and line ends escaped). Prints "write: P
//       passes, U updates, A acknowledged, C conflicts" at the end.
//   jetload check FILE TABLE FIELD LOG...
//       Checks FIELD of every record against the logs of `write`: a record
//       some writer changed holds the last value one of them had
//       acknowledged, and no record holds a refused value. Prints "check: R
//       records, A changed, M mismatches"; exit status 1 for a mismatch.
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
#include "jet/compaction/compact.h"
#include "jet/jet.h"
#include "jet/database/lock_census.h"
#include "jet/reading/table_scan.h"
#include "jet/base/text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <set>
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
    std::size_t last = 0;  // rewrite, write: only the last N records; 0: all
    std::string field, log;  // write, check
    std::vector<std::string> logs;  // check
    long tag = 0;
    bool grow = false;
};

int usage()
{
    std::fputs("usage: jetload rewrite FILE TABLE [--seconds S | --passes N] [--toggle] [--lock-timeout MS]\n"
               "                      [--conflicts-ok] [--last N]\n"
               "       jetload write FILE TABLE FIELD --tag T --log LOG [--seconds S | --passes N]\n"
               "                    [--lock-timeout MS] [--last N] [--grow]\n"
               "       jetload check FILE TABLE FIELD LOG...\n"
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

// Passes over the records of `sql` (with --last, over the last N), for as
// long as `o` says: `record` is called on each record that could be read.
// Meeting another user while opening, moving or closing (the writer going
// idle) is counted, and the pass goes on. Returns the passes made.
template <class F>
long each_pass(const Options& o, jet::Database& db, const std::string& sql, Conflicts& conflicts, F&& record)
{
    long passes = 0;
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
            if (loaded && d->position() >= first) record(*d);
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
    return passes;
}

int rewrite(const Options& o)
{
    jet::Database db(o.file);
    if (o.lock_timeout_ms >= 0) db.set_lock_timeout(std::chrono::milliseconds(o.lock_timeout_ms));
    const std::string sql = query_for(db, o.table);
    const jet::TableDefinition def = db.table_definition(o.table);
    Conflicts conflicts(o.conflicts_ok);
    long updates = 0, written = 0;
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
    const long passes = each_pass(o, db, sql, conflicts, [&](jet::Dynaset& d) {
        for (int i = 0; i < d.field_count(); ++i) field(d, i);
    });
    std::printf("rewrite: %ld passes, %ld updates, %ld written, %ld conflicts\n", passes, updates, written,
                conflicts.count());
    return 0;
}

// A Long or text value as `write` logs it: one line, tab free.
std::string logged(const jet::Value& v)
{
    if (v.is_null()) return "NULL";
    if (v.kind() == jet::ValueKind::Long) return std::to_string(v.long_integer());
    std::string out;
    for (const char c : jet::to_utf8(v.text())) {
        if (c == '\\') out += "\\\\";
        else if (c == '\t') out += "\\t";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

std::string field_query(const Options& o) { return "SELECT TOP 1000 [" + o.field + "] FROM [" + o.table + "]"; }

// The value `write` sets next: of this writer alone, never set before.
jet::Value next_value(const Options& o, bool is_long, const jet::Value& now, long count)
{
    jet::Value v;
    if (is_long) {
        v.set_long(static_cast<std::int32_t>(o.tag * 100000000L + count % 100000000L));
        return v;
    }
    std::u16string t = jet::to_utf16("w" + std::to_string(o.tag) + "-" + std::to_string(count));
    if (o.grow && now.kind() == jet::ValueKind::Text && now.text().size() < 6000) t = now.text() + u" " + t;
    v.set_text(t.data(), t.size());
    return v;
}

int write(const Options& o)
{
    jet::Database db(o.file);
    if (o.lock_timeout_ms >= 0) db.set_lock_timeout(std::chrono::milliseconds(o.lock_timeout_ms));
    std::FILE* log = std::fopen(o.log.c_str(), "w");
    if (!log) {
        std::fprintf(stderr, "cannot write %s\n", o.log.c_str());
        return 1;
    }
    const jet::TableDefinition def = db.table_definition(o.table);
    const jet::Column* column = def.find(o.field);
    if (!column) throw jet::error(jet::kItemNotFound);
    const bool is_long = column->type == jet::kTypeLong;
    Conflicts conflicts(true);
    long updates = 0, acknowledged = 0;
    const long passes = each_pass(o, db, field_query(o), conflicts, [&](jet::Dynaset& d) {
        const jet::Value v = next_value(o, is_long, d.value(0), ++updates);
        bool ok = false;
        // A moment between reading the record and changing it, as a user
        // takes: the other writer may change it meanwhile.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        try {
            write_field(d, 0, v);
            ok = true;
            ++acknowledged;
        } catch (const jet::Error& e) {
            if (!conflicts.tolerate(e)) throw;
            if (d.editing()) d.cancel_update();
        }
        std::fprintf(log, "%s\t%zu\t%s\n", ok ? "ack" : "refused", d.position(), logged(v).c_str());
    });
    std::fclose(log);
    std::printf("write: %ld passes, %ld updates, %ld acknowledged, %ld conflicts\n", passes, updates, acknowledged,
                conflicts.count());
    return 0;
}

int check(const Options& o)
{
    // For each record: the last value each log acknowledged, and every refused one.
    std::map<std::size_t, std::set<std::string>> last, refused;
    for (const std::string& name : o.logs) {
        std::FILE* f = std::fopen(name.c_str(), "r");
        if (!f) {
            std::fprintf(stderr, "cannot read %s\n", name.c_str());
            return 1;
        }
        std::map<std::size_t, std::string> mine;
        std::string line;
        for (int c; (c = std::fgetc(f)) != EOF;) {
            if (c != '\n') {
                line += static_cast<char>(c);
                continue;
            }
            const std::size_t a = line.find('\t'), b = line.find('\t', a + 1);
            if (a != std::string::npos && b != std::string::npos) {
                const std::size_t record = std::stoul(line.substr(a + 1, b - a - 1));
                if (line.compare(0, a, "ack") == 0)
                    mine[record] = line.substr(b + 1);
                else
                    refused[record].insert(line.substr(b + 1));
            }
            line.clear();
        }
        std::fclose(f);
        for (const auto& [record, value] : mine) last[record].insert(value);
    }
    jet::Database db(o.file);
    jet::Snapshot s = db.open_snapshot(field_query(o));
    std::size_t records = 0;
    long bad = 0;
    for (; !s.is_eof(); s.move_next(), ++records) {
        const std::string now = logged(s.value(0));
        const auto r = refused.find(records);
        const auto l = last.find(records);
        const char* why = nullptr;
        if (r != refused.end() && r->second.count(now)) why = "holds a refused value";
        else if (l != last.end() && !l->second.count(now)) why = "holds no writer's last acknowledged value";
        if (!why) continue;
        if (bad < 5) std::fprintf(stderr, "record %zu %s: %.60s\n", records, why, now.c_str());
        ++bad;
    }
    std::printf("check: %zu records, %zu changed, %ld mismatches\n", records, last.size(), bad);
    return bad == 0 ? 0 : 1;
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
        else if (a == "--grow")
            o.grow = true;
        else if (a == "--tag" && has_next)
            o.tag = std::atol(args[++i].c_str());
        else if (a == "--log" && has_next)
            o.log = args[++i];
        else if (a == "--lock-timeout" && has_next)
            o.lock_timeout_ms = std::atol(args[++i].c_str());
        else if (a.rfind("--", 0) == 0)
            return usage();
        else
            plain.push_back(a);
    }
    if (plain.empty() || (o.toggle && o.changing)) return usage();
    o.command = plain[0];
    const std::size_t want = o.command == "compare" || o.command == "write" ? 4
                             : o.command == "check"                      ? 5
                             : o.command == "locks"                      ? 2
                                                                         : 3;
    // compact FILE DESTINATION: the destination travels as `original`.
    if (o.command == "check" ? plain.size() < want : plain.size() != want) return usage();
    if (o.command == "write" && (o.log.empty() || o.tag <= 0 || o.tag > 20)) return usage();
    o.file = plain[1];
    if (o.command == "write" || o.command == "check") {
        o.table = plain[2];
        o.field = plain[3];
        o.logs.assign(plain.begin() + 4, plain.end());
    } else if (o.command == "compact") {
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
        if (o.command == "write") return write(o);
        if (o.command == "check") return check(o);
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
