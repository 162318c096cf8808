// The file layer: a database file opened for shared use, read and written at
// offsets, with byte-range locks. One implementation per platform
// (file_posix.cpp, file_win32.cpp) and one in memory.
//
// Sharing modes: a database file is opened either for shared use, alongside
// any number of other shared opens, or exclusively, alone. Windows keeps the
// two apart by its share modes. POSIX has none, so file_posix.cpp stands in
// for them with one lock byte far beyond any data a database can hold: every
// shared open holds that byte with a shared lock for as long as it is open,
// and an exclusive open takes it exclusively, which fails while any other
// open holds it and makes every later shared open fail. The rest of the
// engine neither sees nor touches that byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace jet {

enum class LockMode : std::uint8_t { Shared, Exclusive };

// Which file a name leads to, whatever its names (on POSIX the device and
// the inode, on Windows the volume and the file index).
struct FileId {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool known = false;
};

// Whether both are known and are the same file.
inline bool same_file(const FileId& a, const FileId& b)
{
    return a.known && b.known && a.volume == b.volume && a.index == b.index;
}

// A byte range that a handle holds locked.
struct HeldRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    LockMode mode = LockMode::Shared;
};

class File {
public:
    // Opens an existing file for reading and writing while other programs keep
    // it open too; a file that may not be written is opened for reading only.
    // `path` is UTF-8. Throws Error: kFileNotFound; kUnrecognizedFormat for a
    // folder, a pipe or anything else that is no ordinary file; or
    // kCannotOpenFile (among others while the file is open exclusively).
    static std::unique_ptr<File> open(const std::string& path);
    // Opens an existing file for this handle alone: no other open, shared or
    // exclusive, succeeds until it is closed, and it fails while another one
    // is open. A file that may
    // not be written is opened for reading only, and then (on POSIX) only
    // other exclusive opens are kept out. The errors of open(), and
    // kFileInUse while someone else has the file open.
    static std::unique_ptr<File> open_exclusive(const std::string& path);
    // Opens a file for reading and writing, creating it when it is missing
    // (the lock file beside a database); null when that is not possible, and
    // for anything but an ordinary file: a symbolic link is not followed.
    static std::unique_ptr<File> open_or_create(const std::string& path);
    // Creates a file that must not exist yet, for reading and writing; null
    // when it cannot, with `exists` telling whether a file of that name was
    // there already.
    static std::unique_ptr<File> create_new(const std::string& path, bool& exists);
    // Creates a new file in the folder of `path`, named `path` with a suffix
    // that no file there has yet; `name` gets its name. For a file that is
    // written whole and only then given its name by rename_new. Null when no
    // such file can be created.
    static std::unique_ptr<File> create_beside(const std::string& path, std::string& name);
    // Gives the closed file `from` the name `to`, which must not exist, and
    // makes the new name durable; false when it cannot, with `exists` telling
    // whether a file of that name was there.
    static bool rename_new(const std::string& from, const std::string& to, bool& exists);
    // Whether anything (file, folder, ...) is there under that name.
    static bool exists(const std::string& path);
    // Deletes a file; false when it could not be deleted.
    static bool remove(const std::string& path);
    // `path` with every symbolic link, "." and ".." resolved, as the system
    // names the file (UTF-8); `path` itself when that cannot be found.
    static std::string real_path(const std::string& path);
    // Which file `path` names; a symbolic link is itself, not its target.
    // Unknown when there is nothing there.
    static FileId id_of(const std::string& path);
    // Opens an existing file for reading only, sharing it with every other
    // open (its deletion too) and taking no lock: for looking at the locks
    // that others hold on it. Null when there is no such file or it cannot
    // be opened.
    static std::unique_ptr<File> open_to_inspect(const std::string& path);
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

    // Whether another file can be renamed over this one while it is open.
    // Windows refuses to replace an open file, whatever its sharing.
    virtual bool replaceable_while_open() const { return true; }

    // Hands what was written to the storage device; false on failure.
    virtual bool flush() { return true; }
    // Sets the device writing what was written without waiting for it, so
    // that a flush() later finds less to wait for; whether it could. A file
    // that cannot leaves all of it to flush().
    virtual bool start_flush() { return false; }

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
    // The ranges within [offset, offset + length) that other handles hold
    // locked, in order of offset, found without taking any lock that lasts
    // (on Windows each test locks for a moment). The cost grows with the
    // number of locks found, not with the width of the range. Windows cannot
    // tell adjacent locks apart: they come back as one range.
    virtual std::vector<HeldRange> held_ranges(std::uint64_t offset, std::uint64_t length)
    {
        (void)offset, (void)length;
        return {};
    }
    // True when the file has been deleted while this handle was open (on
    // Windows: its deletion waits for the handles to close).
    virtual bool unlinked() { return false; }
    // Which file this is; unknown for a file in memory.
    virtual FileId id() const { return {}; }
    // The file's number on its volume, id().index, where the system may tell
    // it for less than the whole identity; false when unknown.
    virtual bool file_number(std::uint64_t& number) const
    {
        const FileId i = id();
        number = i.index;
        return i.known;
    }
    // Whether this and `other` are one file (never for unknown files).
    virtual bool same_file_as(File& other) { return same_file(id(), other.id()); }
    // Deletes this file if `path` names it now (a symbolic link is itself,
    // not its target); false when it does not or cannot be deleted.
    virtual bool remove_if_named(const std::string& path) { return same_file(id_of(path), id()) && remove(path); }
};

// The name of this computer as the system gives it (UTF-8, may be empty).
std::string computer_name();

// Milliseconds of a monotonic clock that costs next to nothing to read, at
// the resolution of the system's timer tick (up to 16 ms): for waits of a
// tenth of a second and more, asked about on every field update. (A precise
// clock costs about 0.25 us a reading under Wine.)
std::uint64_t coarse_milliseconds();

}  // namespace jet
