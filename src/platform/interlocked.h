// Interlocked 32-bit counters, for reference counts that several threads may change.
#pragma once

#include <cstdint>

namespace tagcfg::platform {

// Both return the new value.
int32_t interlocked_increment(volatile int32_t *value);
int32_t interlocked_decrement(volatile int32_t *value);

}  // namespace tagcfg::platform
