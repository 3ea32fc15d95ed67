#include <sys/mman.h>

#include <cstdint>

#include "platform/pages.h"

namespace tagcfg::platform {

void advise_huge_pages(void *block, size_t size) {
#if defined(MADV_HUGEPAGE)
    constexpr size_t kHugePage = size_t{2} << 20;
    // Only the huge pages wholly inside the block; the advice is a hint, and a refusal changes nothing.
    char *const start = static_cast<char *>(block);
    const size_t lead = (kHugePage - reinterpret_cast<uintptr_t>(start) % kHugePage) % kHugePage;
    if (size <= lead) return;
    const size_t whole = (size - lead) & ~(kHugePage - 1);
    if (whole > 0) ::madvise(start + lead, whole, MADV_HUGEPAGE);
#else
    (void)block;
    (void)size;
#endif
}

}  // namespace tagcfg::platform
