// The rewrite pass benchmark: every field of perf.mdb's Perf20 (1000 records
// x 20 fields = 20 000 edit/update cycles) written back with the value it
// holds, as the viewer's updating mode does on every timer tick; the
// reading tick of the same table; and opening the demo database with its
// table catalogue. Prints the figures (with QM_FIGURES=1 also as "figure NAME
// VALUE" lines for bench/all.sh); the file must come out unchanged.
//
//   rewrite_bench FIXTURES_DIR TMP_DIR [PASSES]
#include "jet/jet.h"

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
        std::string sql = "SELECT TOP 1000 ";
        for (int i = 1; i <= 20; ++i) sql += (i > 1 ? ", [C" : "[C") + std::string(i < 10 ? "0" : "") + std::to_string(i) + "]";
        sql += " FROM [Perf20]";

        std::vector<double> pass_ms, read_ms;
        long cycles = 0, written = 0;
        jet::Value v;
        for (int p = 0; p <= passes; ++p) {  // pass 0 warms up
            auto t = Clock::now();
            jet::Snapshot s = db.open_snapshot(sql);
            for (; !s.is_eof(); s.move_next())
                for (int f = 0; f < s.field_count(); ++f) s.read(f, v);
            if (p > 0) read_ms.push_back(ms_since(t));

            t = Clock::now();
            jet::Dynaset d = db.open_dynaset(sql);
            long n = 0;
            for (; !d.is_eof(); d.move_next())
                for (int f = 0; f < d.field_count(); ++f) {
                    d.read(f, v);
                    d.edit();
                    d.set_value(f, v);
                    written += d.update() ? 1 : 0;
                    ++n;
                }
            if (p > 0) pass_ms.push_back(ms_since(t));
            cycles = n;
        }
        const double m = median(pass_ms);
        std::printf("rewrite pass, Perf20: %ld edit/update cycles; median %.1f ms, best %.1f ms over %d passes; "
                    "%.0f field updates/s\n",
                    cycles, m, *std::min_element(pass_ms.begin(), pass_ms.end()), passes, cycles / (m / 1000.0));
        std::printf("reading tick, Perf20 (TOP 1000, 20 fields): median %.1f ms, best %.1f ms\n", median(read_ms),
                    *std::min_element(read_ms.begin(), read_ms.end()));
        figure("pass_ms", m);
        figure("updates_per_s", cycles / (m / 1000.0));
        figure("read_tick_ms", median(read_ms));
        figure("open_ms", open_and_catalogue(std::filesystem::u8path(argv[1]), tmp, passes));
        if (written != 0) std::printf("FAILED: %ld updates wrote to the file\n", written);
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
