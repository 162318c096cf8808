// The rewrite pass benchmark: every field of perf.mdb's Perf20 (1000 records
// x 20 fields = 20 000 edit/update cycles) and Perf240 (240 000) written back
// with the value it holds, as the viewer's updating mode does on every timer
// tick, with the pages written and the lock calls made a pass; the reading
// tick of the same tables; what one lock call costs; and opening the demo
// database with its table catalogue. Prints the figures (with QM_FIGURES=1
// also as "figure NAME VALUE" lines for bench/all.sh); the file must come
// out unchanged.
//
//   rewrite_bench FIXTURES_DIR TMP_DIR [PASSES]
#include "jet/jet.h"
#include "jet/sharing/lock_manager.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<char> bytes_of(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

double ms_since(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void figure(const char* name, double value)
{
    const char* wanted = std::getenv("QM_FIGURES");
    if (wanted && *wanted == '1') std::printf("figure %s %.3f\n", name, value);
}

// Opening NflSummary.mdb as the viewer does when a database is chosen: the
// file and its lock file opened, the catalogue read, the ordinary tables
// named; then closed again.
double open_and_catalogue(const std::filesystem::path& fixtures, const std::filesystem::path& tmp, int rounds)
{
    const std::filesystem::path file = tmp / "NflSummary.mdb";
    std::filesystem::remove(file);
    std::filesystem::copy_file(fixtures / "NflSummary.mdb", file);
    const std::u8string u8 = file.u8string();
    std::vector<double> ms;
    std::size_t tables = 0;
    for (int r = 0; r <= rounds; ++r) {
        const auto t = Clock::now();
        {
            jet::Database db(std::string(u8.begin(), u8.end()));
            tables = 0;
            for (std::size_t i = 0; i < db.table_count(); ++i)
                if (db.table(i).kind != jet::TableKind::System) ++tables;
        }
        if (r > 0) ms.push_back(ms_since(t));
    }
    const double m = median(ms);
    std::printf("open + catalogue, NflSummary.mdb (%zu tables): median %.2f ms\n", tables, m);
    return m;
}

// One lock call (a page's write lock taken or given back) in the open
// database's lock file, over 500 pages one after the other as an update pass
// takes them: under Wine each call is a round trip to its server, a floor of
// a pass's time beside the engine's own work. 0 where nothing can be locked.
double lock_call_us(jet::Database& db, int rounds)
{
    jet::LockManager* locks = db.pager().locks();
    if (locks == nullptr) return 0;
    constexpr std::uint32_t kPages = 500;
    std::vector<double> us;
    for (int r = 0; r <= rounds; ++r) {  // the first warms up
        const std::uint64_t calls0 = locks->lock_calls();
        const auto t = Clock::now();
        for (std::uint32_t p = 1; p <= kPages; ++p) {
            if (!locks->try_lock_page(p)) return 0;
            locks->unlock_page(p, jet::LockMode::Exclusive);
        }
        if (r > 0) us.push_back(ms_since(t) * 1000.0 / static_cast<double>(locks->lock_calls() - calls0));
    }
    const double m = median(us);
    std::printf("a lock call (a page's write lock taken or given back): median %.1f us\n", m);
    return m;
}

struct Pass {
    long cycles = 0;
    long changed = 0;
    double pass_ms = 0, best_ms = 0, read_ms = 0;
    double pages_written = 0, lock_calls = 0;  // a pass
    double tick_pages_read = 0, tick_lock_calls = 0;  // a reading tick
};

// The reading tick and the update pass of one query, `passes` times each
// after one to warm up; medians.
Pass measure(jet::Database& db, const std::string& sql, int passes)
{
    Pass r;
    std::vector<double> pass_ms, read_ms;
    jet::Value v;
    jet::LockManager* locks = db.pager().locks();
    const std::uint64_t writes0 = db.pager().pages_written();
    const std::uint64_t calls0 = locks ? locks->lock_calls() : 0;
    std::uint64_t tick_reads = 0, tick_calls = 0;
    for (int p = 0; p <= passes; ++p) {
        const std::uint64_t reads0 = db.pager().pages_read();
        const std::uint64_t lock0 = locks ? locks->lock_calls() : 0;
        auto t = Clock::now();
        {
            jet::Snapshot s = db.open_snapshot(sql);
            for (; !s.is_eof(); s.move_next())
                for (int f = 0; f < s.field_count(); ++f) s.read(f, v);
        }
        if (p > 0) read_ms.push_back(ms_since(t));
        tick_reads += db.pager().pages_read() - reads0;
        tick_calls += (locks ? locks->lock_calls() : 0) - lock0;

        t = Clock::now();
        jet::Dynaset d = db.open_dynaset(sql);
        long n = 0;
        for (; !d.is_eof(); d.move_next())
            for (int f = 0; f < d.field_count(); ++f) {
                d.read(f, v);
                d.edit();
                d.set_value(f, v);
                r.changed += d.update() ? 1 : 0;
                ++n;
            }
        d.close();
        if (p > 0) pass_ms.push_back(ms_since(t));
        r.cycles = n;
    }
    r.pass_ms = median(pass_ms);
    r.best_ms = *std::min_element(pass_ms.begin(), pass_ms.end());
    r.read_ms = median(read_ms);
    r.pages_written = static_cast<double>(db.pager().pages_written() - writes0) / (passes + 1);
    r.lock_calls = locks ? static_cast<double>(locks->lock_calls() - calls0 - tick_calls) / (passes + 1) : 0;
    r.tick_pages_read = static_cast<double>(tick_reads) / (passes + 1);
    r.tick_lock_calls = static_cast<double>(tick_calls) / (passes + 1);
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: rewrite_bench FIXTURES_DIR TMP_DIR [PASSES]\n", stderr);
        return 2;
    }
    const int passes = argc > 3 ? std::max(1, std::atoi(argv[3])) : 20;
    const std::filesystem::path tmp = std::filesystem::u8path(argv[2]);
    std::filesystem::create_directories(tmp);
    const std::filesystem::path file = tmp / "perf.mdb";
    std::filesystem::remove(file);  // (MinGW's copy_file does not overwrite)
    std::filesystem::copy_file(std::filesystem::u8path(argv[1]) / "perf.mdb", file);
    const std::vector<char> before = bytes_of(file);
    const std::u8string u8 = file.u8string();
    try {
        jet::Database db(std::string(u8.begin(), u8.end()));
        for (const int width : {20, 240}) {
            const std::string table = "Perf" + std::to_string(width);
            std::string sql = "SELECT TOP 1000 ";
            for (int i = 1; i <= width; ++i) {
                char name[16];
                std::snprintf(name, sizeof name, "%s[C%0*d]", i > 1 ? ", " : "", width < 100 ? 2 : 3, i);
                sql += name;
            }
            sql += " FROM [" + table + "]";
            const Pass r = measure(db, sql, width == 20 ? passes : std::max(1, passes / 4));
            std::printf("rewrite pass, %s: %ld edit/update cycles; median %.1f ms, best %.1f ms; %.0f field updates/s; "
                        "%.0f pages written and %.0f lock calls a pass\n",
                        table.c_str(), r.cycles, r.pass_ms, r.best_ms, r.cycles / (r.pass_ms / 1000.0),
                        r.pages_written, r.lock_calls);
            std::printf("reading tick, %s (TOP 1000, %d fields): median %.2f ms; %.0f pages read, %.0f lock calls\n",
                        table.c_str(), width, r.read_ms, r.tick_pages_read, r.tick_lock_calls);
            const std::string suffix = width == 20 ? "" : "_240";
            figure(("pass_ms" + suffix).c_str(), r.pass_ms);
            figure(("updates_per_s" + suffix).c_str(), r.cycles / (r.pass_ms / 1000.0));
            figure(("read_tick_ms" + suffix).c_str(), r.read_ms);
            figure(("pages_written_per_pass" + suffix).c_str(), r.pages_written);
            figure(("lock_calls_per_pass" + suffix).c_str(), r.lock_calls);
            if (r.changed != 0) std::printf("FAILED: %ld updates changed a value\n", r.changed);
        }
        figure("lock_call_us", lock_call_us(db, passes));
        figure("open_ms", open_and_catalogue(std::filesystem::u8path(argv[1]), tmp, passes));
    } catch (const jet::Error& e) {
        std::fprintf(stderr, "%s\n", e.description().c_str());
        return 1;
    }
    if (bytes_of(file) != before) {
        std::puts("FAILED: the file changed");
        return 1;
    }
    return 0;
}
