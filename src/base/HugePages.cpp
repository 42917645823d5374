#include "base/HugePages.h"

#include <cstdint>
#include <sys/mman.h>

void adviseHugePages(void* buffer, std::size_t bytes) {
    constexpr std::size_t hugePage = std::size_t(2) << 20;
    // The advice covers whole huge pages: from the first boundary inside the buffer.
    const std::size_t skip =
        (hugePage - reinterpret_cast<std::uintptr_t>(buffer) % hugePage) % hugePage;
    if (bytes < skip + hugePage)
        return;
    const std::size_t whole = (bytes - skip) / hugePage * hugePage;
    ::madvise(static_cast<char*>(buffer) + skip, whole, MADV_HUGEPAGE);
}
