#pragma once

#include "JetLayout.h"

#include <cstdint>
#include <vector>

namespace jet {

// The usage map of a table: a row that lists its data pages. Up to 512 pages from the first one
// fit a map stored in the row itself (type 0); more pages need a row of pointers to bitmap pages
// (type 1), which are added to bitmapPages and numbered from firstFreePage on. An empty table
// still gets a full-size row: readers do not expect an empty map row.
struct UsageMap {
    std::vector<std::uint8_t> row;
    std::vector<Page> bitmapPages;
};

UsageMap buildUsageMap(const std::vector<std::uint32_t>& pages, std::uint32_t firstFreePage);

} // namespace jet
