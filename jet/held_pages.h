// The pages one change holds the write lock of, each with its bytes as read
// under that lock. The locks are given back by release_all().
#pragma once

#include "jet/page.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace jet {

class HeldPages {
public:
    explicit HeldPages(Pager& pager) : pager_(pager) {}
    ~HeldPages() { release_all(); }
    HeldPages(const HeldPages&) = delete;
    HeldPages& operator=(const HeldPages&) = delete;

    // Takes the page's write lock, waiting up to the lock timeout (then the
    // "currently locked" error), and reads the page afresh. A page held
    // already is returned as it is.
    std::vector<std::uint8_t>& lock(std::uint32_t page);
    // The same when the lock is free now; null when it is not.
    std::vector<std::uint8_t>* try_lock(std::uint32_t page);
    // A page appended at the end of the file under the allocation lock: held
    // with the given bytes, not read.
    std::vector<std::uint8_t>& adopt(std::uint32_t page, std::vector<std::uint8_t> bytes);
    // The bytes of a held page, or null.
    std::vector<std::uint8_t>* find(std::uint32_t page);
    // Writes a held page back in one call.
    void write(std::uint32_t page);
    // Gives one page's lock back.
    void release(std::uint32_t page);
    void release_all();

private:
    struct Held {
        std::uint32_t number = 0;
        bool in_use = false;
        std::vector<std::uint8_t> bytes;
    };
    Held& slot_for(std::uint32_t page);
    std::vector<std::uint8_t>& read_locked(std::uint32_t page);

    Pager& pager_;
    std::vector<std::unique_ptr<Held>> held_;  // kept for their buffers when released
};

// Gives back every lock of a HeldPages when the scope ends.
class ReleaseAtEnd {
public:
    explicit ReleaseAtEnd(HeldPages& held) : held_(held) {}
    ~ReleaseAtEnd() { held_.release_all(); }
    ReleaseAtEnd(const ReleaseAtEnd&) = delete;
    ReleaseAtEnd& operator=(const ReleaseAtEnd&) = delete;

private:
    HeldPages& held_;
};

}  // namespace jet
