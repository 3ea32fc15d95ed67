// The lock around the list of dialogs being created, made at library load.
#pragma once

namespace tagcfg::platform {

void enter_creation_lock();
void leave_creation_lock();

}  // namespace tagcfg::platform
