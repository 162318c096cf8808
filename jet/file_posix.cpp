#include "jet/file.h"

#include "jet/error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jet {

namespace {

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

}  // namespace jet
