// The file layer's parts that are the same on every platform.
#include "jet/base/file.h"

#include <chrono>
#include <cstdio>
#include <random>

namespace jet {

std::unique_ptr<File> File::create_beside(const std::string& path, std::string& name)
{
    // Names another run (or another process now) is unlikely to pick: the
    // system's entropy mixed with the clock, in case the former is weak.
    std::random_device entropy;
    std::uint32_t seed =
        entropy() ^ static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        seed = seed * 1664525u + 1013904223u;
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".~%08x", static_cast<unsigned>(seed));
        name = path + suffix;
        bool exists = false;
        std::unique_ptr<File> file = create_new(name, exists);
        if (file || !exists) return file;
    }
    return nullptr;
}

}  // namespace jet
