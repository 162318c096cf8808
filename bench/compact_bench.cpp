// Times the compaction of a database against a plain copy of the same file,
// in the same run: each round copies the file (as cp does) and compacts it,
// alternating, and the medians are printed with their ratio.
//
//   compact_bench FIXTURES WORK_DIR [ROUNDS] [FILE...]
//
// FILE names a fixture below FIXTURES (default: perf.mdb and NflSummary.mdb).
// The compaction writes its copy through to the disk before it returns; the
// plain copy does not, so it is timed once more with the same flush.
#include "jet/compaction/compact.h"
#include "jet/base/error.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ms_since(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

void flush_file(const fs::path& p)
{
    const int fd = ::open(p.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: compact_bench FIXTURES WORK_DIR [ROUNDS] [FILE...]\n", stderr);
        return 2;
    }
    const fs::path fixtures = argv[1];
    const fs::path work = argv[2];
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 15;
    std::vector<std::string> files;
    for (int i = 4; i < argc; ++i) files.push_back(argv[i]);
    if (files.empty()) files = {"perf.mdb", "NflSummary.mdb"};
    fs::create_directories(work);

    for (const std::string& name : files) {
        const fs::path source = work / ("source-" + fs::path(name).filename().string());
        fs::copy_file(fixtures / name, source, fs::copy_options::overwrite_existing);
        const fs::path copy = work / "copy.mdb";
        const fs::path compacted = work / "compacted.mdb";
        std::vector<double> copy_ms, synced_ms, compact_ms;
        jet::CompactResult r;
        for (int i = 0; i < rounds; ++i) {
            fs::remove(copy);
            auto start = Clock::now();
            fs::copy_file(source, copy);
            copy_ms.push_back(ms_since(start));
            fs::remove(copy);
            start = Clock::now();
            fs::copy_file(source, copy);
            flush_file(copy);
            synced_ms.push_back(ms_since(start));
            fs::remove(compacted);
            start = Clock::now();
            try {
                r = jet::compact(source.string(), compacted.string());
            } catch (const jet::Error& e) {
                std::fprintf(stderr, "%s: %s\n", name.c_str(), e.description().c_str());
                return 1;
            }
            compact_ms.push_back(ms_since(start));
        }
        const double c = median(copy_ms), s = median(synced_ms), k = median(compact_ms);
        std::printf("%-16s %8ju bytes -> %8ju: copy %7.2f ms, copy+flush %7.2f ms, compact %7.2f ms "
                    "(%.2fx the copy, %.2fx the flushed copy), median of %d\n",
                    name.c_str(), static_cast<std::uintmax_t>(fs::file_size(source)),
                    static_cast<std::uintmax_t>(fs::file_size(compacted)), c, s, k, k / c, k / s, rounds);
        const char* wanted = std::getenv("QM_FIGURES");
        if (wanted && *wanted == '1') {
            const std::string stem = fs::path(name).stem().string();
            std::printf("figure compact.%s.ms %.3f\nfigure compact.%s.copy_flush_ms %.3f\n", stem.c_str(), k,
                        stem.c_str(), s);
        }
        (void)r;
    }
    // Whether the figures meet their targets is the table's to say (bench/all.sh).
    return 0;
}
