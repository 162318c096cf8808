#include "jet/sharing/lock_manager.h"

#include "jet/sharing/lock_file.h"

#include <algorithm>
#include <thread>

namespace jet {

namespace {

std::uint64_t page_block(std::uint32_t page) { return kPageLockBase + std::uint64_t{page} * kLockBlock; }

std::uint64_t table_byte(std::uint32_t page, TableLockKind kind, unsigned user)
{
    const std::uint64_t base = kind == TableLockKind::Read ? kTableReadBase : kTableWriteBase;
    return base + std::uint64_t{page} * kLockBlock + user;
}

// Attempts at joining when the lock file found was being deleted by its last
// user at that moment.
constexpr int kJoinAttempts = 8;

// The byte of the name marks for a lock file, from its file index (which
// every program on the machine sees alike, where the volume's number may
// differ between them).
std::uint64_t mark_of(std::uint64_t i)
{
    return (i ^ (i >> 16) ^ (i >> 32) ^ (i >> 48)) % kNameMarks;
}

// Probes that see another's mark before it counts: on Windows a probe takes
// the range for a moment, and two probes at once see each other.
constexpr int kMarkProbes = 5;

}  // namespace

LockManager::LockManager(File& database, std::string database_path)
    : lock_file_(lock_file::path_of_file(database_path))
{
    if (database.lockable() && database.writable()) take_user(database, database_path);
}

LockManager::~LockManager() { give_back_user(); }

bool LockManager::try_lock(std::uint64_t offset, std::uint64_t length, LockMode mode)
{
    ++calls_;
    return ldb_->try_lock(offset, length, mode);
}

void LockManager::unlock(std::uint64_t offset, std::uint64_t length)
{
    ++calls_;
    ldb_->unlock(offset, length);
}

bool LockManager::conflicts(std::uint64_t offset, std::uint64_t length, LockMode mode)
{
    ++calls_;
    return ldb_->lock_conflicts(offset, length, mode);
}

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

void LockManager::refuse()
{
    ldb_.reset();
    refused_ = true;
}

void LockManager::take_user(File& database, const std::string& database_path)
{
    for (int attempt = 0; attempt < kJoinAttempts; ++attempt) {
        // Without a lock file this user could not see the others' locks, nor
        // they its own: the database is then only read.
        ldb_ = File::open_or_create(lock_file_);
        if (!ldb_ || !ldb_->lockable() || ldb_->same_file_as(database)) return refuse();
        // A user who is closing holds every other user lock for a moment
        // while it decides whether it is the last one: wait that out.
        const bool got = retry([&] {
            for (unsigned u = 1; u <= kMaxUsers; ++u)
                if (try_lock(kUserLockBase + u, 1, LockMode::Exclusive)) {
                    user_ = u;
                    return true;
                }
            return false;
        });
        if (!got) {
            ldb_.reset();
            throw file_in_use(database_path);
        }
        // The last user may have deleted this lock file while we waited for
        // it: then join the one that takes its place.
        if (!ldb_->unlinked()) {
            if (lock_file::write_entry(*ldb_, user_, computer_name(), lock_file::kUserName) && mark(database))
                return;
            give_back_user();
            return refuse();
        }
        unlock(kUserLockBase + user_, 1);
        user_ = 0;
        ldb_.reset();
        std::this_thread::yield();
    }
    throw file_in_use(database_path);
}

bool LockManager::mark(File& database)
{
    std::uint64_t index = 0;
    if (!ldb_->file_number(index)) return true;
    const std::uint64_t m = mark_of(index);
    const std::uint64_t at = kNameMarkBase + m;
    if (!retry([&] {
            ++calls_;
            return database.try_lock(at, 1, LockMode::Shared);
        }))
        return false;
    const auto others = [&] {
        calls_ += 2;
        return (m > 0 && database.lock_conflicts(kNameMarkBase, m, LockMode::Exclusive)) ||
               (m + 1 < kNameMarks && database.lock_conflicts(at + 1, kNameMarks - m - 1, LockMode::Exclusive));
    };
    for (int probe = 0; others(); ++probe) {
        if (probe + 1 == kMarkProbes) {
            ++calls_;
            database.unlock(at, 1);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    database_ = &database;
    mark_ = at;
    return true;
}

void LockManager::give_back_user()
{
    if (database_) {
        ++calls_;
        database_->unlock(mark_, 1);
        database_ = nullptr;
    }
    if (user_ == 0) return;
    const std::uint64_t u = user_;
    // The last user is the one who can lock every other user's byte.
    const bool below = u == 1 || try_lock(kUserLockBase + 1, u - 1, LockMode::Exclusive);
    const bool above = below && (u == kMaxUsers || try_lock(kUserLockBase + u + 1, kMaxUsers - u, LockMode::Exclusive));
    // Only the file this user has open: never what took its name since.
    if (below && above) ldb_->remove_if_named(lock_file_);
    if (above && u < kMaxUsers) unlock(kUserLockBase + u + 1, kMaxUsers - u);
    if (below && u > 1) unlock(kUserLockBase + 1, u - 1);
    unlock(kUserLockBase + u, 1);
    user_ = 0;
    ldb_.reset();
}

bool LockManager::others_present()
{
    if (!locking()) {
        // Open for reading only: anyone writing has a lock file here.
        try {
            return File::open(lock_file_) != nullptr;
        } catch (const Error&) {
            return false;
        }
    }
    const std::uint64_t u = user_;
    return (u > 1 && conflicts(kUserLockBase + 1, u - 1, LockMode::Exclusive)) ||
           (u < kMaxUsers && conflicts(kUserLockBase + u + 1, kMaxUsers - u, LockMode::Exclusive));
}

bool LockManager::try_page(std::uint32_t page, LockMode mode)
{
    const std::uint64_t block = page_block(page);
    if (mode == LockMode::Shared) return try_lock(block + user_, 1, LockMode::Shared);
    return try_lock(block + 1, kLockShared + user_, LockMode::Exclusive);
}

void LockManager::lock_page(std::uint32_t page, LockMode mode)
{
    if (!locking()) return;
    if (!retry([&] { return try_page(page, mode); })) throw locked_error(page, mode == LockMode::Exclusive);
}

bool LockManager::try_lock_page(std::uint32_t page) { return !locking() || try_page(page, LockMode::Exclusive); }

void LockManager::unlock_page(std::uint32_t page, LockMode mode)
{
    if (!locking()) return;
    const std::uint64_t block = page_block(page);
    if (mode == LockMode::Shared)
        unlock(block + user_, 1);
    else
        unlock(block + 1, kLockShared + user_);
}

void LockManager::lock_table(std::uint32_t definition_page, TableLockKind kind)
{
    if (!locking()) return;
    const std::uint64_t at = table_byte(definition_page, kind, user_);
    if (!retry([&] { return try_lock(at, 1, LockMode::Shared); })) throw locked_error(0, kind == TableLockKind::Write);
}

void LockManager::unlock_table(std::uint32_t definition_page, TableLockKind kind)
{
    if (locking()) unlock(table_byte(definition_page, kind, user_), 1);
}

// The user holding a page's write lock: its lock reaches from the block's
// byte 1 to byte 256 + u, so the holder is the highest u whose byte 256 + u
// is locked. 0 when nobody writes the page.
unsigned LockManager::writer_of(std::uint32_t page)
{
    const std::uint64_t tail = page_block(page) + kLockShared;
    if (!conflicts(tail + 1, 1, LockMode::Shared)) return 0;
    unsigned lo = 1;          // byte 256 + lo is locked
    unsigned hi = kMaxUsers;  // the answer is at most hi
    while (lo < hi) {
        const unsigned mid = (lo + hi + 1) / 2;
        if (conflicts(tail + mid, 1, LockMode::Shared))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

unsigned LockManager::other_user()
{
    for (unsigned u = 1; u <= kMaxUsers; ++u)
        if (u != user_ && conflicts(kUserLockBase + u, 1, LockMode::Exclusive)) return u;
    return 0;
}

Error LockManager::locked_error(std::uint32_t page, bool writing)
{
    const char* verb = writing ? "update" : "read";
    unsigned holder = page != 0 ? writer_of(page) : 0;
    if (holder == 0 || holder == user_) holder = other_user();
    lock_file::Entry who;
    if (holder != 0 && lock_file::read_entry(*ldb_, holder, who))
        return error(kCouldNotUpdateLockedBy, {verb, who.user, who.machine});
    return error(kCouldNotUpdateLocked, {verb});
}

TableLock::TableLock(std::shared_ptr<LockManager> locks, std::uint32_t definition_page, TableLockKind kind)
    : locks_(locks), page_(definition_page), kind_(kind)
{
    if (!locks) return;
    locks->lock_table(page_, kind_);
    held_ = true;
}

TableLock& TableLock::operator=(TableLock&& other) noexcept
{
    if (this != &other) {
        release();
        locks_ = std::move(other.locks_);
        page_ = other.page_;
        kind_ = other.kind_;
        held_ = other.held_;
        other.held_ = false;
    }
    return *this;
}

void TableLock::release()
{
    if (!held_) return;
    held_ = false;
    if (const std::shared_ptr<LockManager> locks = locks_.lock()) locks->unlock_table(page_, kind_);
}

}  // namespace jet
