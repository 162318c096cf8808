#include "jet/database/lock_census.h"

#include "jet/base/bytes.h"
#include "jet/reading/catalogue.h"
#include "jet/base/format.h"
#include "jet/base/header.h"
#include "jet/sharing/lock_file.h"
#include "jet/sharing/lock_manager.h"
#include "jet/pages/page.h"

#include <map>

namespace jet {

namespace {

// The width of each lock region; what lies in none of them is Other.
constexpr std::uint64_t kRegionWidth = 0x10000000u;

struct Region {
    std::uint64_t base;
    CensusKind exclusive;  // what an exclusive lock of a block's shape is
    CensusKind shared;     // what a user's byte of a block is
};

constexpr Region kRegions[] = {
    {kPageLockBase, CensusKind::Write, CensusKind::Read},
    {kTableReadBase, CensusKind::TableRead, CensusKind::TableRead},
    {kTableWriteBase, CensusKind::TableWrite, CensusKind::TableWrite},
    {kDenyWriteBase, CensusKind::DenyWrite, CensusKind::DenyWrite},
};

const Region* region_of(const HeldRange& h)
{
    for (const Region& r : kRegions)
        if (h.offset >= r.base && h.offset - r.base + h.length <= kRegionWidth) return &r;
    return nullptr;
}

class Decoder {
public:
    explicit Decoder(std::vector<bool>& present) : present_(present) {}

    void add(const HeldRange& h)
    {
        if (h.offset > kUserLockBase && h.offset + h.length <= kUserLockBase + kMaxUsers + 1 &&
            h.mode == LockMode::Exclusive) {
            for (std::uint64_t u = h.offset - kUserLockBase; u < h.offset - kUserLockBase + h.length; ++u)
                present_[u] = true;
            return;
        }
        const Region* r = region_of(h);
        if (r == nullptr || h.length > kLockBlock) return other(h.offset, h.length, h.mode);
        const std::uint64_t rel = h.offset - r->base;
        const auto page = static_cast<std::uint32_t>(rel / kLockBlock);
        const std::uint64_t first = rel % kLockBlock;
        if (h.mode == LockMode::Exclusive) {
            // Bytes 1 .. 256 + u of the block: the user is the low byte of the last.
            const std::uint64_t last = first + h.length - 1;
            if (first == 1 && last > kLockShared && last <= kLockShared + kMaxUsers)
                return lock(r->exclusive, h, static_cast<unsigned>(last - kLockShared), page);
            return other(h.offset, h.length, h.mode);
        }
        // One byte per user; a run of them may come as one range.
        for (std::uint64_t at = h.offset; at < h.offset + h.length; ++at) {
            const std::uint64_t byte = (at - r->base) % kLockBlock;
            if (byte >= 1 && byte <= kMaxUsers)
                lock(r->shared, {at, 1, LockMode::Shared}, static_cast<unsigned>(byte),
                     static_cast<std::uint32_t>((at - r->base) / kLockBlock));
            else
                other(at, 1, LockMode::Shared);
        }
    }

    std::vector<CensusLock> locks;

private:
    void lock(CensusKind kind, const HeldRange& h, unsigned user, std::uint32_t page)
    {
        locks.push_back({kind, h.mode, h.offset, h.length, user, page, {}});
    }

    // Bytes outside the layout, joined to the one before where they touch.
    void other(std::uint64_t offset, std::uint64_t length, LockMode mode)
    {
        if (!locks.empty()) {
            CensusLock& last = locks.back();
            if (last.kind == CensusKind::Other && last.mode == mode && last.offset + last.length == offset) {
                last.length += length;
                return;
            }
        }
        locks.push_back({CensusKind::Other, mode, offset, length, 0, 0, {}});
    }

    std::vector<bool>& present_;
};

// The local tables by definition page; empty when the catalogue cannot be read.
std::map<std::uint32_t, std::string> table_names(const std::string& path)
{
    std::map<std::uint32_t, std::string> names;
    try {
        std::unique_ptr<File> file = File::open_to_inspect(path);
        if (!file) return names;
        std::vector<std::uint8_t> first(kJet4Layout.page_size);
        first.resize(file->read_at(0, first.data(), first.size()));
        const Header header = read_header(Bytes(first.data(), first.size()), path);
        Pager pager(std::move(file), header);
        for (const CatalogueEntry& e : read_catalogue(pager))
            if (!e.linked()) names[e.definition_page()] = e.name;
    } catch (const Error&) {
    } catch (const Corrupt&) {
    }
    return names;
}

bool is_table_lock(CensusKind kind)
{
    return kind == CensusKind::TableRead || kind == CensusKind::TableWrite || kind == CensusKind::DenyWrite;
}

}  // namespace

const char* to_string(CensusKind kind)
{
    switch (kind) {
    case CensusKind::Write: return "write";
    case CensusKind::Read: return "read";
    case CensusKind::TableRead: return "table-read";
    case CensusKind::TableWrite: return "table-write";
    case CensusKind::DenyWrite: return "deny-write";
    case CensusKind::Other: break;
    }
    return "other";
}

Census take_census(const std::string& path)
{
    Census census;
    const std::unique_ptr<File> ldb = File::open_to_inspect(lock_file::path_of_file(path));
    if (!ldb) return census;
    census.lock_file = true;
    std::vector<bool> present(kMaxUsers + 1, false);
    Decoder decoder(present);
    for (const HeldRange& h : ldb->held_ranges(0, UINT64_MAX)) decoder.add(h);
    census.locks = std::move(decoder.locks);
    const std::uint64_t entries = ldb->size() / lock_file::kEntrySize;
    for (unsigned slot = 1; slot <= kMaxUsers; ++slot) {
        lock_file::Entry entry;
        const bool named = slot <= entries && lock_file::read_entry(*ldb, slot, entry);
        if (present[slot] || named) census.users.push_back({slot, present[slot], entry.machine, entry.user});
    }
    std::map<std::uint32_t, std::string> names;
    for (CensusLock& l : census.locks) {
        if (!is_table_lock(l.kind)) continue;
        if (names.empty()) names = table_names(path);
        if (const auto it = names.find(l.page); it != names.end()) l.table = it->second;
    }
    return census;
}

bool users_present(const std::string& path)
{
    const std::unique_ptr<File> ldb = File::open_to_inspect(lock_file::path_of_file(path));
    return ldb && !ldb->held_ranges(kUserLockBase + 1, kMaxUsers).empty();
}

}  // namespace jet
