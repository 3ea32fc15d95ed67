#include "model/hash_index.h"

#include <algorithm>
#include <utility>

namespace tagcfg {

uint32_t grown_bucket_count(uint32_t n) {
    static const uint32_t kPrimes[] = {13, 31, 61, 127, 251, 509, 1021, 2039, 4093, 8191, 16381, 32749, 65521, 131071};
    const uint32_t target = n - n / 10;
    for (uint32_t prime : kPrimes)
        if (prime >= target) return prime;
    return n | 1;
}

ChainPlan plan_chains(const std::vector<uint32_t> &hashes, uint32_t bucket_count, uint32_t threshold) {
    constexpr uint32_t kEnd = ChainPlan::kEnd;
    const auto n = static_cast<uint32_t>(hashes.size());
    // The bucket counts passed through: epoch k begins with the growth before entry
    // epochs[k].first goes in.
    struct Epoch {
        uint32_t first;
        Remainder bucket_of;
    };
    std::vector<Epoch> epochs{{0, Remainder(bucket_count)}};
    for (uint32_t i = threshold; i < n; i = std::max(threshold, i + 1)) {
        bucket_count = grown_bucket_count(2 * bucket_count);
        threshold = growth_threshold_for(bucket_count);
        epochs.push_back({i, Remainder(bucket_count)});
    }

    // The chains as entering at the final size would make them, the last entered in front.
    // The growths on the way change only the order within chains of more than one entry.
    ChainPlan plan;
    plan.bucket_count = bucket_count;
    plan.threshold = threshold;
    plan.heads.assign(bucket_count, kEnd);
    plan.next.resize(n);
    std::vector<uint32_t> crowded;                        // buckets of more than one entry
    const Remainder bucket_of = epochs.back().bucket_of;  // a copy: kept in registers
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t &head = plan.heads[bucket_of(hashes[i])];
        if (head != kEnd) {
            ++plan.pooled;
            if (plan.next[head] == kEnd) crowded.push_back(static_cast<uint32_t>(&head - plan.heads.data()));
        }
        plan.next[i] = std::exchange(head, i);
    }

    // Whether entry x stands in front of entry y in their chain at the end of the last epoch.
    // An entry entered in an epoch goes in front of those there before it. A growth moved the
    // entries to the front of their new chain one by one, taking the old chains from bucket 0 up
    // and each from its front: of two moved entries, the one from the later old bucket went in
    // front, and of two from one old chain, the one that stood behind there.
    auto in_front = [&](uint32_t x, uint32_t y) {
        for (size_t k = epochs.size() - 1;; --k) {
            if (x >= epochs[k].first || y >= epochs[k].first) return x > y;
            const Remainder &old = epochs[k - 1].bucket_of;
            const uint32_t old_x = old(hashes[x]), old_y = old(hashes[y]);
            if (old_x != old_y) return old_x > old_y;
            std::swap(x, y);
        }
    };
    std::vector<uint32_t> chain;
    for (uint32_t b : crowded) {
        // Chains are short: each is sorted into that order by insertion, then linked again.
        chain.clear();
        for (uint32_t e = plan.heads[b]; e != kEnd; e = plan.next[e]) {
            size_t at = chain.size();
            chain.push_back(e);
            for (; at > 0 && in_front(e, chain[at - 1]); --at) chain[at] = chain[at - 1];
            chain[at] = e;
        }
        plan.heads[b] = chain.front();
        for (size_t j = 0; j + 1 < chain.size(); ++j) plan.next[chain[j]] = chain[j + 1];
        plan.next[chain.back()] = kEnd;
    }
    return plan;
}

}  // namespace tagcfg
