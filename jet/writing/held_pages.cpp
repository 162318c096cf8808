#include "jet/writing/held_pages.h"

#include "jet/base/error.h"
#include "jet/base/file.h"
#include "jet/sharing/lock_manager.h"

#include <algorithm>

namespace jet {

namespace {

[[noreturn]] void data_changed() { throw error(kDataChanged); }

}  // namespace

HeldPages::HeldPages(Pager& pager) : pager_(pager) { pager_.add_overlay(this); }

HeldPages::~HeldPages()
{
    release_all();
    pager_.remove_overlay(this);
}

HeldPages::Held* HeldPages::held(std::uint32_t page)
{
    for (auto& h : held_)
        if (h->in_use && h->number == page) return h.get();
    return nullptr;
}

const HeldPages::Held* HeldPages::held(std::uint32_t page) const
{
    for (const auto& h : held_)
        if (h->in_use && h->number == page) return h.get();
    return nullptr;
}

HeldPages::Held& HeldPages::slot_for(std::uint32_t page)
{
    Held* free = nullptr;
    for (auto& h : held_)
        if (!h->in_use) {
            free = h.get();
            break;
        }
    if (!free) {
        held_.push_back(std::make_unique<Held>());
        free = held_.back().get();
    }
    free->number = page;
    free->in_use = true;
    free->appended = false;
    free->deferred = false;
    free->was_deferred = false;
    if (holding_++ == 0) since_ = coarse_milliseconds();
    return *free;
}

std::vector<std::uint8_t>* HeldPages::find(std::uint32_t page)
{
    Held* h = held(page);
    return h ? &h->bytes : nullptr;
}

const std::vector<std::uint8_t>* HeldPages::changed_page(std::uint32_t number) const
{
    const Held* h = held(number);
    return h && h->deferred ? &h->bytes : nullptr;
}

// Reads a page whose lock the caller has just taken into a free slot; on a
// failed read the lock is given back.
std::vector<std::uint8_t>& HeldPages::read_locked(std::uint32_t page)
{
    Held& h = slot_for(page);
    try {
        pager_.read_page(page, h.bytes);
    } catch (...) {
        give_back(h);
        throw;
    }
    h.base = h.bytes;
    return h.bytes;
}

std::vector<std::uint8_t>& HeldPages::lock(std::uint32_t page)
{
    if (std::vector<std::uint8_t>* bytes = find(page)) return *bytes;
    if (LockManager* locks = pager_.locks()) locks->lock_page(page, LockMode::Exclusive);
    return read_locked(page);
}

std::vector<std::uint8_t>* HeldPages::try_lock(std::uint32_t page)
{
    if (std::vector<std::uint8_t>* bytes = find(page)) return bytes;
    LockManager* locks = pager_.locks();
    if (locks && !locks->try_lock_page(page)) return nullptr;
    return &read_locked(page);
}

std::vector<std::uint8_t>& HeldPages::adopt(std::uint32_t page, std::vector<std::uint8_t> bytes)
{
    if (LockManager* locks = pager_.locks()) locks->lock_page(page, LockMode::Exclusive);
    Held& h = slot_for(page);
    h.appended = true;
    h.bytes = std::move(bytes);
    h.base.clear();
    return h.bytes;
}

// Write rule 5: a page is written only over the bytes it was changed from.
// Whether the file still holds the page as this writer last saw it. A page
// appended by this writer is not in the file yet: appending is serialised
// by the global map's lock, which the writer holds.
bool HeldPages::unchanged_on_file(const Held& h)
{
    if (h.appended) return true;
    pager_.read_page(h.number, check_);
    return check_ == h.base;
}

void HeldPages::write_held(Held& h)
{
    pager_.write_page(h.number, h.bytes);
    h.base = h.bytes;
    h.appended = false;
    if (h.deferred) {
        h.deferred = false;
        deferred_.erase(std::find(deferred_.begin(), deferred_.end(), h.number));
    }
}

void HeldPages::write(std::uint32_t page)
{
    Held* h = held(page);
    invariant(h != nullptr, "a page is written only while it is held");
    if (!unchanged_on_file(*h)) data_changed();
    write_held(*h);
}

void HeldPages::check(std::uint32_t page)
{
    const Held* h = held(page);
    invariant(h != nullptr, "a page is checked only while it is held");
    if (!unchanged_on_file(*h)) data_changed();
}

bool HeldPages::write_if_unchanged(std::uint32_t page)
{
    Held* h = held(page);
    invariant(h != nullptr, "a page is written only while it is held");
    if (!unchanged_on_file(*h)) {
        give_back(*h);
        return false;
    }
    write_held(*h);
    return true;
}

void HeldPages::defer(std::uint32_t page)
{
    Held* h = held(page);
    invariant(h != nullptr, "a page is put off only while it is held");
    if (h->deferred) return;
    h->deferred = true;
    deferred_.push_back(page);
}

void HeldPages::give_back(Held& h)
{
    h.in_use = false;
    if (h.deferred) deferred_.erase(std::find(deferred_.begin(), deferred_.end(), h.number));
    h.deferred = false;
    --holding_;
    if (LockManager* locks = pager_.locks()) locks->unlock_page(h.number, LockMode::Exclusive);
}

void HeldPages::release(std::uint32_t page)
{
    if (Held* h = held(page)) give_back(*h);
}

void HeldPages::release_all()
{
    for (auto& h : held_)
        if (h->in_use) give_back(*h);
}

// Write rule 6: the pages held until idle reach the file here, and their
// locks go.
std::vector<std::uint32_t> HeldPages::flush()
{
    std::vector<std::uint32_t> overtaken;
    try {
        // Pages changed in place depend on no other page: any order is safe.
        while (!deferred_.empty()) {
            const std::uint32_t page = deferred_.front();
            if (!write_if_unchanged(page)) overtaken.push_back(page);
        }
    } catch (...) {
        release_all();
        throw;
    }
    release_all();
    return overtaken;
}

void HeldPages::begin()
{
    for (auto& h : held_) h->was_deferred = h->in_use && h->deferred;
    kept_ = false;
}

void HeldPages::keep()
{
    if (kept_) return;
    for (auto& h : held_)
        if (h->was_deferred) h->before = h->bytes;
    kept_ = true;
}

void HeldPages::commit()
{
    for (auto& h : held_) h->was_deferred = false;
}

void HeldPages::roll_back()
{
    for (auto& h : held_) {
        if (!h->in_use) continue;
        if (h->appended) {
            give_back(*h);  // never written: the page was not added
            continue;
        }
        if (h->was_deferred && h->deferred) {
            // Unkept, the change had not touched it yet.
            if (kept_) h->bytes = h->before;
        } else {
            if (h->deferred) {
                h->deferred = false;
                deferred_.erase(std::find(deferred_.begin(), deferred_.end(), h->number));
            }
            h->bytes = h->base;
        }
        h->was_deferred = false;
    }
}

}  // namespace jet
