// The damaged-files reliability suite: thousands of deterministically
// damaged copies of the test fixtures (tests/jet/mutate.h: bit flips, odd
// values in counts and pointers, truncation, pages overwritten), each put as
// a file through everything the viewer does with a database:
//
//   open (writable, shared), the catalogue, every ordinary table's definition,
//   the table read with the viewer's query ("SELECT TOP 1000 [a], [b], ...
//   FROM T": every value of every record, move_last), open_table + move_last;
//   the updating mode's pass (a dynaset over the same query, every field of
//   every record read, edit(), set_value(the same value), update()); closing,
//   after which the lock file must be gone and a pass that ran through must
//   have left the file's bytes as they were; compaction into another file,
//   which must leave the source as it was, and the compacted copy read again,
//   which must read through when the source did.
//
// A jet::Error anywhere is a clean refusal. Any other exception, a check that
// does not hold, a sanitizer report (the build's -fsanitize=address,undefined
// ends the process) or a mutant taking longer than the per-file bound (a
// watchdog thread ends the process) is a fault; the mutant's file is kept.
// While a mutant runs, WORK_DIR/mutants-current.txt names it: when the process
// dies (UBSan's report does not name the mutant), that file tells which.
//
//   mutants FIXTURES_DIR WORK_DIR [--count N] [--seed S] [--first I]
//           [--seconds-per-file T] [--verbose] [--unmutated] [--keep]
//
// Mutant I of seed S is the same file on every run and platform: rerun one
// with --seed S --first I --count 1. Exits 0 only when there were no faults.
#include "jet/compaction/compact.h"
#include "jet/jet.h"
#include "jet/reading/query.h"
#include "jet/base/text.h"
#include "mutate.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define QM_HAVE_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_HAVE_SANITIZER 1
#endif
#endif
#ifdef QM_HAVE_SANITIZER
#include <sanitizer/common_interface_defs.h>
#else
#include <csignal>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// The viewer's query shape: the first 240 fields, one by one (transfer/).
constexpr std::size_t kMaxGridColumns = 240;
constexpr const char* kCompactLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";
constexpr std::uint64_t kDefaultSeed = 0x51A7E5EEDull;

struct Options {
    fs::path fixtures;
    fs::path work;
    std::uint64_t count = 10000;
    std::uint64_t seed = kDefaultSeed;
    std::uint64_t first = 0;
    double seconds_per_file = 30;
    bool verbose = false;    // every mutant's outcome and errors
    bool unmutated = false;  // the fixtures as they are, each once (a baseline)
    bool keep = false;       // every mutant's file kept, not only a faulty one's
};

struct Source {
    std::string name;  // below the fixtures folder
    std::vector<std::uint8_t> bytes;
    std::uint32_t page_size = 0;
};

// --- The mutant in progress, for the watchdog and for a crash ------------

std::atomic<std::int64_t> g_started{0};  // steady clock, nanoseconds; 0: between mutants
std::atomic<bool> g_done{false};
std::mutex g_current_mutex;
char g_current[1024] = "";  // "mutant N (seed ..., source ..., file ...)"

std::int64_t now_ns()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// Runs beside the mutants: one that takes longer than the bound is a hang.
void watchdog(double seconds)
{
    const auto limit = static_cast<std::int64_t>(seconds * 1e9);
    while (!g_done.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::int64_t started = g_started.load();
        if (started == 0 || now_ns() - started <= limit) continue;
        std::lock_guard<std::mutex> hold(g_current_mutex);
        std::printf("FAULT (hang) %s: still running after %g s; its file is kept\n", g_current, seconds);
        std::fflush(stdout);
        std::_Exit(3);
    }
}

// Names the mutant in progress when AddressSanitizer ends the process (UBSan
// calls nothing back: the marker file names it then) or, in a build without
// sanitizers, on a fatal signal.
#ifdef QM_HAVE_SANITIZER
void write_stderr(const char* text)
{
    std::fputs(text, stderr);
    std::fflush(stderr);
}

void on_death()
{
    write_stderr("FAULT (sanitizer) in ");
    write_stderr(g_current);
    write_stderr("; its file is kept\n");
}
#else
void on_signal(int sig)
{
    const char head[] = "FAULT (signal) in ";
    const char tail[] = "; its file is kept\n";
    (void)!::write(2, head, sizeof head - 1);
    (void)!::write(2, g_current, std::strlen(g_current));
    (void)!::write(2, tail, sizeof tail - 1);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}
#endif

// --- Files ---------------------------------------------------------------

std::string utf8_of(const fs::path& p)
{
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

std::vector<std::uint8_t> read_file(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string read_text(const fs::path& p)
{
    const std::vector<std::uint8_t> b = read_file(p);
    return std::string(b.begin(), b.end());
}

bool write_file(const fs::path& p, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

// The lock file beside a database (jet/sharing/lock_file.cpp): its extension replaced by .ldb.
fs::path lock_file_of(const fs::path& database)
{
    fs::path p = database;
    return p.replace_extension(".ldb");
}

void remove_quietly(const fs::path& p)
{
    std::error_code ignored;
    fs::remove(p, ignored);
}

// --- What the viewer does ------------------------------------------------

bool plain_identifier(const std::string& name)
{
    if (name.empty()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0)) return false;
    }
    return true;
}

// CQuillmereDlg::BuildQuery: the first 240 fields named, the table bare when its name allows
// (a plain identifier that is no reserved word).
std::string viewer_query(const std::string& table, const jet::TableDefinition& def)
{
    std::string sql = "SELECT TOP 1000 ";
    const std::size_t n = std::min(def.columns.size(), kMaxGridColumns);
    for (std::size_t i = 0; i < n; ++i) {
        sql += i == 0 ? "[" : ", [";
        sql += def.columns[i].name;
        sql += "]";
    }
    sql += " FROM ";
    sql += plain_identifier(table) && !jet::is_reserved_word(table) ? table : "[" + table + "]";
    return sql;
}

// The tables the viewer lists and reads: the database's own, not the system's.
// Linked tables are left out: they would open (and lock) other files.
bool ordinary(const jet::CatalogueEntry& e) { return e.kind == jet::TableKind::Table && !e.linked(); }

// A value turned into text, as the grid shows it (the formatting functions the
// engine offers; the viewer's own formatting is Windows code).
std::size_t render(const jet::Value& v)
{
    switch (v.kind()) {
    case jet::ValueKind::Null: return 0;
    case jet::ValueKind::Boolean: return v.boolean() ? 1 : 0;
    case jet::ValueKind::Byte: return std::to_string(v.byte()).size();
    case jet::ValueKind::Integer: return std::to_string(v.integer()).size();
    case jet::ValueKind::Long: return std::to_string(v.long_integer()).size();
    case jet::ValueKind::Currency: return jet::currency_to_string(v.currency()).size();
    case jet::ValueKind::Single: return std::to_string(v.single()).size();
    case jet::ValueKind::Double: return std::to_string(v.double_value()).size();
    case jet::ValueKind::Date: {
        jet::DateParts parts;
        return jet::split_date(v.date(), parts) ? static_cast<std::size_t>(parts.day) : 0;
    }
    case jet::ValueKind::Text: return jet::to_utf8(v.text()).size();
    case jet::ValueKind::Binary: return v.bytes().size();
    case jet::ValueKind::Decimal: return v.decimal().to_string().size();
    }
    return 0;
}

struct Tally {
    std::uint64_t tables = 0;
    std::uint64_t values = 0;
    std::uint64_t writes = 0;  // update() calls that wrote the file
};

// Read Once: the definition, the viewer's query read through, and the table opened whole.
void read_table(jet::Database& db, const jet::CatalogueEntry& entry, Tally& tally)
{
    const jet::TableDefinition def = db.table_definition(entry.name);
    for (const jet::Column& c : def.columns) {
        (void)c.dao_type();
        (void)c.dao_size(def.version);
    }
    jet::Snapshot rows = db.open_snapshot(viewer_query(entry.name, def));
    if (!rows.is_eof()) {
        rows.move_last();
        (void)rows.record_count();
        rows.move_first();
    }
    jet::Value value;
    std::size_t text = 0;
    for (; !rows.is_eof(); rows.move_next())
        for (int f = 0; f < rows.field_count(); ++f) {
            rows.read(f, value);
            text += render(value);
            ++tally.values;
        }
    (void)text;
    jet::Snapshot all = db.open_table(entry.name);
    if (!all.is_eof()) all.move_last();
    ++tally.tables;
}

// The updating mode's pass: every field of every record written back with the
// value it holds. An auto-number field refuses set_value ("Field cannot be
// updated."); its edit is cancelled and the pass goes on with the next field,
// so that tables with a counter are rewritten too.
void rewrite_table(jet::Database& db, const jet::CatalogueEntry& entry, Tally& tally)
{
    const jet::TableDefinition def = db.table_definition(entry.name);
    jet::Dynaset rows = db.open_dynaset(viewer_query(entry.name, def));
    const int fields = rows.field_count();
    jet::Value value;
    while (!rows.is_eof()) {
        for (int f = 0; f < fields; ++f) {
            rows.read(f, value);
            rows.edit();
            try {
                rows.set_value(f, value);
            } catch (const jet::Error& e) {
                if (e.number() != jet::kFieldCannotBeUpdated) throw;
                rows.cancel_update();
                continue;
            }
            if (rows.update()) ++tally.writes;
        }
        rows.move_next();
    }
}

// --- One mutant ----------------------------------------------------------

struct Outcome {
    bool read_through = false;
    bool rewritten = false;
    bool compacted = false;
    bool compacted_read = false;
    bool changed_by_failed_pass = false;
    std::vector<std::string> faults;
    std::vector<std::string> errors;  // the clean refusals, for --verbose
};

// Runs one step: true when it ended without error, false on a jet::Error;
// any other exception is a fault.
template <class F> bool step(Outcome& out, const char* what, F&& f)
{
    try {
        f();
        return true;
    } catch (const jet::Error& e) {
        out.errors.push_back(std::string(what) + ": " + std::to_string(e.number()) + " " + e.description());
        return false;
    } catch (const std::exception& e) {
        out.faults.push_back(std::string(what) + ": " + typeid(e).name() + " thrown (not jet::Error): " + e.what());
    } catch (...) {
        out.faults.push_back(std::string(what) + ": unknown exception thrown (not jet::Error)");
    }
    return false;
}

// Opens a database file and reads all of it; true when nothing was refused.
// With `rewrite`, the updating mode's pass follows on every table, and
// `rewritten` tells whether it ran through. The database is closed on return.
bool read_database(Outcome& out, const std::string& path, Tally& tally, bool rewrite, bool* rewritten)
{
    std::unique_ptr<jet::Database> db;
    if (rewritten) *rewritten = false;
    if (!step(out, "open", [&] { db = std::make_unique<jet::Database>(path); })) return false;
    std::vector<jet::CatalogueEntry> tables;
    bool clean = step(out, "catalogue", [&] {
        for (std::size_t i = 0; i < db->table_count(); ++i) {
            const jet::CatalogueEntry& e = db->table(i);
            if (ordinary(e)) tables.push_back(e);
        }
        // The viewer lists until the first index that fails: one past the end.
        try {
            db->table(db->table_count());
            out.faults.push_back("catalogue: table(table_count()) did not throw");
        } catch (const jet::Error&) {
        }
    });
    for (const jet::CatalogueEntry& e : tables)
        if (!step(out, "read", [&] { read_table(*db, e, tally); })) clean = false;
    if (rewrite) {
        bool through = true;
        for (const jet::CatalogueEntry& e : tables)
            if (!step(out, "rewrite", [&] { rewrite_table(*db, e, tally); })) through = false;
        if (rewritten) *rewritten = through;
    }
    step(out, "close", [&] { db.reset(); });
    return clean;
}

Outcome run_mutant(const std::vector<std::uint8_t>& bytes, const fs::path& file, const fs::path& compacted,
                   Tally& tally)
{
    Outcome out;
    const std::string path = utf8_of(file);
    if (!write_file(file, bytes)) {
        out.faults.push_back("could not write " + path);
        return out;
    }

    // The viewer: read everything, then the updating mode's pass, then close.
    bool rewritten = false;
    out.read_through = read_database(out, path, tally, true, &rewritten);
    out.rewritten = rewritten;
    if (fs::exists(lock_file_of(file))) out.faults.push_back("lock file left behind after closing");
    const std::vector<std::uint8_t> after = read_file(file);
    if (after != bytes) {
        if (out.rewritten)
            out.faults.push_back("the same-value pass ran through but changed the file's bytes");
        else
            out.changed_by_failed_pass = true;
    }

    // Repair DB: compaction into another file; the source only read.
    out.compacted = step(out, "compact", [&] { jet::compact(path, utf8_of(compacted), kCompactLocale, 0); });
    if (read_file(file) != after) out.faults.push_back("compaction changed its source");
    if (fs::exists(lock_file_of(file))) out.faults.push_back("source lock file left behind after compaction");
    if (!out.compacted) {
        if (fs::exists(compacted)) out.faults.push_back("failed compaction left its destination behind");
    } else {
        Tally again;
        out.compacted_read = read_database(out, utf8_of(compacted), again, false, nullptr);
        // The copy takes the database's place: what read through must still.
        if (out.read_through && !out.compacted_read)
            out.faults.push_back("compaction wrote a copy the reader refuses of a file it read through");
        if (fs::exists(lock_file_of(compacted))) out.faults.push_back("compacted copy's lock file left behind");
    }
    return out;
}

// --- The run -------------------------------------------------------------

bool parse_options(int argc, char** argv, Options& opt)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "mutants: %s needs a value\n", name);
                return nullptr;
            }
            return argv[++i];
        };
        auto number = [&](const char* name, std::uint64_t& out) {
            const char* v = value(name);
            if (!v) return false;
            char* end = nullptr;
            out = std::strtoull(v, &end, 0);
            if (*v == '\0' || *end != '\0') {
                std::fprintf(stderr, "mutants: %s: not a number: %s\n", name, v);
                return false;
            }
            return true;
        };
        if (a == "--count") {
            if (!number("--count", opt.count)) return false;
        } else if (a == "--seed") {
            if (!number("--seed", opt.seed)) return false;
        } else if (a == "--first") {
            if (!number("--first", opt.first)) return false;
        } else if (a == "--seconds-per-file") {
            const char* v = value("--seconds-per-file");
            if (!v) return false;
            char* end = nullptr;
            opt.seconds_per_file = std::strtod(v, &end);
            if (*v == '\0' || *end != '\0' || !(opt.seconds_per_file > 0)) {
                std::fprintf(stderr, "mutants: --seconds-per-file: not a positive number: %s\n", v);
                return false;
            }
        } else if (a == "--verbose") {
            opt.verbose = true;
        } else if (a == "--keep") {
            opt.keep = true;
        } else if (a == "--unmutated") {
            opt.unmutated = true;
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "mutants: unknown option %s\n", a.c_str());
            return false;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) return false;
    opt.fixtures = positional[0];
    opt.work = positional[1];
    return true;
}

// The fixtures: *.mdb and real/*.mdb, in name order. Those that give nothing
// but the password error unmutated are left out.
std::vector<Source> load_sources(const fs::path& fixtures)
{
    std::vector<Source> sources;
    for (const char* sub : {"", "real"}) {
        const fs::path dir = fixtures / sub;
        std::error_code ec;
        std::vector<std::string> names;
        for (const fs::directory_entry& e : fs::directory_iterator(dir, ec))
            if (e.is_regular_file() && e.path().extension() == ".mdb") names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        for (const std::string& n : names) {
            Source s;
            s.name = *sub ? std::string(sub) + "/" + n : n;
            s.bytes = read_file(dir / n);
            s.page_size = jettest::page_size_of(s.bytes);
            try {
                jet::Database db(jet::File::in_memory(s.bytes), s.name);
            } catch (const jet::Error& e) {
                if (e.number() == jet::kNotValidPassword) {
                    std::printf("mutants: %s left out (password: \"%s\")\n", s.name.c_str(), e.what());
                    continue;
                }
            }
            if (s.bytes.size() < std::size_t{s.page_size} * 3) {
                std::printf("mutants: %s left out (shorter than three pages)\n", s.name.c_str());
                continue;
            }
            sources.push_back(std::move(s));
        }
    }
    return sources;
}

std::string hex(std::uint64_t v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(v));
    return buf;
}

}  // namespace

int main(int argc, char** argv)
{
    Options opt;
    if (!parse_options(argc, argv, opt)) {
        std::fprintf(stderr,
                     "usage: mutants FIXTURES_DIR WORK_DIR [--count N] [--seed S] [--first I] "
                     "[--seconds-per-file T] [--verbose] [--unmutated] [--keep]\n");
        return 2;
    }
    std::error_code ec;
    fs::create_directories(opt.work, ec);
    if (!fs::is_directory(opt.work)) {
        std::fprintf(stderr, "mutants: cannot use %s as the work folder\n", opt.work.string().c_str());
        return 2;
    }
    const std::vector<Source> sources = load_sources(opt.fixtures);
    if (sources.empty()) {
        std::fprintf(stderr, "mutants: no fixtures in %s\n", opt.fixtures.string().c_str());
        return 2;
    }
    if (opt.unmutated) opt.first = 0, opt.count = sources.size();
    std::printf("mutants: %zu fixtures, %llu mutants from %llu, seed %s, %g s per file at most\n", sources.size(),
                static_cast<unsigned long long>(opt.count), static_cast<unsigned long long>(opt.first),
                hex(opt.seed).c_str(), opt.seconds_per_file);
    std::fflush(stdout);

#ifdef QM_HAVE_SANITIZER
    __sanitizer_set_death_callback(on_death);
#else
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) std::signal(sig, on_signal);
#endif
    std::thread dog(watchdog, opt.seconds_per_file);

    // The fixtures take turns, starting at one the seed picks.
    const std::size_t rotation = static_cast<std::size_t>(jettest::Random(opt.seed).next() % sources.size());
    std::uint64_t read_through = 0, refused = 0, rewritten = 0, compacted = 0, compacted_read = 0,
                  changed_by_failed = 0, faults = 0;
    double slowest = 0;
    std::uint64_t slowest_id = 0;
    Tally tally;
    const auto run_start = Clock::now();
    const std::string prefix = "m" + hex(opt.seed).substr(2) + "-";
    // Names the mutant in progress; left behind when the process dies.
    const fs::path current_marker = opt.work / "mutants-current.txt";
    if (fs::exists(current_marker))
        std::printf("mutants: an earlier run died in: %s", read_text(current_marker).c_str());

    for (std::uint64_t n = 0; n < opt.count; ++n) {
        const std::uint64_t id = opt.first + n;
        const Source& source =
            sources[static_cast<std::size_t>((opt.unmutated ? id : id + rotation) % sources.size())];
        jettest::Random rnd(opt.seed ^ (id * 0xD1B54A32D192ED03ull));
        std::vector<std::uint8_t> bytes = source.bytes;
        if (!opt.unmutated) jettest::mutate_some(bytes, source.page_size, rnd);

        const fs::path file = opt.work / (prefix + std::to_string(id) + ".mdb");
        const fs::path compacted_file = opt.work / (prefix + std::to_string(id) + "-compacted.mdb");
        for (const fs::path& p : {file, compacted_file, lock_file_of(file), lock_file_of(compacted_file)})
            remove_quietly(p);
        {
            std::lock_guard<std::mutex> hold(g_current_mutex);
            std::snprintf(g_current, sizeof g_current, "mutant %llu (--seed %s --first %llu --count 1; source %s; file %s)",
                          static_cast<unsigned long long>(id), hex(opt.seed).c_str(),
                          static_cast<unsigned long long>(id), source.name.c_str(), utf8_of(file).c_str());
        }
        // UBSan ends the process without calling back: the marker names the mutant then.
        {
            std::ofstream marker(current_marker, std::ios::trunc);
            marker << g_current << "\n";
        }
        const auto start = Clock::now();
        g_started.store(now_ns());
        const Outcome out = run_mutant(bytes, file, compacted_file, tally);
        g_started.store(0);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (seconds > slowest) slowest = seconds, slowest_id = id;

        (out.read_through ? read_through : refused) += 1;
        rewritten += out.rewritten;
        compacted += out.compacted;
        compacted_read += out.compacted_read;
        changed_by_failed += out.changed_by_failed_pass;
        remove_quietly(compacted_file);
        remove_quietly(lock_file_of(compacted_file));
        if (opt.verbose) {
            std::printf("%s: %s%s%s%s%.2f s\n", g_current, out.read_through ? "read through, " : "refused, ",
                        out.rewritten ? "rewritten, " : "", out.compacted ? "compacted, " : "",
                        out.compacted && !out.compacted_read ? "copy refused, " : "", seconds);
            for (const std::string& e : out.errors) std::printf("    %s\n", e.c_str());
        }
        if (out.faults.empty()) {
            if (!opt.keep) remove_quietly(file);
        } else {
            ++faults;
            for (const std::string& f : out.faults) std::printf("FAULT %s: %s\n", g_current, f.c_str());
            std::fflush(stdout);
        }
        if ((n + 1) % 1000 == 0 && n + 1 < opt.count) {
            std::printf("mutants: %llu done, %llu faults, %.0f s\n", static_cast<unsigned long long>(n + 1),
                        static_cast<unsigned long long>(faults),
                        std::chrono::duration<double>(Clock::now() - run_start).count());
            std::fflush(stdout);
        }
    }
    g_done.store(true);
    dog.join();
    remove_quietly(current_marker);

    const double total = std::chrono::duration<double>(Clock::now() - run_start).count();
    std::printf("mutants: %llu tables read, %llu values, %llu writes by same-value updates, %llu files changed by a "
                "pass that failed, %llu compacted copies read through, %.0f s in all\n",
                static_cast<unsigned long long>(tally.tables), static_cast<unsigned long long>(tally.values),
                static_cast<unsigned long long>(tally.writes), static_cast<unsigned long long>(changed_by_failed),
                static_cast<unsigned long long>(compacted_read), total);
    std::printf("mutants: %llu files, %llu read through, %llu refused with an error, %llu rewritten, %llu compacted, "
                "%llu faults, slowest %.2f s (mutant %llu)\n",
                static_cast<unsigned long long>(opt.count), static_cast<unsigned long long>(read_through),
                static_cast<unsigned long long>(refused), static_cast<unsigned long long>(rewritten),
                static_cast<unsigned long long>(compacted), static_cast<unsigned long long>(faults), slowest,
                static_cast<unsigned long long>(slowest_id));
    return faults == 0 ? 0 : 1;
}
