// The pages a writer holds the write lock of, each with its bytes as read
// under that lock. A writer keeps its locks, and the pages it changed in
// place, until it goes idle (flush()): then the changed pages are written
// and every lock is given back.
//
// No page is ever written over bytes this writer did not see: before any
// write the page is read once more, and when the file no longer holds what
// the change was computed from (another program wrote it without honouring
// the locks), the page is not written and the change is refused with "Data
// has changed; operation stopped."
#pragma once

#include "jet/pages/page.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace jet {

class HeldPages final : public PageOverlay {
public:
    explicit HeldPages(Pager& pager);
    // Gives every lock back; changes not written by flush() are lost.
    ~HeldPages();
    HeldPages(const HeldPages&) = delete;
    HeldPages& operator=(const HeldPages&) = delete;

    // Takes the page's write lock, waiting up to the lock timeout (then the
    // "currently locked" error), and reads the page afresh. A page held
    // already is returned as it is.
    std::vector<std::uint8_t>& lock(std::uint32_t page);
    // The same when the lock is free now; null when it is not.
    std::vector<std::uint8_t>* try_lock(std::uint32_t page);
    // A page appended at the end of the file: held with the given bytes, not read.
    std::vector<std::uint8_t>& adopt(std::uint32_t page, std::vector<std::uint8_t> bytes);
    // The bytes of a held page, or null.
    std::vector<std::uint8_t>* find(std::uint32_t page);
    // Writes a held page now, in one call, after checking the file still
    // holds what the page held when it was read or last written.
    void write(std::uint32_t page);
    // Throws "Data has changed; operation stopped." when the file no longer
    // holds the page as it was read or last written: a change checks every
    // page it will write before it writes the first.
    void check(std::uint32_t page);
    // Writes a held page when the file still holds what it held; otherwise
    // gives it back unwritten and returns false.
    bool write_if_unchanged(std::uint32_t page);
    // Marks a held page changed in place, to be written when going idle.
    void defer(std::uint32_t page);
    // Gives one page's lock back; a change deferred on it is lost.
    void release(std::uint32_t page);
    // Gives every lock back, losing deferred changes.
    void release_all();

    // Goes idle: writes the deferred pages (each checked as write() does),
    // then gives every lock back. A page whose bytes another program changed
    // is left unwritten; the pages left so are returned.
    [[nodiscard]] std::vector<std::uint32_t> flush();

    // One change (an update of a record): begin() before it, keep() before
    // it changes the bytes of any held page, then commit() when it is
    // complete, or roll_back() when it failed, which puts every held page
    // back as it was before begin() (or as last written). A change that
    // turns out to change nothing never copies a page.
    void begin();
    void keep();
    void commit();
    void roll_back();

    bool holding() const { return holding_ > 0; }
    // When the oldest lock held now was taken (coarse_milliseconds()).
    std::uint64_t held_since() const { return since_; }

    const std::vector<std::uint8_t>* changed_page(std::uint32_t number) const override;

private:
    struct Held {
        std::uint32_t number = 0;
        bool in_use = false;
        bool appended = false;     // not in the file yet
        bool deferred = false;     // changed in place, not written
        bool was_deferred = false; // deferred when the current change began
        std::vector<std::uint8_t> bytes;
        std::vector<std::uint8_t> base;    // the file's bytes as read or last written
        std::vector<std::uint8_t> before;  // bytes when the current change began (deferred pages)
    };
    Held* held(std::uint32_t page);
    const Held* held(std::uint32_t page) const;
    Held& slot_for(std::uint32_t page);
    std::vector<std::uint8_t>& read_locked(std::uint32_t page);
    bool unchanged_on_file(const Held& h);
    void write_held(Held& h);
    void give_back(Held& h);

    Pager& pager_;
    std::vector<std::unique_ptr<Held>> held_;  // kept for their buffers when released
    std::vector<std::uint32_t> deferred_;      // in the order they were deferred
    std::vector<std::uint8_t> check_;
    unsigned holding_ = 0;
    bool kept_ = false;  // the current change has kept the pages it may change
    std::uint64_t since_ = 0;
};

}  // namespace jet
