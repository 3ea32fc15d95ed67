#include "platform/pages.h"

namespace tagcfg::platform {

// Windows gives large pages only to a process holding the lock-pages privilege, which a SCADA host
// does not ask for: its blocks keep the pages they get.
void advise_huge_pages(void *, size_t) {}

}  // namespace tagcfg::platform
