// The file layer: a database file opened for shared use, read at offsets.
// One implementation per platform (file_posix.cpp, file_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace jet {

class File {
public:
    // Opens an existing file for reading and writing while other programs keep
    // it open too; a file that may not be written is opened for reading only.
    // `path` is UTF-8. Throws Error: kFileNotFound, or kCannotOpenFile.
    static std::unique_ptr<File> open(const std::string& path);
    // A read-only file held in memory (tests, fuzzing, copies of a file).
    static std::unique_ptr<File> in_memory(std::vector<std::uint8_t> bytes);

    virtual ~File() = default;

    // The size now: other programs may grow the file while it is open.
    virtual std::uint64_t size() = 0;
    // Reads up to `count` bytes at `offset`; returns how many were read (fewer at the end).
    virtual std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count) = 0;
    virtual bool writable() const = 0;
};

}  // namespace jet
