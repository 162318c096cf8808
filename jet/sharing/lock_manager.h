// Locking between the programs that use one database file, as Jet does it:
// every lock lies in the lock file beside the database (`name.ldb`, see
// lock_file.h), far beyond its end, and no byte of the database's contents
// is ever locked. User u (1..255) takes these, all offsets in the lock file:
//
//   0x10000000 + u                   its user lock, exclusive, while the
//                                    database is open; its entry in the lock
//                                    file is at 64·(u − 1)
//   0x20000000 + 512·p + 1 ...       the write lock of page p, exclusive: the
//   0x20000000 + 512·p + 256 + u     first 256 bytes cover every user's read
//                                    byte of the page, the length past them
//                                    names the holder
//   0x20000000 + 512·p + u           a read lock of page p, shared (Jet takes
//                                    it on long-value and index pages; the
//                                    engine's readers take none)
//   0x40000000 + 512·t + u           table-read, shared, while a cursor on
//                                    the table whose definition is page t is
//                                    open
//   0x50000000 + 512·t + u           table-write, shared, while a dynaset on
//                                    that table is open
//
// Besides, every user who writes holds one byte of the database file itself,
// shared, far beyond any data (kNameMarkBase + a number taken from the lock
// file's file index): a user who finds another's byte there reaches the
// database through another lock file (a hard link under another name) and
// would not see that one's locks.
//
// The user regions, the write and read locks' bounds and the table regions
// are those documented for Jet 3; the byte formulas within a page's 512 are
// inferred from the documented decoding (page = (offset − base) / 512, the
// user is the low byte of the lock's last offset). Jet 4 files use the same
// layout (inferred).
//
// A lock held by someone else is retried for a bounded time (two seconds by
// default), then refused with "Could not update; currently locked by user
// 'Admin' on machine 'NAME'." Nothing ever waits without bound.
#pragma once

#include "jet/base/error.h"
#include "jet/base/file.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace jet {

// Write rule 9: Jet's lock layout, every lock in the .ldb.
inline constexpr std::uint64_t kUserLockBase = 0x10000000u;
inline constexpr std::uint64_t kPageLockBase = 0x20000000u;
inline constexpr std::uint64_t kTableReadBase = 0x40000000u;
inline constexpr std::uint64_t kTableWriteBase = 0x50000000u;
inline constexpr std::uint64_t kDenyWriteBase = 0x60000000u;  // Jet's; the engine takes none
inline constexpr std::uint64_t kLockBlock = 512;   // lock bytes per page
inline constexpr std::uint64_t kLockShared = 256;  // the block's bytes an exclusive lock always covers
inline constexpr unsigned kMaxUsers = 255;
inline constexpr std::uint64_t kNameMarkBase = std::uint64_t{0x41} << 56;
inline constexpr std::uint64_t kNameMarks = 0x10000;

inline constexpr std::chrono::milliseconds kDefaultLockTimeout{2000};

enum class TableLockKind : std::uint8_t { Read, Write };

class LockManager {
public:
    // Registers this open of the database: takes the first free user number
    // in the lock file beside it and writes the user's entry. The lock file
    // is named after the database's real path (links resolved), so that
    // every name of one file finds one lock file. A database open for
    // reading only takes no user and locks nothing. Throws "Could not use
    // '...'; file already in use." when all 255 users stay taken.
    //
    // Where the lock file cannot be used (it cannot be created or written,
    // is no ordinary file, is a symbolic link, is the database itself) or
    // another user reaches the database through another lock file, this
    // user could not take part in the locking: it takes none, and the
    // database must not be written (refused()).
    LockManager(File& database, std::string database_path);
    // Gives the user back; the last user to close deletes the lock file.
    ~LockManager();
    LockManager(const LockManager&) = delete;
    LockManager& operator=(const LockManager&) = delete;

    // True when the database could be written but this user cannot lock it:
    // it may only be read.
    bool refused() const { return refused_; }

    // This user's number (1..255), or 0 when it holds none.
    unsigned user() const { return user_; }
    const std::string& lock_file_path() const { return lock_file_; }

    void set_timeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
    std::chrono::milliseconds timeout() const { return timeout_; }

    // Takes a page's lock (Exclusive: the write lock; Shared: a read lock),
    // retrying up to the timeout; then throws the "currently locked" error
    // naming the holder.
    void lock_page(std::uint32_t page, LockMode mode);
    // Takes a page's write lock if it is free now.
    bool try_lock_page(std::uint32_t page);
    void unlock_page(std::uint32_t page, LockMode mode);

    // The table-read or table-write lock on a table's definition page.
    void lock_table(std::uint32_t definition_page, TableLockKind kind);
    void unlock_table(std::uint32_t definition_page, TableLockKind kind);

    // Whether another user has the database open now.
    bool others_present();

    // Lock calls made to the system (taking, testing and giving back), for
    // measuring the traffic.
    std::uint64_t lock_calls() const { return calls_; }

private:
    bool locking() const { return ldb_ != nullptr; }
    bool try_page(std::uint32_t page, LockMode mode);
    bool try_lock(std::uint64_t offset, std::uint64_t length, LockMode mode);
    void unlock(std::uint64_t offset, std::uint64_t length);
    bool conflicts(std::uint64_t offset, std::uint64_t length, LockMode mode);
    template <class TryOnce> bool retry(TryOnce&& once);
    void take_user(File& database, const std::string& database_path);
    bool mark(File& database);
    void refuse();
    void give_back_user();
    Error locked_error(std::uint32_t page, bool writing);
    unsigned writer_of(std::uint32_t page);
    unsigned other_user();

    std::string lock_file_;
    std::unique_ptr<File> ldb_;
    File* database_ = nullptr;  // while this user holds its name mark there
    std::uint64_t mark_ = 0;
    bool refused_ = false;
    unsigned user_ = 0;
    std::chrono::milliseconds timeout_ = kDefaultLockTimeout;
    std::uint64_t calls_ = 0;
};

// Holds a table lock while it lives (a cursor's).
class TableLock {
public:
    TableLock() = default;
    TableLock(std::shared_ptr<LockManager> locks, std::uint32_t definition_page, TableLockKind kind);
    ~TableLock() { release(); }
    TableLock(TableLock&& other) noexcept { *this = std::move(other); }
    TableLock& operator=(TableLock&& other) noexcept;
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;
    void release();

private:
    std::weak_ptr<LockManager> locks_;
    std::uint32_t page_ = 0;
    TableLockKind kind_ = TableLockKind::Read;
    bool held_ = false;
};

}  // namespace jet
