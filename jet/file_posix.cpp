#include "jet/file.h"

#include "jet/error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
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

    bool lockable() const override { return true; }

    bool try_lock(std::uint64_t offset, std::uint64_t length, LockMode mode) override
    {
        struct flock fl = range_of(offset, length, mode == LockMode::Exclusive ? F_WRLCK : F_RDLCK);
        for (;;) {
            if (::fcntl(fd_, kSetLock, &fl) == 0) return true;
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

private:
    int fd_;
    bool writable_;
};

}  // namespace

std::unique_ptr<File> File::open(const std::string& path)
{
    bool writable = true;
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        writable = false;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) throw file_not_found(path);
        throw cannot_open_file(path);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw cannot_open_file(path);
    }
    return std::make_unique<PosixFile>(fd, writable);
}

std::unique_ptr<File> File::open_or_create(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixFile>(fd, true);
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

bool File::remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::string computer_name()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

}  // namespace jet
