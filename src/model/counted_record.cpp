#include "model/counted_record.h"

#include "platform/interlocked.h"

namespace tagcfg {

void CountedRecord::acquire() { platform::interlocked_increment(&count_); }

void CountedRecord::release() {
    if (count_ == 0 || platform::interlocked_decrement(&count_) == 0) delete this;
}

}  // namespace tagcfg
