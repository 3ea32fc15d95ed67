#include <sys/mman.h>

#include <cstdint>

#include "platform/pages.h"

namespace tagcfg::platform {

void advise_huge_pages(void *block, size_t size) {
#if defined(MADV_HUGEPAGE)
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    // Only the huge pages wholly inside the block; the advice is a hint, and a refusal changes nothing.
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(block) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + size) & ~(kHugePage - 1);
    if (end > begin) ::madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)block;
    (void)size;
#endif
}

}  // namespace tagcfg::platform
