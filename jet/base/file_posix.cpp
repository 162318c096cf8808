#include "jet/base/file.h"

#include "jet/base/error.h"

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#ifdef __linux__
#include <sys/sysmacros.h>
#endif
#include <unistd.h>

namespace jet {

namespace {

// Locks held per open file description where the system has them: a process
// that opens the same database twice then holds two independent sets of
// locks, and closing one descriptor leaves the other's locks alone.
#ifdef F_OFD_SETLK
constexpr int kSetLock = F_OFD_SETLK;
constexpr int kGetLock = F_OFD_GETLK;
#else
constexpr int kSetLock = F_SETLK;
constexpr int kGetLock = F_GETLK;
#endif

struct flock range_of(std::uint64_t offset, std::uint64_t length, short type)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    fl.l_pid = 0;
    return fl;
}

void sort_by_offset(std::vector<HeldRange>& ranges)
{
    std::sort(ranges.begin(), ranges.end(), [](const HeldRange& a, const HeldRange& b) { return a.offset < b.offset; });
}

class PosixFile final : public File {
public:
    PosixFile(int fd, bool writable) : fd_(fd), writable_(writable) {}
    ~PosixFile() override { ::close(fd_); }

    std::uint64_t size() override
    {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) return 0;
        return static_cast<std::uint64_t>(st.st_size);
    }

    std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        auto* out = static_cast<char*>(buffer);
        std::size_t done = 0;
        while (done < count) {
            const ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    bool writable() const override { return writable_; }

    bool write_at(std::uint64_t offset, const void* data, std::size_t count) override
    {
        const auto* in = static_cast<const char*>(data);
        std::size_t done = 0;
        while (done < count) {
            const ssize_t n = ::pwrite(fd_, in + done, count - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    bool flush() override { return ::fsync(fd_) == 0; }
#ifdef SYNC_FILE_RANGE_WRITE
    bool start_flush() override { return ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE) == 0; }
#endif

    bool lockable() const override { return true; }

    bool try_lock(std::uint64_t offset, std::uint64_t length, LockMode mode) override
    {
        struct flock fl = range_of(offset, length, mode == LockMode::Exclusive ? F_WRLCK : F_RDLCK);
        for (;;) {
            if (::fcntl(fd_, kSetLock, &fl) == 0) return took_locks_ = true;
            if (errno != EINTR) return false;
        }
    }

    void unlock(std::uint64_t offset, std::uint64_t length) override
    {
        struct flock fl = range_of(offset, length, F_UNLCK);
        while (::fcntl(fd_, kSetLock, &fl) != 0 && errno == EINTR) {
        }
    }

    bool unlinked() override
    {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 && st.st_nlink == 0;
    }

    bool lock_conflicts(std::uint64_t offset, std::uint64_t length, LockMode mode) override
    {
        struct flock fl = range_of(offset, length, mode == LockMode::Exclusive ? F_WRLCK : F_RDLCK);
        if (::fcntl(fd_, kGetLock, &fl) != 0) return false;
        return fl.l_type != F_UNLCK;
    }

    FileId id() const override
    {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) return {};
        return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), true};
    }

    // The system names one conflicting lock per question, not necessarily
    // the lowest: the parts of the range on either side of it are asked
    // again, so each lock found costs at most two questions. Where the
    // system lists its locks (listed_ranges) one read of the list does.
    std::vector<HeldRange> held_ranges(std::uint64_t offset, std::uint64_t length) override
    {
        constexpr std::uint64_t kLimit = std::uint64_t{INT64_MAX};
        std::vector<HeldRange> found;
        if (offset >= kLimit) return found;
        const std::uint64_t to = offset + std::min(length, kLimit - offset);
        std::vector<std::pair<std::uint64_t, std::uint64_t>> pending{{offset, to}};
        if (!took_locks_) {
            struct flock fl = range_of(offset, to - offset, F_WRLCK);
            if (::fcntl(fd_, kGetLock, &fl) != 0 || fl.l_type == F_UNLCK) return found;
            if (listed_ranges(offset, to, fl, found)) return found;
            found.clear();
        }
        while (!pending.empty()) {
            const auto [from, to] = pending.back();
            pending.pop_back();
            if (from >= to) continue;
            struct flock fl = range_of(from, to - from, F_WRLCK);
            if (::fcntl(fd_, kGetLock, &fl) != 0 || fl.l_type == F_UNLCK) continue;
            const auto start = static_cast<std::uint64_t>(fl.l_start);
            const std::uint64_t first = std::max(from, start);
            const std::uint64_t end = fl.l_len == 0 ? to : std::min(to, start + static_cast<std::uint64_t>(fl.l_len));
            if (end <= first) continue;
            found.push_back({first, end - first, fl.l_type == F_WRLCK ? LockMode::Exclusive : LockMode::Shared});
            pending.emplace_back(end, to);
            pending.emplace_back(from, first);
        }
        sort_by_offset(found);
        return found;
    }

private:
#ifdef __linux__
    // The locks on this file in [from, to) as /proc/locks lists them, when
    // that list is to be trusted: it must hold `seen`, a lock the system
    // named for the range (a file system whose devices it numbers otherwise
    // fails that), and it holds this handle's own locks too, so it is only
    // read for a handle that took none.
    bool listed_ranges(std::uint64_t from, std::uint64_t to, const struct flock& seen, std::vector<HeldRange>& out)
    {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) return false;
        std::FILE* list = std::fopen("/proc/locks", "re");
        if (list == nullptr) return false;
        const auto seen_start = static_cast<std::uint64_t>(seen.l_start);
        bool confirmed = false;
        char line[256];
        while (std::fgets(line, sizeof line, list) != nullptr) {
            // "ID: KIND ADVISORY READ|WRITE PID MAJOR:MINOR:INODE START END|EOF";
            // "ID: -> ..." lines are requests waiting for a lock.
            char kind[16], mode[16], end_text[24];
            unsigned major_id = 0, minor_id = 0;
            unsigned long long inode = 0, start = 0;
            if (std::sscanf(line, "%*d: %15s %*s %15s %*d %x:%x:%llu %llu %23s", kind, mode, &major_id, &minor_id, &inode,
                            &start, end_text) != 7)
                continue;
            if ((std::strcmp(kind, "POSIX") != 0 && std::strcmp(kind, "OFDLCK") != 0) || inode != st.st_ino ||
                major_id != major(st.st_dev) || minor_id != minor(st.st_dev))
                continue;
            const std::uint64_t end =
                std::strcmp(end_text, "EOF") == 0 ? to : std::strtoull(end_text, nullptr, 10) + 1;
            const bool exclusive = std::strcmp(mode, "WRITE") == 0;
            if (start == seen_start && exclusive == (seen.l_type == F_WRLCK)) confirmed = true;
            const std::uint64_t first = std::max<std::uint64_t>(from, start), last = std::min(to, end);
            if (first < last) out.push_back({first, last - first, exclusive ? LockMode::Exclusive : LockMode::Shared});
        }
        std::fclose(list);
        sort_by_offset(out);
        return confirmed;
    }
#else
    bool listed_ranges(std::uint64_t, std::uint64_t, const struct flock&, std::vector<HeldRange>&) { return false; }
#endif

    int fd_;
    bool writable_;
    bool took_locks_ = false;
};

// The sharing byte (see file.h): far beyond the end of any database and of
// every lock range the engine takes.
constexpr std::uint64_t kShareByte = std::uint64_t{1} << 62;

// Takes the sharing byte without waiting. Only a conflicting lock is a
// refusal: where the system keeps no locks (ENOLCK, a file system without
// them), the file opens without the sharing rule.
bool take_share_byte(int fd, short type)
{
    struct flock fl = range_of(kShareByte, 1, type);
    for (;;) {
        if (::fcntl(fd, kSetLock, &fl) == 0) return true;
        if (errno == EINTR) continue;
        return errno != EAGAIN && errno != EACCES;
    }
}

bool share_byte_held(int fd, short type)
{
    struct flock fl = range_of(kShareByte, 1, type);
    return ::fcntl(fd, kGetLock, &fl) == 0 && fl.l_type != F_UNLCK;
}

// Opens an existing ordinary file for reading and writing, or for reading
// only where it may not be written. Opened without blocking, so that a named
// pipe is turned away instead of waiting for a writer.
int open_database(const std::string& path, bool& writable)
{
    writable = true;
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == EISDIR) throw unrecognized_format(path);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        writable = false;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    }
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) throw file_not_found(path);
        throw cannot_open_file(path);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        throw cannot_open_file(path);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw unrecognized_format(path);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

// The folder a path lies in, for making a change of its names durable.
std::string folder_of(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

void sync_folder(const std::string& path)
{
    const int fd = ::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::unique_ptr<File> File::open(const std::string& path)
{
    bool writable = true;
    const int fd = open_database(path, writable);
    if (!take_share_byte(fd, F_RDLCK)) {
        ::close(fd);
        throw cannot_open_file(path);
    }
    return std::make_unique<PosixFile>(fd, writable);
}

std::unique_ptr<File> File::open_exclusive(const std::string& path)
{
    bool writable = true;
    const int fd = open_database(path, writable);
    // A descriptor that may only read cannot take a write lock: it keeps out
    // other exclusive opens, after making sure nobody has the file at all.
    const bool alone = writable ? take_share_byte(fd, F_WRLCK)
                                : !share_byte_held(fd, F_WRLCK) && take_share_byte(fd, F_RDLCK);
    if (!alone) {
        ::close(fd);
        throw file_in_use(path);
    }
    return std::make_unique<PosixFile>(fd, writable);
}

std::unique_ptr<File> File::open_or_create(const std::string& path)
{
    // Not through a link, and not waiting on a pipe.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return std::make_unique<PosixFile>(fd, true);
}

std::unique_ptr<File> File::open_to_inspect(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixFile>(fd, false);
}

std::unique_ptr<File> File::create_new(const std::string& path, bool& exists)
{
    exists = false;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        exists = errno == EEXIST;
        return nullptr;
    }
    return std::make_unique<PosixFile>(fd, true);
}

bool File::rename_new(const std::string& from, const std::string& to, bool& exists)
{
    exists = false;
#ifdef RENAME_NOREPLACE
    // One step where the system can refuse a taken name itself.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        sync_folder(to);
        return true;
    }
    if (errno == EEXIST) {
        exists = true;
        return false;
    }
    // Other refusals (a file system or system without the flag among them)
    // are left to the way below.
#endif
    // A hard link fails when the name is taken, where rename would replace.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
    } else {
        if (errno == EEXIST) {
            exists = true;
            return false;
        }
        // File systems without hard links: check, then rename.
        if (errno != EPERM && errno != ENOTSUP && errno != EMLINK) return false;
        if (File::exists(to)) {
            exists = true;
            return false;
        }
        if (::rename(from.c_str(), to.c_str()) != 0) return false;
    }
    sync_folder(to);
    return true;
}

bool File::exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool File::remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::string File::real_path(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    std::string out(resolved);
    std::free(resolved);
    return out;
}

FileId File::id_of(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return {};
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), true};
}

std::string computer_name()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::uint64_t coarse_milliseconds()
{
    // Read without entering the kernel here: precise and cheap alike.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace jet
