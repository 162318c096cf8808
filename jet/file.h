// The file layer: a database file opened for shared use, read and written at
// offsets, with byte-range locks. One implementation per platform
// (file_posix.cpp, file_win32.cpp) and one in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace jet {

enum class LockMode : std::uint8_t { Shared, Exclusive };

class File {
public:
    // Opens an existing file for reading and writing while other programs keep
    // it open too; a file that may not be written is opened for reading only.
    // `path` is UTF-8. Throws Error: kFileNotFound, or kCannotOpenFile.
    static std::unique_ptr<File> open(const std::string& path);
    // Opens a file for reading and writing, creating it when it is missing
    // (the lock file beside a database); null when that is not possible.
    static std::unique_ptr<File> open_or_create(const std::string& path);
    // Creates a file that must not exist yet, for reading and writing; null
    // when it cannot, with `exists` telling whether a file of that name was
    // there already.
    static std::unique_ptr<File> create_new(const std::string& path, bool& exists);
    // Deletes a file; false when it could not be deleted.
    static bool remove(const std::string& path);
    // A read-only file held in memory (tests, fuzzing, copies of a file).
    static std::unique_ptr<File> in_memory(std::vector<std::uint8_t> bytes);

    virtual ~File() = default;

    // The size now: other programs may grow the file while it is open.
    virtual std::uint64_t size() = 0;
    // Reads up to `count` bytes at `offset`; returns how many were read (fewer at the end).
    virtual std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count) = 0;
    virtual bool writable() const = 0;

    // Writes all `count` bytes at `offset` in one call to the system; false on failure.
    virtual bool write_at(std::uint64_t offset, const void* data, std::size_t count)
    {
        (void)offset, (void)data, (void)count;
        return false;
    }

    // Hands what was written to the storage device; false on failure.
    virtual bool flush() { return true; }

    // True when the file is shared with other processes through the system,
    // so that its byte-range locks mean something. A file in memory is not.
    virtual bool lockable() const { return false; }
    // Takes a byte-range lock without waiting; false when another handle holds
    // a conflicting one. Ranges may lie beyond the end of the file. A range
    // taken here is released with the same offset and length.
    virtual bool try_lock(std::uint64_t offset, std::uint64_t length, LockMode mode)
    {
        (void)offset, (void)length, (void)mode;
        return true;
    }
    virtual void unlock(std::uint64_t offset, std::uint64_t length) { (void)offset, (void)length; }
    // True when another handle holds a lock that conflicts with one of `mode`
    // on the range. Takes no lock (or only for the moment of the test).
    virtual bool lock_conflicts(std::uint64_t offset, std::uint64_t length, LockMode mode)
    {
        (void)offset, (void)length, (void)mode;
        return false;
    }
    // True when the file has been deleted while this handle was open (on
    // Windows: its deletion waits for the handles to close).
    virtual bool unlinked() { return false; }
};

// The name of this computer as the system gives it (UTF-8, may be empty).
std::string computer_name();

}  // namespace jet
