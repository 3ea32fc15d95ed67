#include "model/hash_index.h"

#include <array>

namespace tagcfg {

uint32_t text_hash(std::string_view text) {
    const size_t length = text.size();
    auto byte = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(text[i])));
    };
    uint32_t h = 0;
    if (length < 16) {
        // h = h * 37 + byte, from the last byte to the first, as a sum of byte * 37^i: the terms
        // do not wait for each other, so a name's hash takes a few cycles, not one product each.
        static constexpr std::array<uint32_t, 16> kPowers = [] {
            std::array<uint32_t, 16> powers{};
            uint32_t power = 1;
            for (uint32_t &p : powers) {
                p = power;
                power *= 37;
            }
            return powers;
        }();
        for (size_t i = 0; i < length; ++i) h += byte(i) * kPowers[i];
    } else {
        const size_t step = length / 8;
        for (size_t i = length - 1;; i -= step) {
            h = h * 39 + byte(i);
            if (i < step) break;
        }
    }
    return h;
}

uint32_t grown_bucket_count(uint32_t n) {
    static const uint32_t kPrimes[] = {13, 31, 61, 127, 251, 509, 1021, 2039, 4093, 8191, 16381, 32749, 65521, 131071};
    const uint32_t target = n - n / 10;
    for (uint32_t prime : kPrimes)
        if (prime >= target) return prime;
    return n | 1;
}

}  // namespace tagcfg
