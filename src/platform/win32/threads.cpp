#include <windows.h>

#include "platform/threads.h"

namespace tagcfg::platform {

namespace {
CRITICAL_SECTION g_creation_lock;
}

uint32_t current_thread_id() { return GetCurrentThreadId(); }

void create_creation_lock() { InitializeCriticalSection(&g_creation_lock); }
void delete_creation_lock() { DeleteCriticalSection(&g_creation_lock); }
void enter_creation_lock() { EnterCriticalSection(&g_creation_lock); }
void leave_creation_lock() { LeaveCriticalSection(&g_creation_lock); }

}  // namespace tagcfg::platform
