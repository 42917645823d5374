#include "JetLongValues.h"

#include <algorithm>

namespace jet {

namespace {

// Long-value pages are data pages that carry "LVAL" where a data page names its table.
constexpr std::uint32_t longValueMarker = 0x4C41564C;
constexpr std::size_t nextPartBytes = 4;
// A part fills a page: the header, one row offset, the address of the next part.
constexpr std::size_t partBytes = pageSize - dataPageHeaderSize - 2 - nextPartBytes;

} // namespace

std::uint32_t LongValuePages::store(const Bytes& bytes) {
    const auto firstPart = static_cast<std::uint32_t>(firstPage_ + pages_.size());
    for (std::size_t offset = 0; offset < bytes.size(); offset += partBytes) {
        const std::size_t end = std::min(offset + partBytes, bytes.size());
        const auto page = static_cast<std::uint32_t>(firstPage_ + pages_.size());
        Bytes part;
        append32(part, end < bytes.size() ? rowPointer(page + 1, 0) : 0);
        part.insert(part.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                    bytes.begin() + static_cast<std::ptrdiff_t>(end));
        pages_.push_back(packRows({part}, longValueMarker).front());
    }
    return rowPointer(firstPart, 0);
}

} // namespace jet
