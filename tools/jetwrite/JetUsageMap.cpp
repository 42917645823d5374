#include "JetUsageMap.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace jet {

namespace {

constexpr std::size_t inlineBitmapBytes = 64;
constexpr std::size_t inlinePageSpan = inlineBitmapBytes * 8;
constexpr std::size_t pagesPerBitmapPage = (pageSize - 4) * 8;
constexpr std::size_t bitmapPagePointers = 16;

void setBit(std::uint8_t* bitmap, std::size_t bit) {
    bitmap[bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
}

UsageMap inlineMap(const std::vector<std::uint32_t>& pages) {
    const std::uint32_t first = pages.empty() ? 0 : *std::min_element(pages.begin(), pages.end());
    UsageMap map;
    map.row.assign(5 + inlineBitmapBytes, 0);
    map.row[0] = 0x00;
    put32(map.row, 1, first);
    for (std::uint32_t page : pages)
        setBit(map.row.data() + 5, page - first);
    return map;
}

UsageMap indirectMap(const std::vector<std::uint32_t>& pages, std::uint32_t firstFreePage) {
    UsageMap map;
    map.row.assign(1 + 4 * bitmapPagePointers, 0);
    map.row[0] = 0x01;
    std::map<std::size_t, std::size_t> bitmapOfSpan; // span number -> index in bitmapPages
    for (std::uint32_t page : pages) {
        const std::size_t span = page / pagesPerBitmapPage;
        if (span >= bitmapPagePointers)
            throw std::invalid_argument("the database is too large");
        auto [found, added] = bitmapOfSpan.try_emplace(span, map.bitmapPages.size());
        if (added) {
            Page bitmap = blankPage();
            bitmap[0] = usageBitmapPageType;
            bitmap[1] = 0x01;
            map.bitmapPages.push_back(std::move(bitmap));
            put32(map.row, 1 + 4 * span, firstFreePage + static_cast<std::uint32_t>(found->second));
        }
        setBit(map.bitmapPages[found->second].data() + 4, page % pagesPerBitmapPage);
    }
    return map;
}

} // namespace

UsageMap buildUsageMap(const std::vector<std::uint32_t>& pages, std::uint32_t firstFreePage) {
    if (pages.empty())
        return inlineMap(pages);
    const auto [low, high] = std::minmax_element(pages.begin(), pages.end());
    if (*high - *low < inlinePageSpan)
        return inlineMap(pages);
    return indirectMap(pages, firstFreePage);
}

} // namespace jet
