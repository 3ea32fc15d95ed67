#include <windows.h>

#include "platform/interlocked.h"

namespace tagcfg::platform {

static_assert(sizeof(LONG) == sizeof(int32_t), "LONG is 32 bits on Windows");

int32_t interlocked_increment(volatile int32_t *value) {
    return InterlockedIncrement(reinterpret_cast<volatile LONG *>(value));
}

int32_t interlocked_decrement(volatile int32_t *value) {
    return InterlockedDecrement(reinterpret_cast<volatile LONG *>(value));
}

}  // namespace tagcfg::platform
