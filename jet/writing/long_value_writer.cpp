#include "jet/writing/long_value_writer.h"

#include "jet/base/error.h"
#include "jet/rows/long_value.h"
#include "jet/writing/row_packer.h"
#include "jet/writing/row_placement.h"

namespace jet {

namespace {

std::vector<std::uint8_t> header(std::uint32_t length, LongValueForm form, RowPointer first)
{
    std::vector<std::uint8_t> h(kLongValueHeaderSize, 0);
    put32(h.data() + kLongValueWordAt, length | static_cast<std::uint32_t>(form));
    put32(h.data() + kLongValuePointerAt, first.raw());
    return h;
}

}  // namespace

std::vector<std::uint8_t> write_long_value(Pager& pager, HeldPages& held, const Column& column, Bytes data,
                                           bool in_row)
{
    if (data.empty()) return {};
    if (data.size() > kLongValueLengthMask) throw error(kSystemResourceExceeded);
    const auto length = static_cast<std::uint32_t>(data.size());
    if (in_row) {
        std::vector<std::uint8_t> h = header(length, LongValueForm::Inline, RowPointer{});
        h.insert(h.end(), data.begin(), data.end());
        return h;
    }
    if (column.long_value_owned_map.raw() == 0) throw error(kSystemResourceExceeded);
    const PageMaps maps{column.long_value_owned_map, column.long_value_free_map};
    // A page keeps 4 bytes spare, as Access leaves them.
    const std::size_t single = max_row_size(pager.layout()) - 4;
    if (data.size() <= single) {
        const RowPointer at = place_row(pager, held, kLvalOwner, maps, data, 0);
        return header(length, LongValueForm::SingleRow, at);
    }
    // A chain: each row is the next row's pointer and a chunk. Written from
    // the last chunk back, so every row is complete when it is written.
    const std::size_t chunk = single - kLvalChainDataAt;
    const std::size_t chunks = (data.size() + chunk - 1) / chunk;
    RowPointer next{};
    std::vector<std::uint8_t> row;
    for (std::size_t k = chunks; k-- > 0;) {
        const std::size_t from = k * chunk;
        const std::size_t n = std::min(chunk, data.size() - from);
        row.assign(kLvalChainDataAt, 0);
        put32(row.data() + kLvalChainNextAt, next.raw());
        row.insert(row.end(), data.begin() + static_cast<std::ptrdiff_t>(from),
                   data.begin() + static_cast<std::ptrdiff_t>(from + n));
        next = place_row(pager, held, kLvalOwner, maps, Bytes(row.data(), row.size()), 0);
        // A full page of chain: its lock is no longer needed.
        held.release(next.page);
    }
    return header(length, LongValueForm::Chain, next);
}

}  // namespace jet
