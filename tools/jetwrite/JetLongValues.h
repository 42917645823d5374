#pragma once

#include "JetLayout.h"
#include "JetTable.h"

#include <cstdint>
#include <vector>

namespace jet {

// The long-value pages of a table: memo texts too long for their row, each kept as a chain of
// parts, one per page. A part is a row of its own that begins with the address of the next
// part (0 after the last); the memo in the table's row gives the address of the first.
class LongValuePages {
public:
    explicit LongValuePages(std::uint32_t firstPage) : firstPage_(firstPage) {}

    // Stores the bytes on new pages; the row address of their first part.
    std::uint32_t store(const Bytes& bytes);

    const std::vector<Page>& pages() const { return pages_; }

private:
    std::uint32_t firstPage_;
    std::vector<Page> pages_;
};

} // namespace jet
