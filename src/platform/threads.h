// What dialog hosting needs of threads: who is running, and the one lock shared between threads.
#pragma once

#include <cstdint>

namespace tagcfg::platform {

uint32_t current_thread_id();

// The creation lock, made at library load and deleted at unload.
void create_creation_lock();
void delete_creation_lock();
void enter_creation_lock();
void leave_creation_lock();

}  // namespace tagcfg::platform
