// Test helpers: fixture databases copied into a fresh temporary folder, so
// no test reads or changes the originals.
#pragma once

#include "jet/jet.h"
#include "jet/base/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace jettest {

inline std::filesystem::path fixture_path(const std::string& name)
{
    return std::filesystem::path(QM_FIXTURES_DIR) / name;
}

inline std::string utf8_of(const std::filesystem::path& p)
{
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

inline std::vector<std::uint8_t> read_file(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void write_file(const std::filesystem::path& p, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Overwrites a file's bytes in place, without truncating it (it may be open).
inline void overwrite_file(const std::filesystem::path& p, const std::vector<std::uint8_t>& bytes)
{
    std::fstream out(p, std::ios::binary | std::ios::in | std::ios::out);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A folder of its own for each test, removed afterwards. Its name joins the
// suite and the test with a dot, so that every test works in a folder with a
// dot in its name.
class TempDir {
public:
    TempDir()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "jet";
        for (char& c : name)
            if (c == '/') c = '_';
        // A run beside the usual one (QM_TEST_TMP_TAG set) keeps to folders of its own.
        const char* tag = std::getenv("QM_TEST_TMP_TAG");
        if (tag && *tag) name += std::string("-") + tag;
        dir_ = std::filesystem::path(QM_TEST_TMP) / "jet" / name;
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    const std::filesystem::path& path() const { return dir_; }

    // Copies a fixture (a path below the fixtures folder) here; returns the copy's UTF-8 path.
    std::string copy(const std::string& fixture, const std::string& as = {})
    {
        const std::filesystem::path target =
            dir_ / (as.empty() ? std::filesystem::path(fixture).filename() : std::filesystem::path(as));
        std::filesystem::copy_file(fixture_path(fixture), target,
                                   std::filesystem::copy_options::overwrite_existing);
        return utf8_of(target);
    }

private:
    std::filesystem::path dir_;
};

// A fixture's bytes, for tests that change them in memory.
inline std::vector<std::uint8_t> fixture_bytes(const std::string& name) { return read_file(fixture_path(name)); }

// The error a call throws; fails the test if it throws none.
template <class F> jet::Error error_of(F&& f)
{
    try {
        f();
    } catch (const jet::Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error thrown";
    return jet::Error(0, "");
}

inline std::string u8(const std::u16string& s) { return jet::to_utf8(s); }

}  // namespace jettest
