#include "jet/reading/table_scan.h"

#include "jet/pages/usage_map.h"

namespace jet {

namespace {

// The slots that are a table's records, in storage order: on each data page
// of its owned map that the table owns, every live slot that is not an
// overflow row (that one is reached through its header). `visit(page,
// number, slot index, slot)` returns false to stop.
template <class Visit> void visit_record_slots(Pager& pager, const TableDefinition& table, Visit&& visit)
{
    const Layout& layout = pager.layout();
    for (const std::uint32_t number : usage_map_pages(pager, table.owned_map)) {
        const Page page = pager.page(number);
        if (page.type() != kPageData) continue;
        const DataPage data(page, layout);
        if (data.owner() != table.page) continue;
        for (unsigned i = 0; i < data.slot_count(); ++i) {
            const RowSlot slot = data.slot(i);
            if (slot.deleted() || slot.overflow_target()) continue;
            if (!visit(data, number, i, slot)) return;
        }
    }
}

}  // namespace

void scan_rows(Pager& pager, const TableDefinition& table, const std::function<bool(Bytes)>& visit)
{
    const Layout& layout = pager.layout();
    visit_record_slots(pager, table, [&](const DataPage& data, std::uint32_t number, unsigned i, const RowSlot& slot) {
        if (!slot.overflow_header()) return visit(data.row(slot));
        const RowPointer at = overflow_pointer(data.row(slot));
        const DataPage target(pager.page(at.page), layout);
        const std::optional<RowSlot> target_slot = overflow_slot(target, table.page, at.row);
        if (!target_slot) {
            // Moved on by a writer since this page was read: read it afresh.
            Page keep;
            Bytes moved;
            if (!read_row_at(pager, table, RowPointer{number, static_cast<std::uint8_t>(i)}, keep, moved)) return true;
            return visit(moved);
        }
        return visit(target.row(*target_slot));
    });
}

std::vector<RowPointer> scan_row_locations(Pager& pager, const TableDefinition& table, std::uint64_t top)
{
    std::vector<RowPointer> out;
    if (top == 0) return out;
    visit_record_slots(pager, table, [&](const DataPage&, std::uint32_t number, unsigned i, const RowSlot&) {
        out.push_back(RowPointer{number, static_cast<std::uint8_t>(i)});
        return out.size() < top;
    });
    return out;
}

bool read_row_at(Pager& pager, const TableDefinition& table, RowPointer at, Page& keep, Bytes& row)
{
    const Layout& layout = pager.layout();
    for (int attempt = 0;; ++attempt) {
        const Page home_page = pager.fresh_page(at.page);
        if (home_page.type() != kPageData) return false;
        const DataPage home(home_page, layout);
        if (home.owner() != table.page || at.row >= home.slot_count()) return false;
        const RowSlot slot = home.slot(at.row);
        if (slot.deleted() || slot.overflow_target()) return false;
        if (!slot.overflow_header()) {
            keep = home_page;
            row = home.row(slot);
            return true;
        }
        const RowPointer target_at = overflow_pointer(home.row(slot));
        keep = pager.fresh_page(target_at.page);
        const DataPage target(keep, layout);
        const std::optional<RowSlot> target_slot = overflow_slot(target, table.page, target_at.row);
        if (!target_slot && attempt < 3) continue;  // moved on between the two reads
        require(target_slot.has_value());
        row = target.row(*target_slot);
        return true;
    }
}

}  // namespace jet
