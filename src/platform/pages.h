// Memory pages. A load of a large file writes megabytes of fresh memory, and on the virtual
// machines plants run on a page fault costs far more than on bare metal: a block of several huge
// pages takes one fault where 4 KiB pages take 512.
#pragma once

#include <cstddef>

namespace tagcfg::platform {

// Asks the system for huge pages under a block, when it is large enough to hold one and the
// system gives them on request (Linux's transparent huge pages); elsewhere nothing happens.
void advise_huge_pages(void *block, size_t size);

}  // namespace tagcfg::platform
