#include "dao_test_files.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <fstream>
#include <iterator>

namespace {
std::string Backslashed(std::string path)
{
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

void EmptyFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE h = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            const std::string file = folder + "\\" + found.cFileName;
            ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(file.c_str());
        }
    } while (::FindNextFileA(h, &found));
    ::FindClose(h);
}
} // namespace

FixtureCopies::FixtureCopies()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "no-test";
    for (char& c : name)
        if (c == '/') c = '_';
    m_folder = Backslashed(std::string(QM_TEST_TMP) + "/" + name);
    ::CreateDirectoryA(m_folder.c_str(), nullptr);
    EmptyFolder(m_folder);
}

FixtureCopies::~FixtureCopies()
{
    EmptyFolder(m_folder);
    ::RemoveDirectoryA(m_folder.c_str());
}

std::string FixtureCopies::Copy(const std::string& name)
{
    const std::string source = Backslashed(std::string(QM_FIXTURES_DIR) + "/" + name);
    const std::string copy = m_folder + "\\" + name.substr(name.find_last_of('/') + 1);
    EXPECT_TRUE(::CopyFileA(source.c_str(), copy.c_str(), FALSE)) << "cannot copy " << source;
    ::SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    return copy;
}

std::string FixtureCopies::Missing(const std::string& name) const { return m_folder + "\\" + name; }

std::string AnsiFromUtf8(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                              static_cast<int>(wide.size()))));
    std::string ansi(wide.size() * 2, '\0');
    ansi.resize(static_cast<size_t>(::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                                           ansi.data(), static_cast<int>(ansi.size()), nullptr,
                                                           nullptr)));
    return ansi;
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
