#include "jet/base/file.h"

#include "jet/base/error.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <optional>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <winternl.h>

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

std::string narrow(const wchar_t* wide, int length)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide, length, out.data(), n, nullptr, nullptr);
    return out;
}

FileId id_of_handle(HANDLE h)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info)) return {};
    return {info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow, true};
}

// The file's number on its volume alone, asked of the file system without
// the volume's serial number: the whole identity costs a question to the
// mount manager (under Wine a round trip to another process, about half a
// millisecond), this one does not. Two handles whose numbers differ are two
// files; equal numbers still need the volumes compared.
bool index_of_handle(HANDLE h, std::uint64_t& index)
{
    IO_STATUS_BLOCK io{};
    FILE_INTERNAL_INFORMATION info{};
    if (NtQueryInformationFile(h, &io, &info, sizeof info, FileInternalInformation) < 0) return false;
    index = static_cast<std::uint64_t>(info.IndexNumber.QuadPart);
    return true;
}

// Whether the two handles' files have the same number: false or true where
// both numbers are known, nothing where one is not.
std::optional<bool> same_number(HANDLE a, HANDLE b)
{
    std::uint64_t x = 0, y = 0;
    if (!index_of_handle(a, x) || !index_of_handle(b, y)) return std::nullopt;
    return x == y;
}

// What a handle opened with FILE_FLAG_OPEN_REPARSE_POINT holds: a name that
// is a link (a symbolic link or a junction) gives the link itself; a
// reparse point of another kind (a file the system keeps elsewhere or
// deduplicated) must be opened through. Unknown counts as a link.
enum class Reparse { None, Link, Other };

Reparse reparse_of(HANDLE h)
{
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &info, sizeof info)) return Reparse::Link;
    if (!(info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return Reparse::None;
    return IsReparseTagNameSurrogate(info.ReparseTag) ? Reparse::Link : Reparse::Other;
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

    // Reads and writes move the handle's own position rather than name
    // their offset in an OVERLAPPED: the system would then announce each
    // finished one to a completion port (under Wine, a round trip to its
    // server for every page). The position is this object's alone; the
    // mutex keeps a move and its transfer together.
    std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        std::lock_guard<std::mutex> hold(position_);
        if (!move_to(offset)) return 0;
        auto* out = static_cast<char*>(buffer);
        std::size_t done = 0;
        while (done < count) {
            const std::size_t want = count - done;
            const DWORD chunk = want > 0x40000000u ? 0x40000000u : static_cast<DWORD>(want);
            DWORD got = 0;
            if (!ReadFile(handle_, out + done, chunk, &got, nullptr) || got == 0) break;
            done += got;
        }
        return done;
    }

    bool writable() const override { return writable_; }

    bool write_at(std::uint64_t offset, const void* data, std::size_t count) override
    {
        std::lock_guard<std::mutex> hold(position_);
        if (!move_to(offset)) return false;
        const auto* in = static_cast<const char*>(data);
        std::size_t done = 0;
        while (done < count) {
            const std::size_t want = count - done;
            const DWORD chunk = want > 0x40000000u ? 0x40000000u : static_cast<DWORD>(want);
            DWORD put = 0;
            if (!WriteFile(handle_, in + done, chunk, &put, nullptr) || put == 0) return false;
            done += put;
        }
        return true;
    }

    bool flush() override { return FlushFileBuffers(handle_) != 0; }

    bool replaceable_while_open() const override { return false; }

    bool lockable() const override { return true; }

    bool try_lock(std::uint64_t offset, std::uint64_t length, LockMode mode) override
    {
        OVERLAPPED at = at_offset(offset);
        DWORD flags = LOCKFILE_FAIL_IMMEDIATELY;
        if (mode == LockMode::Exclusive) flags |= LOCKFILE_EXCLUSIVE_LOCK;
        return LockFileEx(handle_, flags, 0, static_cast<DWORD>(length & 0xFFFFFFFFu),
                          static_cast<DWORD>(length >> 32), &at) != 0;
    }

    void unlock(std::uint64_t offset, std::uint64_t length) override
    {
        OVERLAPPED at = at_offset(offset);
        UnlockFileEx(handle_, 0, static_cast<DWORD>(length & 0xFFFFFFFFu), static_cast<DWORD>(length >> 32), &at);
    }

    // Windows has no way to ask about a lock: take one for a moment.
    bool unlinked() override
    {
        FILE_STANDARD_INFO info{};
        return GetFileInformationByHandleEx(handle_, FileStandardInfo, &info, sizeof info) && info.DeletePending;
    }

    bool lock_conflicts(std::uint64_t offset, std::uint64_t length, LockMode mode) override
    {
        if (!try_lock(offset, length, mode)) return true;
        unlock(offset, length);
        return false;
    }

    // A handle stays with its file: asked once. (Under Wine the volume's
    // serial number is a round trip to another process.)
    FileId id() const override
    {
        std::lock_guard<std::mutex> hold(position_);
        if (!id_.known) id_ = id_of_handle(handle_);
        return id_;
    }

    bool file_number(std::uint64_t& number) const override { return index_of_handle(handle_, number); }

    // Two files by their numbers (the usual answer) without asking either
    // volume; the whole identities only where the numbers agree.
    bool same_file_as(File& other) override
    {
        if (auto* w = dynamic_cast<Win32File*>(&other); w && same_number(handle_, w->handle_) == false) return false;
        return same_file(id(), other.id());
    }

    // The name is checked by the file numbers alone, and the file deleted
    // through this handle: where the numbers agree and the volumes might
    // not, what is deleted is this file all the same, never another.
    bool remove_if_named(const std::string& path) override
    {
        constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        HANDLE h = CreateFileW(widen(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        const bool named = same_number(h, handle_) == true;
        CloseHandle(h);
        if (!named) return false;
        HANDLE d = ReOpenFile(handle_, DELETE, kShareAll, 0);
        if (d == INVALID_HANDLE_VALUE) return false;
        FILE_DISPOSITION_INFO info{TRUE};
        const bool done = SetFileInformationByHandle(d, FileDispositionInfo, &info, sizeof info) != 0;
        CloseHandle(d);
        return done;
    }

    // Windows answers only whether a range can be locked: the first held
    // byte is found by halving the range, then the held bytes after it one
    // by one, up to kFollowBytes; a longer run's end is found by doubling
    // and halving (which would take a gap within it for held). Each lock
    // costs about 2·log2(width) tests and its length up to kFollowBytes.
    // This handle's own locks fail the tests too: ask on one that holds none.
    std::vector<HeldRange> held_ranges(std::uint64_t offset, std::uint64_t length) override
    {
        constexpr std::uint64_t kFollowBytes = 1024;
        std::vector<HeldRange> found;
        const std::uint64_t end = offset + std::min(length, UINT64_MAX - offset);
        std::uint64_t at = offset;
        while (at < end && lock_conflicts(at, end - at, LockMode::Exclusive)) {
            std::uint64_t lo = at, hi = end;  // a held byte lies in [lo, hi)
            while (hi - lo > 1) {
                const std::uint64_t mid = lo + (hi - lo) / 2;
                if (lock_conflicts(lo, mid - lo, LockMode::Exclusive))
                    hi = mid;
                else
                    lo = mid;
            }
            std::uint64_t stop = lo + 1;
            while (stop < end && stop - lo < kFollowBytes && lock_conflicts(stop, 1, LockMode::Exclusive)) ++stop;
            if (stop - lo == kFollowBytes) stop = run_end(stop, end);
            const bool exclusive = lock_conflicts(lo, stop - lo, LockMode::Shared);
            found.push_back({lo, stop - lo, exclusive ? LockMode::Exclusive : LockMode::Shared});
            at = stop;
        }
        return found;
    }

private:
    // The end of a run of held bytes that reaches `held`: some held byte is
    // followed by a free one (or `end`).
    std::uint64_t run_end(std::uint64_t held, std::uint64_t end)
    {
        if (held >= end || !lock_conflicts(held, 1, LockMode::Exclusive)) return held;
        std::uint64_t free = end;
        for (std::uint64_t step = 1; end - held > step; step *= 2) {
            if (!lock_conflicts(held + step, 1, LockMode::Exclusive)) {
                free = held + step;
                break;
            }
            held += step;
        }
        while (free - held > 1) {
            const std::uint64_t mid = held + (free - held) / 2;
            if (lock_conflicts(mid, 1, LockMode::Exclusive))
                held = mid;
            else
                free = mid;
        }
        return free;
    }

    bool move_to(std::uint64_t offset)
    {
        LARGE_INTEGER to{};
        to.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) != 0;
    }

    static OVERLAPPED at_offset(std::uint64_t pos)
    {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(pos & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(pos >> 32);
        return at;
    }

    HANDLE handle_;
    bool writable_;
    mutable std::mutex position_;  // and id_
    mutable FileId id_;
};

// Opens an existing ordinary file with the given sharing, for reading and
// writing or, where it may not be written, for reading only. Invalid when
// the file is open elsewhere in a way the sharing excludes; the other
// failures are thrown.
HANDLE open_database(const std::string& path, DWORD share, bool& writable)
{
    const std::wstring wide = widen(path);
    writable = true;
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        writable = false;
        h = CreateFileW(wide.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        if (err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION) return INVALID_HANDLE_VALUE;
        if (err == ERROR_PIPE_BUSY || err == ERROR_PIPE_NOT_CONNECTED || err == ERROR_BAD_PIPE)
            throw unrecognized_format(path);
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND || err == ERROR_INVALID_NAME)
            throw file_not_found(path);
        // A folder cannot be opened as a file at all.
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            throw unrecognized_format(path);
        throw cannot_open_file(path);
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        throw unrecognized_format(path);
    }
    return h;
}

}  // namespace

std::unique_ptr<File> File::open_or_create(const std::string& path)
{
    const std::wstring wide = widen(path);
    // Shared for deletion too: the last user deletes the lock file while
    // another may be reading an entry of it.
    // A name that is a link leads to another file than the name itself: it
    // is opened as the link (and a link to nothing creates nothing), and
    // refused.
    const auto open = [&](DWORD flags) {
        return CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    };
    const auto refused = [](HANDLE h) {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        return nullptr;
    };
    HANDLE h = open(FILE_FLAG_OPEN_REPARSE_POINT);
    if (h == INVALID_HANDLE_VALUE || GetFileType(h) != FILE_TYPE_DISK) return refused(h);
    const Reparse kind = reparse_of(h);
    if (kind == Reparse::Link) return refused(h);
    if (kind == Reparse::Other) {
        CloseHandle(h);
        h = open(0);
        if (h == INVALID_HANDLE_VALUE || GetFileType(h) != FILE_TYPE_DISK) return refused(h);
    }
    return std::make_unique<Win32File>(h, true);
}

std::unique_ptr<File> File::open_to_inspect(const std::string& path)
{
    HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return nullptr;
    }
    return std::make_unique<Win32File>(h, false);
}

std::unique_ptr<File> File::create_new(const std::string& path, bool& exists)
{
    exists = false;
    HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        exists = err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS;
        return nullptr;
    }
    return std::make_unique<Win32File>(h, true);
}

bool File::rename_new(const std::string& from, const std::string& to, bool& exists)
{
    exists = false;
    if (MoveFileExW(widen(from).c_str(), widen(to).c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD err = GetLastError();
    exists = err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS;
    return false;
}

bool File::exists(const std::string& path) { return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool File::remove(const std::string& path) { return DeleteFileW(widen(path).c_str()) != 0; }

std::string File::real_path(const std::string& path)
{
    HANDLE h = CreateFileW(widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return path;
    std::wstring name(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h, name.data(), static_cast<DWORD>(name.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(h);
    if (n == 0 || n >= name.size()) return path;
    name.resize(n);
    // "\\?\C:\..." for a drive, "\\?\UNC\server\share\..." for a share.
    if (name.rfind(L"\\\\?\\UNC\\", 0) == 0)
        name = L"\\\\" + name.substr(8);
    else if (name.rfind(L"\\\\?\\", 0) == 0)
        name = name.substr(4);
    return narrow(name.data(), static_cast<int>(name.size()));
}

FileId File::id_of(const std::string& path)
{
    HANDLE h = CreateFileW(widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    const FileId id = id_of_handle(h);
    CloseHandle(h);
    return id;
}

std::string computer_name()
{
    // The name the running system goes by changes only when it restarts:
    // asked once (it is read from the registry, under Wine three round
    // trips to its server, on every open of a database).
    static std::mutex lock;
    static std::string known;
    std::lock_guard<std::mutex> hold(lock);
    if (known.empty()) {
        wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
        DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
        if (!GetComputerNameW(name, &size)) return {};
        known = narrow(name, static_cast<int>(size));
    }
    return known;
}

std::uint64_t coarse_milliseconds() { return GetTickCount64(); }

std::unique_ptr<File> File::open(const std::string& path)
{
    bool writable = true;
    const HANDLE h = open_database(path, FILE_SHARE_READ | FILE_SHARE_WRITE, writable);
    if (h == INVALID_HANDLE_VALUE) throw cannot_open_file(path);
    return std::make_unique<Win32File>(h, writable);
}

std::unique_ptr<File> File::open_exclusive(const std::string& path)
{
    bool writable = true;
    const HANDLE h = open_database(path, 0, writable);
    if (h == INVALID_HANDLE_VALUE) throw file_in_use(path);
    return std::make_unique<Win32File>(h, writable);
}

}  // namespace jet
