#include "jet/held_pages.h"

#include "jet/lock_manager.h"

namespace jet {

HeldPages::Held& HeldPages::slot_for(std::uint32_t page)
{
    for (auto& h : held_)
        if (!h->in_use) {
            h->number = page;
            return *h;
        }
    held_.push_back(std::make_unique<Held>());
    held_.back()->number = page;
    return *held_.back();
}

std::vector<std::uint8_t>* HeldPages::find(std::uint32_t page)
{
    for (auto& h : held_)
        if (h->in_use && h->number == page) return &h->bytes;
    return nullptr;
}

// Reads a page whose lock the caller has just taken into a free slot; on a
// failed read the lock is given back.
std::vector<std::uint8_t>& HeldPages::read_locked(std::uint32_t page)
{
    Held& h = slot_for(page);
    h.in_use = true;
    pager_.hold(page);
    try {
        pager_.read_page(page, h.bytes);
    } catch (...) {
        release(page);
        throw;
    }
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
    h.in_use = true;
    h.bytes = std::move(bytes);
    pager_.hold(page);
    return h.bytes;
}

void HeldPages::write(std::uint32_t page)
{
    std::vector<std::uint8_t>* bytes = find(page);
    require(bytes != nullptr);
    pager_.write_page(page, *bytes);
}

void HeldPages::release(std::uint32_t page)
{
    for (auto& h : held_)
        if (h->in_use && h->number == page) {
            h->in_use = false;
            pager_.release(page);
            if (LockManager* locks = pager_.locks()) locks->unlock_page(page, LockMode::Exclusive);
            return;
        }
}

void HeldPages::release_all()
{
    for (auto& h : held_)
        if (h->in_use) {
            h->in_use = false;
            pager_.release(h->number);
            if (LockManager* locks = pager_.locks()) locks->unlock_page(h->number, LockMode::Exclusive);
        }
}

}  // namespace jet
