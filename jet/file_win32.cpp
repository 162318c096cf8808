#include "jet/file.h"

#include "jet/error.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace jet {

namespace {

std::wstring widen(const std::string& utf8)
{
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

class Win32File final : public File {
public:
    Win32File(HANDLE handle, bool writable) : handle_(handle), writable_(writable) {}
    ~Win32File() override { CloseHandle(handle_); }

    std::uint64_t size() override
    {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(handle_, &size)) return 0;
        return static_cast<std::uint64_t>(size.QuadPart);
    }

    std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        auto* out = static_cast<char*>(buffer);
        std::size_t done = 0;
        while (done < count) {
            OVERLAPPED at{};
            const std::uint64_t pos = offset + done;
            at.Offset = static_cast<DWORD>(pos & 0xFFFFFFFFu);
            at.OffsetHigh = static_cast<DWORD>(pos >> 32);
            const std::size_t want = count - done;
            const DWORD chunk = want > 0x40000000u ? 0x40000000u : static_cast<DWORD>(want);
            DWORD got = 0;
            if (!ReadFile(handle_, out + done, chunk, &got, &at) || got == 0) break;
            done += got;
        }
        return done;
    }

    bool writable() const override { return writable_; }

private:
    HANDLE handle_;
    bool writable_;
};

}  // namespace

std::unique_ptr<File> File::open(const std::string& path)
{
    const std::wstring wide = widen(path);
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    bool writable = true;
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        writable = false;
        h = CreateFileW(wide.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
    }
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND || err == ERROR_INVALID_NAME)
            throw file_not_found(path);
        throw cannot_open_file(path);
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        throw cannot_open_file(path);
    }
    return std::make_unique<Win32File>(h, writable);
}

}  // namespace jet
