// Chained hash index over a server's channels. Buckets come from a table of primes; the index
// grows to roughly twice its size when it is 75 % full; new entries go to the front of their
// chain and a search takes the first equal key, so among equal keys the newest wins (until a
// growth, which reverses the order of entries that move from one chain into one chain).
// Every entry keeps its hash, so growing never rehashes a text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/channel.h"

namespace tagcfg {

// The hash of channel names: a multiplicative hash over signed bytes, sampling every
// (length / 8)-th byte from the end for texts of 16 bytes or more.
uint32_t text_hash(std::string_view text);

// The bucket count for an index asked to grow to n buckets.
uint32_t grown_bucket_count(uint32_t n);

constexpr uint32_t kInitialBucketCount = 13;

// Key of the id index: the channel number; its hash is its bit pattern.
struct IdKey {
    using Stored = int32_t;
    using Lookup = int32_t;
    static uint32_t hash(Lookup key) { return static_cast<uint32_t>(key); }
    static bool equal(Stored stored, Lookup key) { return stored == key; }
};

// Key of the name index: the channel's own name text, referred to, never copied.
struct NameKey {
    using Stored = const std::string *;
    using Lookup = std::string_view;
    static uint32_t hash(Lookup key) { return text_hash(key); }
    static bool equal(Stored stored, Lookup key) { return *stored == key; }
};

template <typename Key>
class HashIndex {
public:
    HashIndex() : buckets_(kInitialBucketCount, nullptr), threshold_(threshold_for(kInitialBucketCount)) {}
    HashIndex(const HashIndex &) = delete;
    HashIndex &operator=(const HashIndex &) = delete;
    ~HashIndex() { clear(); }

    void insert(typename Key::Stored key, typename Key::Lookup lookup, Channel *channel) {
        if (entry_count_ >= threshold_) grow(2 * bucket_count());
        uint32_t hash = Key::hash(lookup);
        Entry *&chain = buckets_[hash % bucket_count()];
        chain = new Entry{key, channel, hash, chain};
        ++entry_count_;
    }

    // The channel of the first entry with an equal key.
    Channel *find(typename Key::Lookup key) const {
        for (Entry *e = buckets_[Key::hash(key) % bucket_count()]; e; e = e->next)
            if (Key::equal(e->key, key)) return e->channel;
        return nullptr;
    }

    // Every channel under an equal key, front of the chain first.
    std::vector<Channel *> find_all(typename Key::Lookup key) const {
        std::vector<Channel *> found;
        for (Entry *e = buckets_[Key::hash(key) % bucket_count()]; e; e = e->next)
            if (Key::equal(e->key, key)) found.push_back(e->channel);
        return found;
    }

    // Removes the entries under an equal key that refer to this channel.
    void remove(typename Key::Lookup key, const Channel *channel) {
        for (Entry **link = &buckets_[Key::hash(key) % bucket_count()]; *link;) {
            Entry *e = *link;
            if (e->channel == channel && Key::equal(e->key, key)) {
                *link = e->next;
                delete e;
                --entry_count_;
            } else {
                link = &e->next;
            }
        }
    }

    // Frees every entry; the bucket count and threshold stay.
    void clear() {
        for (Entry *&chain : buckets_)
            while (Entry *e = chain) {
                chain = e->next;
                delete e;
            }
        entry_count_ = 0;
    }

    uint32_t bucket_count() const { return static_cast<uint32_t>(buckets_.size()); }
    uint32_t entry_count() const { return entry_count_; }
    uint32_t growth_threshold() const { return threshold_; }

    // The channels of one chain, front first: lets tests see the chain order.
    std::vector<Channel *> chain(uint32_t bucket) const {
        std::vector<Channel *> channels;
        for (Entry *e = buckets_[bucket]; e; e = e->next) channels.push_back(e->channel);
        return channels;
    }

private:
    struct Entry {
        typename Key::Stored key;
        Channel *channel;
        uint32_t hash;
        Entry *next;
    };

    static uint32_t threshold_for(uint32_t buckets) { return static_cast<uint32_t>(uint64_t{buckets} * 75 / 100); }

    void grow(uint32_t n) {
        uint32_t count = grown_bucket_count(n);
        std::vector<Entry *> grown(count, nullptr);
        for (Entry *chain : buckets_)
            while (Entry *e = chain) {
                chain = e->next;
                Entry *&target = grown[e->hash % count];
                e->next = target;
                target = e;
            }
        buckets_.swap(grown);
        threshold_ = threshold_for(count);
    }

    std::vector<Entry *> buckets_;
    uint32_t entry_count_ = 0;
    uint32_t threshold_;
};

using IdIndex = HashIndex<IdKey>;
using NameIndex = HashIndex<NameKey>;

}  // namespace tagcfg
