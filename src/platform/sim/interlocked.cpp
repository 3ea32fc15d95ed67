#include "platform/interlocked.h"

namespace tagcfg::platform {

int32_t interlocked_increment(volatile int32_t *value) { return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST); }

int32_t interlocked_decrement(volatile int32_t *value) { return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST); }

}  // namespace tagcfg::platform
