// Locking between the processes that use one database file.
//
// Operating-system byte-range locks on the database file, all of them far
// beyond the end of the data (a Jet file is at most 2 GiB long), so that the
// data itself stays readable by programs that take no locks, even where locks
// are mandatory (Windows):
//
//   4 GiB + s          user slot s (0..254), held exclusively for as long as
//                      that user has the database open; the slot is also the
//                      user's entry in the lock file (see lock_file.h)
//   4 GiB + 256        page allocation: appending pages, changing usage maps
//   8 GiB + 256·p + k  page p. A writer in slot s holds bytes s..255 of its
//                      block exclusively; a reader holds byte 255 shared. Any
//                      two writers overlap at byte 255, and so do a writer and
//                      a reader, while readers share it. The first locked byte
//                      of the block names the writer's slot.
//
// A lock held by someone else is retried for a bounded time (two seconds by
// default), then refused with "Could not update; currently locked by user
// 'Admin' on machine 'NAME'." Nothing ever waits without bound.
#pragma once

#include "jet/error.h"
#include "jet/file.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace jet {

inline constexpr std::uint64_t kLockRegion = 0x100000000ull;
inline constexpr std::uint64_t kUserLocks = kLockRegion;
inline constexpr std::uint64_t kAllocationLock = kLockRegion + 0x100;
inline constexpr std::uint64_t kPageLocks = 2 * kLockRegion;
inline constexpr std::uint64_t kPageLockSize = 0x100;
inline constexpr unsigned kMaxUsers = 255;

inline constexpr std::chrono::milliseconds kDefaultLockTimeout{2000};

class LockManager {
public:
    // Registers this open of the database: takes a free user slot and writes
    // its entry into the lock file. A file open for reading only takes no
    // slot. Throws "Could not use '...'; file already in use." when all 255
    // slots stay taken.
    LockManager(File& file, std::string database_path);
    // Gives the slot back; the last user to close deletes the lock file.
    ~LockManager();
    LockManager(const LockManager&) = delete;
    LockManager& operator=(const LockManager&) = delete;

    // This user's slot, or -1 for a database open for reading only.
    int user_slot() const { return slot_; }
    const std::string& lock_file_path() const { return lock_file_; }

    void set_timeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
    std::chrono::milliseconds timeout() const { return timeout_; }

    // Takes a page's lock, retrying up to the timeout; then throws the
    // "currently locked" error naming the holder.
    void lock_page(std::uint32_t page, LockMode mode);
    // Takes a page's write lock if it is free now.
    bool try_lock_page(std::uint32_t page);
    void unlock_page(std::uint32_t page, LockMode mode);

    void lock_allocation();
    void unlock_allocation();

private:
    bool try_page(std::uint32_t page, LockMode mode);
    template <class TryOnce> bool retry(TryOnce&& once);
    void take_slot(const std::string& database_path);
    void give_back_slot();
    Error locked_error(std::uint32_t page, bool writing);
    int writer_slot(std::uint32_t page);
    int other_connected_slot();

    File& file_;
    std::string lock_file_;
    int slot_ = -1;
    bool registered_ = false;  // this user's entry is in the lock file
    std::chrono::milliseconds timeout_ = kDefaultLockTimeout;
};

}  // namespace jet
