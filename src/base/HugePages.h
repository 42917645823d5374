#pragma once

#include <cstddef>

// Asks the kernel to back the whole 2 MiB pages inside a large buffer not yet written with
// transparent huge pages, where it does so only when asked (the "madvise" setting). A list of
// a million entries first touches some 60 MB: in 4 KiB pages that is some 15,000 page faults,
// about 40% of a restore's processor time. A hint only: nothing changes where the kernel
// declines it or backs every page that way already.
void adviseHugePages(void* buffer, std::size_t bytes);
