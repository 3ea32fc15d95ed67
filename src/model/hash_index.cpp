#include "model/hash_index.h"

namespace tagcfg {

uint32_t grown_bucket_count(uint32_t n) {
    static const uint32_t kPrimes[] = {13, 31, 61, 127, 251, 509, 1021, 2039, 4093, 8191, 16381, 32749, 65521, 131071};
    const uint32_t target = n - n / 10;
    for (uint32_t prime : kPrimes)
        if (prime >= target) return prime;
    return n | 1;
}

}  // namespace tagcfg
