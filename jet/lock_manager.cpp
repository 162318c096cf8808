#include "jet/lock_manager.h"

#include "jet/lock_file.h"

#include <algorithm>
#include <thread>

namespace jet {

namespace {

std::uint64_t page_block(std::uint32_t page) { return kPageLocks + std::uint64_t{page} * kPageLockSize; }

}  // namespace

LockManager::LockManager(File& file, std::string database_path)
    : file_(file), lock_file_(lock_file::path_for(database_path))
{
    if (file_.lockable() && file_.writable()) take_slot(database_path);
}

LockManager::~LockManager() { give_back_slot(); }

// Tries `once` until it succeeds or the timeout has passed: at once, then a
// few times yielding the processor, then with pauses that grow to 50 ms.
template <class TryOnce> bool LockManager::retry(TryOnce&& once)
{
    if (once()) return true;
    const auto deadline = std::chrono::steady_clock::now() + timeout_;
    auto pause = std::chrono::microseconds(0);
    for (int attempt = 0;; ++attempt) {
        if (attempt < 4)
            std::this_thread::yield();
        else
            std::this_thread::sleep_for(pause);
        if (once()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        if (attempt >= 4) pause = std::min<std::chrono::microseconds>(std::max(pause * 2, std::chrono::microseconds(500)),
                                                                      std::chrono::milliseconds(50));
    }
}

void LockManager::take_slot(const std::string& database_path)
{
    // A user who is closing holds every other slot for a moment while it
    // decides whether it is the last one: wait that out.
    const bool got = retry([&] {
        for (unsigned s = 0; s < kMaxUsers; ++s) {
            if (file_.try_lock(kUserLocks + s, 1, LockMode::Exclusive)) {
                slot_ = static_cast<int>(s);
                return true;
            }
        }
        return false;
    });
    if (!got) throw Error(kFileInUse, "Could not use '" + database_path + "'; file already in use.");
    // Without a lock file (a folder that may not be written) the database is
    // still used, as it would be by a single user.
    registered_ =
        lock_file::write_entry(lock_file_, static_cast<unsigned>(slot_), computer_name(), lock_file::kUserName);
}

void LockManager::give_back_slot()
{
    if (slot_ < 0) return;
    const auto s = static_cast<std::uint64_t>(slot_);
    // The last user is the one who can lock every other slot.
    const std::uint64_t after = s + 1;
    const bool below = s == 0 || file_.try_lock(kUserLocks, s, LockMode::Exclusive);
    const bool above =
        below && (after >= kMaxUsers || file_.try_lock(kUserLocks + after, kMaxUsers - after, LockMode::Exclusive));
    if (below && above && registered_) File::remove(lock_file_);
    if (above && after < kMaxUsers) file_.unlock(kUserLocks + after, kMaxUsers - after);
    if (below && s > 0) file_.unlock(kUserLocks, s);
    file_.unlock(kUserLocks + s, 1);
    slot_ = -1;
}

bool LockManager::try_page(std::uint32_t page, LockMode mode)
{
    const std::uint64_t block = page_block(page);
    if (mode == LockMode::Shared) return file_.try_lock(block + kPageLockSize - 1, 1, LockMode::Shared);
    const std::uint64_t from = slot_ < 0 ? 0 : static_cast<std::uint64_t>(slot_);
    return file_.try_lock(block + from, kPageLockSize - from, LockMode::Exclusive);
}

void LockManager::lock_page(std::uint32_t page, LockMode mode)
{
    if (!file_.lockable()) return;
    if (!retry([&] { return try_page(page, mode); })) throw locked_error(page, mode == LockMode::Exclusive);
}

bool LockManager::try_lock_page(std::uint32_t page)
{
    return !file_.lockable() || try_page(page, LockMode::Exclusive);
}

void LockManager::unlock_page(std::uint32_t page, LockMode mode)
{
    if (!file_.lockable()) return;
    const std::uint64_t block = page_block(page);
    if (mode == LockMode::Shared) {
        file_.unlock(block + kPageLockSize - 1, 1);
        return;
    }
    const std::uint64_t from = slot_ < 0 ? 0 : static_cast<std::uint64_t>(slot_);
    file_.unlock(block + from, kPageLockSize - from);
}

void LockManager::lock_allocation()
{
    if (!file_.lockable()) return;
    if (!retry([&] { return file_.try_lock(kAllocationLock, 1, LockMode::Exclusive); }))
        throw locked_error(0, true);
}

void LockManager::unlock_allocation()
{
    if (file_.lockable()) file_.unlock(kAllocationLock, 1);
}

// The slot of the writer holding a page: the first locked byte of its block.
int LockManager::writer_slot(std::uint32_t page)
{
    const std::uint64_t block = page_block(page);
    if (!file_.lock_conflicts(block, kMaxUsers, LockMode::Shared)) return -1;  // a reader, or gone
    unsigned lo = 0;
    unsigned hi = kMaxUsers - 1;  // bytes 0..hi hold a lock
    while (lo < hi) {
        const unsigned mid = (lo + hi) / 2;
        if (file_.lock_conflicts(block, mid + 1, LockMode::Shared))
            hi = mid;
        else
            lo = mid + 1;
    }
    return static_cast<int>(lo);
}

int LockManager::other_connected_slot()
{
    for (unsigned s = 0; s < kMaxUsers; ++s)
        if (static_cast<int>(s) != slot_ && file_.lock_conflicts(kUserLocks + s, 1, LockMode::Exclusive))
            return static_cast<int>(s);
    return -1;
}

Error LockManager::locked_error(std::uint32_t page, bool writing)
{
    const char* verb = writing ? "update" : "read";
    int holder = page != 0 ? writer_slot(page) : -1;
    if (holder < 0 || holder == slot_) holder = other_connected_slot();
    lock_file::Entry who;
    if (holder >= 0 && lock_file::read_entry(lock_file_, static_cast<unsigned>(holder), who))
        return Error(kCouldNotUpdateLockedBy, std::string("Could not ") + verb + "; currently locked by user '" +
                                                  who.user + "' on machine '" + who.machine + "'.");
    return Error(kCouldNotUpdateLocked, std::string("Could not ") + verb + "; currently locked.");
}

}  // namespace jet
