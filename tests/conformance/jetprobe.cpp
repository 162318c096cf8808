// jetprobe: takes the locks of a shared Jet database on its lock file
// (NAME.ldb beside NAME.mdb) the way a Jet 3 program does, so that tests can
// set it beside our own programs. It shares no code with the engine.
//
//   jetprobe range KIND PAGE USER
//       Prints the lock-file range (0xFIRST-0xLAST, inclusive) of a lock.
//       KIND: user (PAGE is ignored), write (exclusive), read, table-read,
//       table-write, deny-write (one shared byte each).
//   jetprobe page DB TABLE
//       Prints "TDEF FIRST": the table's definition page and the page of its
//       first record, read from the database file.
//   jetprobe hold DB COMPUTER [--page P]... [--seconds S] [--stop FILE] [--ready FILE]
//       Joins as the first free user, takes the write lock of every page P
//       and keeps them for S seconds (default 60) or until FILE --stop
//       exists. --ready FILE is written (the user number) once all is held.
//   jetprobe try DB COMPUTER PAGE [--timeout MS]
//       Joins, asks once for the write lock of PAGE (with --timeout, again
//       every 100 ms until MS have passed) and leaves. Exit status 0: got it.
//   jetprobe who DB
//       One line per user slot that is taken or has an entry:
//       SLOT<TAB>held|free<TAB>COMPUTER<TAB>USER.
//   jetprobe held DB KIND PAGE USER
//       Prints free, shared or exclusive for the range of that lock as held
//       by others. Exit status 0 when held.
//   jetprobe name
//       Prints this computer's name.
// Exit status 2: wrong arguments; 3: the files could not be used.
#ifdef _WIN32
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using u64 = std::uint64_t;
using Clock = std::chrono::steady_clock;

// ---- lock offsets ----------------------------------------------------------

constexpr u64 kUserBase = 0x10000000;
constexpr int kMaxUsers = 255;
constexpr u64 kEntrySize = 64;

struct Range {
    u64 first, last;  // inclusive
    u64 length() const { return last - first + 1; }
};

Range user_lock(int u) { return {kUserBase + u, kUserBase + u}; }
Range shared_lock(u64 base, u64 page, int u) { return {base + 512 * page + u, base + 512 * page + u}; }
Range exclusive_lock(u64 base, u64 page, int u) { return {base + 512 * page + 1, base + 512 * page + 256 + u}; }
Range write_lock(u64 page, int u) { return exclusive_lock(0x20000000, page, u); }

bool kind_range(const std::string& kind, u64 page, int u, Range& r)
{
    if (kind == "user") r = user_lock(u);
    else if (kind == "write") r = write_lock(page, u);
    else if (kind == "read") r = shared_lock(0x20000000, page, u);
    else if (kind == "table-read") r = shared_lock(0x40000000, page, u);
    else if (kind == "table-write") r = shared_lock(0x50000000, page, u);
    else if (kind == "deny-write") r = shared_lock(0x60000000, page, u);
    else return false;
    return true;
}

// ---- the lock file ---------------------------------------------------------

enum class Held { Free, Shared, Exclusive };

class LockFile {
public:
    LockFile() = default;
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;
    ~LockFile() { close(); }

#ifdef _WIN32
    bool open(const std::string& path, bool create)
    {
        h_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return h_ != INVALID_HANDLE_VALUE;
    }
    void close()
    {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }
    bool lock(Range r, bool exclusive)
    {
        OVERLAPPED ov = at(r.first);
        const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
        return LockFileEx(h_, flags, 0, low(r.length()), high(r.length()), &ov) != 0;
    }
    void unlock(Range r)
    {
        OVERLAPPED ov = at(r.first);
        UnlockFileEx(h_, 0, low(r.length()), high(r.length()), &ov);
    }
    // Windows cannot ask who holds a range: try an exclusive, then a shared
    // lock of it, and give back what was got.
    Held test(Range r)
    {
        for (bool exclusive : {true, false}) {
            if (lock(r, exclusive)) {
                unlock(r);
                return exclusive ? Held::Free : Held::Shared;
            }
        }
        return Held::Exclusive;
    }
    bool write(u64 offset, const char* data, std::size_t n)
    {
        OVERLAPPED ov = at(offset);
        DWORD done = 0;
        return WriteFile(h_, data, static_cast<DWORD>(n), &done, &ov) && done == n;
    }
    std::string read_all()
    {
        std::string s(kEntrySize * kMaxUsers, '\0');
        OVERLAPPED ov = at(0);
        DWORD done = 0;
        if (!ReadFile(h_, s.data(), static_cast<DWORD>(s.size()), &done, &ov)) done = 0;
        s.resize(done);
        return s;
    }
    static bool remove(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

private:
    static DWORD low(u64 v) { return static_cast<DWORD>(v & 0xFFFFFFFFu); }
    static DWORD high(u64 v) { return static_cast<DWORD>(v >> 32); }
    static OVERLAPPED at(u64 offset)
    {
        OVERLAPPED ov{};
        ov.Offset = low(offset);
        ov.OffsetHigh = high(offset);
        return ov;
    }
    HANDLE h_ = INVALID_HANDLE_VALUE;
#else
    bool open(const std::string& path, bool create)
    {
        fd_ = ::open(path.c_str(), O_RDWR | (create ? O_CREAT : 0), 0666);
        return fd_ >= 0;
    }
    void close()
    {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    // Locks of the open file description: two opens in one process conflict
    // as two programs do, and closing one open drops only its own locks.
    bool lock(Range r, bool exclusive) { return set(r, exclusive ? F_WRLCK : F_RDLCK); }
    void unlock(Range r) { set(r, F_UNLCK); }
    Held test(Range r)
    {
        struct flock fl = request(r, F_WRLCK);
        if (fcntl(fd_, F_OFD_GETLK, &fl) != 0 || fl.l_type == F_UNLCK) return Held::Free;
        return fl.l_type == F_RDLCK ? Held::Shared : Held::Exclusive;
    }
    bool write(u64 offset, const char* data, std::size_t n)
    {
        return pwrite(fd_, data, n, static_cast<off_t>(offset)) == static_cast<ssize_t>(n);
    }
    std::string read_all()
    {
        std::string s(kEntrySize * kMaxUsers, '\0');
        const ssize_t done = pread(fd_, s.data(), s.size(), 0);
        s.resize(done > 0 ? static_cast<std::size_t>(done) : 0);
        return s;
    }
    static bool remove(const std::string& path) { return unlink(path.c_str()) == 0; }

private:
    static struct flock request(Range r, short type)
    {
        struct flock fl{};
        fl.l_type = type;
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(r.first);
        fl.l_len = static_cast<off_t>(r.length());
        return fl;
    }
    bool set(Range r, short type)
    {
        struct flock fl = request(r, type);
        return fcntl(fd_, F_OFD_SETLK, &fl) == 0;
    }
    int fd_ = -1;
#endif
};

std::string computer_name()
{
#ifdef _WIN32
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD n = sizeof name;
    return GetComputerNameA(name, &n) ? std::string(name, n) : std::string();
#else
    char name[256] = {};
    return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
#endif
}

// NAME.mdb -> NAME.ldb (a dot in a folder name is not an extension).
std::string lock_file_of(const std::string& db)
{
    const std::size_t slash = db.find_last_of("/\\");
    const std::size_t dot = db.rfind('.');
    const bool has_ext = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (has_ext ? db.substr(0, dot) : db) + ".ldb";
}

// ---- a Jet user ------------------------------------------------------------

class User {
public:
    explicit User(std::string db) : path_(lock_file_of(db)) {}
    ~User() { leave(); }

    // The first free user number from 1; its entry is the computer's name and
    // the account "Admin", each in 32 NUL-padded bytes.
    bool join(const std::string& computer)
    {
        if (!file_.open(path_, true)) return false;
        for (int u = 1; u <= kMaxUsers; ++u) {
            if (!file_.lock(user_lock(u), true)) continue;
            char entry[kEntrySize] = {};
            std::memcpy(entry, computer.data(), std::min<std::size_t>(computer.size(), 32));
            std::memcpy(entry + 32, "Admin", 5);
            slot_ = u;
            return file_.write(kEntrySize * (u - 1), entry, sizeof entry);
        }
        return false;
    }
    int slot() const { return slot_; }
    bool lock_page(u64 page)
    {
        if (!file_.lock(write_lock(page, slot_), true)) return false;
        pages_.push_back(page);
        return true;
    }
    // Gives every lock back; the last user deletes the lock file.
    void leave()
    {
        if (slot_ == 0) return;
        for (u64 p : pages_) file_.unlock(write_lock(p, slot_));
        file_.unlock(user_lock(slot_));
        slot_ = 0;
        pages_.clear();
        const bool last = file_.test({user_lock(1).first, user_lock(kMaxUsers).last}) == Held::Free;
        file_.close();
        if (last) LockFile::remove(path_);
    }

private:
    std::string path_;
    LockFile file_;
    int slot_ = 0;
    std::vector<u64> pages_;
};

// ---- finding a table's pages in the database file --------------------------

struct Layout {
    u64 page_size;
    std::size_t cols_at, real_idx_at, var_at, idx_stats, desc_size;
    std::size_t d_number, d_slot, d_flags, d_fixed, rows_at, fixed_start;
    bool jet4;
};
constexpr Layout kJet3{2048, 25, 31, 43, 8, 18, 1, 3, 13, 14, 8, 1, false};
constexpr Layout kJet4{4096, 45, 51, 63, 12, 25, 5, 7, 15, 21, 12, 2, true};

unsigned get(const std::string& b, std::size_t at, int n)
{
    unsigned v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | (at + i < b.size() ? static_cast<unsigned char>(b[at + i]) : 0u);
    return v;
}

class Mdb {
public:
    bool open(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        data_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (data_.size() < 2048) return false;
        l_ = data_[0x14] == 0 ? kJet3 : kJet4;
        return true;
    }
    u64 pages() const { return data_.size() / l_.page_size; }
    std::string page(u64 p) const { return data_.substr(p * l_.page_size, l_.page_size); }

    // Live rows of a data page owned by TDEF, overflowed rows read where their
    // header points.
    std::vector<std::string> rows(u64 p, unsigned tdef) const
    {
        std::vector<std::string> out;
        const std::string pg = page(p);
        if (pg[0] != 1 || get(pg, 4, 4) != tdef) return out;
        const unsigned n = get(pg, l_.rows_at, 2);
        for (unsigned i = 0; i < n; ++i) {
            const unsigned e = get(pg, l_.rows_at + 2 + 2 * i, 2);
            if (e & 0x8000) continue;  // deleted, or reached only through a header
            std::string row = slot(pg, i);
            if (e & 0x4000) {
                const unsigned ptr = get(row, 0, 4);
                if ((ptr >> 8) >= pages()) continue;
                row = slot(page(ptr >> 8), ptr & 0xFF);
            }
            out.push_back(row);
        }
        return out;
    }

    // The definition page of TABLE, from the catalogue's Id and Name fields.
    unsigned table_page(const std::string& table) const
    {
        std::string def = page(2);
        for (unsigned next = get(def, 4, 4); next != 0 && next < pages(); next = get(page(next), 4, 4))
            def += page(next).substr(8);
        const std::size_t ncols = get(def, l_.cols_at, 2);
        std::size_t at = l_.var_at + l_.idx_stats * get(def, l_.real_idx_at, 4);
        std::size_t names = at + ncols * l_.desc_size;
        int id_fixed = -1, name_slot = -1;
        for (std::size_t c = 0; c < ncols; ++c, at += l_.desc_size) {
            if (names + 2 > def.size()) return 0;
            const std::size_t len = l_.jet4 ? get(def, names, 2) : get(def, names, 1);
            std::string name = def.substr(names + (l_.jet4 ? 2 : 1), len);
            names += (l_.jet4 ? 2 : 1) + len;
            if (l_.jet4) name = narrow(name, false);
            if (name == "Id") id_fixed = static_cast<int>(get(def, at + l_.d_fixed, 2));
            if (name == "Name") name_slot = static_cast<int>(get(def, at + l_.d_slot, 2));
        }
        if (id_fixed < 0 || name_slot < 0) return 0;
        for (u64 p = 3; p < pages(); ++p)
            for (const std::string& r : rows(p, 2))
                if (same_name(var_field(r, name_slot), table))
                    return get(r, l_.fixed_start + id_fixed, 4);
        return 0;
    }

private:
    std::string slot(const std::string& pg, unsigned i) const
    {
        const unsigned start = get(pg, l_.rows_at + 2 + 2 * i, 2) & 0x1FFF;
        const unsigned end = i == 0 ? static_cast<unsigned>(l_.page_size)
                                    : get(pg, l_.rows_at + 2 * i, 2) & 0x1FFF;
        return start < end ? pg.substr(start, end - start) : std::string();
    }
    std::string var_field(const std::string& r, int k) const
    {
        const std::size_t len = r.size();
        const std::size_t nc = l_.jet4 ? get(r, 0, 2) : get(r, 0, 1);
        const std::size_t nm = (nc + 7) / 8;
        if (len < nm + 4) return {};
        std::size_t from = 0, to = 0;
        if (l_.jet4) {
            const std::size_t nvar = get(r, len - nm - 2, 2);
            if (static_cast<std::size_t>(k) >= nvar) return {};
            from = get(r, len - nm - 4 - 2 * k, 2);
            to = get(r, len - nm - 6 - 2 * k, 2);
        } else {
            // One-byte offsets; the jump bytes say where they pass 256.
            const std::size_t nvar = get(r, len - nm - 1, 1);
            if (static_cast<std::size_t>(k) >= nvar) return {};
            const std::size_t jumps = (len - 1) / 256;
            if (len < nm + 2 + jumps + nvar + 1) return {};
            const std::size_t base = len - nm - 2 - jumps;
            const std::size_t real = (base - nvar) / 256 < jumps ? jumps - 1 : jumps;
            std::size_t used = 0;
            for (std::size_t s = 0; s <= static_cast<std::size_t>(k) + 1; ++s) {
                while (used < real && get(r, len - nm - 2 - used, 1) == s) ++used;
                const std::size_t off = get(r, base - s, 1) + 256 * used;
                if (s == static_cast<std::size_t>(k)) from = off;
                else if (s == static_cast<std::size_t>(k) + 1) to = off;
            }
        }
        return from <= to && to <= len ? r.substr(from, to - from) : std::string();
    }
    // Jet 4 text is UCS-2, or one byte a character after FF FE.
    static std::string narrow(const std::string& s, bool may_compress)
    {
        std::string out;
        if (may_compress && s.size() >= 2 && s.compare(0, 2, "\xFF\xFE") == 0) {
            bool compressed = true;
            for (std::size_t i = 2; i < s.size();) {
                if (s[i] == '\0') compressed = !compressed, ++i;
                else if (compressed) out += s[i++];
                else out += s[i], i += 2;
            }
            return out;
        }
        for (std::size_t i = 0; i + 1 < s.size(); i += 2) out += s[i];
        return out;
    }
    bool same_name(const std::string& stored, const std::string& table) const
    {
        const std::string name = l_.jet4 ? narrow(stored, true) : stored;
        if (name.size() != table.size()) return false;
        for (std::size_t i = 0; i < name.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(name[i])) != std::tolower(static_cast<unsigned char>(table[i])))
                return false;
        return true;
    }

    std::string data_;
    Layout l_ = kJet4;
};

// ---- commands --------------------------------------------------------------

int usage()
{
    std::fputs("usage: jetprobe range KIND PAGE USER\n"
               "       jetprobe page DB TABLE\n"
               "       jetprobe hold DB COMPUTER [--page P]... [--seconds S] [--stop FILE] [--ready FILE]\n"
               "       jetprobe try DB COMPUTER PAGE [--timeout MS]\n"
               "       jetprobe who DB\n"
               "       jetprobe held DB KIND PAGE USER\n"
               "       jetprobe name\n",
               stderr);
    return 2;
}

bool exists(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f) std::fclose(f);
    return f != nullptr;
}

int hold(const std::vector<std::string>& a)
{
    std::vector<u64> pages;
    double seconds = 60;
    std::string stop, ready;
    for (std::size_t i = 2; i + 1 < a.size(); i += 2) {
        if (a[i] == "--page") pages.push_back(std::strtoull(a[i + 1].c_str(), nullptr, 10));
        else if (a[i] == "--seconds") seconds = std::atof(a[i + 1].c_str());
        else if (a[i] == "--stop") stop = a[i + 1];
        else if (a[i] == "--ready") ready = a[i + 1];
        else return usage();
    }
    if (a.size() % 2 != 0) return usage();
    User user(a[0]);
    if (!user.join(a[1])) return std::fputs("jetprobe: could not join\n", stderr), 3;
    for (u64 p : pages)
        if (!user.lock_page(p)) return std::fprintf(stderr, "jetprobe: page %llu is locked\n", static_cast<unsigned long long>(p)), 1;
    if (!ready.empty()) {
        std::ofstream(ready) << user.slot() << '\n';
    }
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end && (stop.empty() || !exists(stop)))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return 0;
}

int try_page(const std::vector<std::string>& a)
{
    long timeout = 0;
    if (a.size() == 5 && a[3] == "--timeout") timeout = std::atol(a[4].c_str());
    else if (a.size() != 3) return usage();
    const u64 page = std::strtoull(a[2].c_str(), nullptr, 10);
    User user(a[0]);
    if (!user.join(a[1])) return std::fputs("jetprobe: could not join\n", stderr), 3;
    const auto end = Clock::now() + std::chrono::milliseconds(timeout);
    for (;;) {
        if (user.lock_page(page)) return std::printf("user %d locked page %s\n", user.slot(), a[2].c_str()), 0;
        if (Clock::now() >= end) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::printf("user %d refused page %s\n", user.slot(), a[2].c_str());
    return 1;
}

std::string field(const std::string& entries, std::size_t at)
{
    std::string s = at < entries.size() ? entries.substr(at, 32) : std::string();
    return s.substr(0, s.find('\0'));
}

int who(const std::string& db)
{
    LockFile f;
    if (!f.open(lock_file_of(db), false)) return std::fputs("jetprobe: no lock file\n", stderr), 1;
    const std::string entries = f.read_all();
    for (int u = 1; u <= kMaxUsers; ++u) {
        const std::size_t at = kEntrySize * (u - 1);
        const bool held = f.test(user_lock(u)) != Held::Free;
        if (!held && at >= entries.size()) continue;
        std::printf("%d\t%s\t%s\t%s\n", u, held ? "held" : "free", field(entries, at).c_str(),
                    field(entries, at + 32).c_str());
    }
    return 0;
}

int held(const std::vector<std::string>& a)
{
    Range r{};
    if (!kind_range(a[1], std::strtoull(a[2].c_str(), nullptr, 10), std::atoi(a[3].c_str()), r)) return usage();
    LockFile f;
    const Held h = f.open(lock_file_of(a[0]), false) ? f.test(r) : Held::Free;
    std::puts(h == Held::Free ? "free" : h == Held::Shared ? "shared" : "exclusive");
    return h == Held::Free ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return usage();
    const std::string command = argv[1];
    const std::vector<std::string> a(argv + 2, argv + argc);
    if (command == "range" && a.size() == 3) {
        Range r{};
        if (!kind_range(a[0], std::strtoull(a[1].c_str(), nullptr, 10), std::atoi(a[2].c_str()), r)) return usage();
        std::printf("0x%08llX-0x%08llX\n", static_cast<unsigned long long>(r.first),
                    static_cast<unsigned long long>(r.last));
        return 0;
    }
    if (command == "page" && a.size() == 2) {
        Mdb mdb;
        if (!mdb.open(a[0])) return std::fputs("jetprobe: not a database\n", stderr), 3;
        const unsigned tdef = mdb.table_page(a[1]);
        if (tdef == 0) return std::fputs("jetprobe: no such table\n", stderr), 1;
        for (u64 p = 1; p < mdb.pages(); ++p)
            if (!mdb.rows(p, tdef).empty()) return std::printf("%u %llu\n", tdef, static_cast<unsigned long long>(p)), 0;
        return std::fputs("jetprobe: the table has no records\n", stderr), 1;
    }
    if (command == "hold" && a.size() >= 2) return hold(a);
    if (command == "try" && a.size() >= 3) return try_page(a);
    if (command == "who" && a.size() == 1) return who(a[0]);
    if (command == "held" && a.size() == 4) return held(a);
    if (command == "name" && a.empty()) return std::puts(computer_name().c_str()), 0;
    return usage();
}
