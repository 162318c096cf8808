#include "jet/table_scan.h"

#include "jet/usage_map.h"

namespace jet {

void scan_rows(Pager& pager, const TableDefinition& table, const std::function<bool(Bytes)>& visit)
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
            if (!slot.overflow_header()) {
                if (!visit(data.row(slot))) return;
                continue;
            }
            const Bytes header = data.row(slot);
            require(header.size() >= 4);
            const RowPointer at = RowPointer::from(le32(header.data()));
            const DataPage target(pager.page(at.page), layout);
            require(target.owner() == table.page);
            RowSlot target_slot;
            const Bytes row = pointed_row(target, at.row, &target_slot);
            require(!target_slot.overflow_header());  // one hop only
            if (!visit(row)) return;
        }
    }
}

}  // namespace jet
