// Chained hash index over a server's channels. Buckets come from a table of primes; the index
// grows to roughly twice its size when it is 75 % full; new entries go to the front of their
// chain and a search takes the first equal key, so among equal keys the newest wins (until a
// growth, which reverses the order of entries that move from one chain into one chain).
// Every entry keeps its hash, so growing never rehashes a text and a search compares texts only
// when the hashes agree.
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
    using Stored = const std::string *;  // not owned: the name of the entry's channel
    using Lookup = std::string_view;
    static uint32_t hash(Lookup key) { return text_hash(key); }
    static bool equal(Stored stored, Lookup key) { return *stored == key; }
};

template <typename Key>
class HashIndex {
public:
    HashIndex() : buckets_(kInitialBucketCount), threshold_(threshold_for(kInitialBucketCount)) {}
    HashIndex(const HashIndex &) = delete;
    HashIndex &operator=(const HashIndex &) = delete;
    ~HashIndex() { clear(); }

    void insert(typename Key::Stored key, typename Key::Lookup lookup, Channel *channel) {
        if (entry_count_ >= threshold_) grow(2 * bucket_count());
        const uint32_t hash = Key::hash(lookup);
        push_front(buckets_[hash % bucket_count()], Entry{key, channel, hash, nullptr});
        ++entry_count_;
    }

    // The channel of the first entry with an equal key.
    Channel *find(typename Key::Lookup key) const {
        const uint32_t hash = Key::hash(key);
        for (const Entry *e = first(hash); e; e = e->next)
            if (e->hash == hash && Key::equal(e->key, key)) return e->channel;
        return nullptr;
    }

    // Every channel under an equal key, front of the chain first.
    std::vector<Channel *> find_all(typename Key::Lookup key) const {
        std::vector<Channel *> found;
        const uint32_t hash = Key::hash(key);
        for (const Entry *e = first(hash); e; e = e->next)
            if (e->hash == hash && Key::equal(e->key, key)) found.push_back(e->channel);
        return found;
    }

    // Removes the entries under an equal key that refer to this channel.
    void remove(typename Key::Lookup key, const Channel *channel) {
        const uint32_t hash = Key::hash(key);
        auto matches = [&](const Entry &e) { return e.channel == channel && e.hash == hash && Key::equal(e.key, key); };
        Entry &head = buckets_[hash % bucket_count()];
        while (head.channel && matches(head)) {
            pop_front(head);
            --entry_count_;
        }
        if (!head.channel) return;
        for (Entry **link = &head.next; *link;) {
            Entry *e = *link;
            if (matches(*e)) {
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
        for (Entry &head : buckets_) free_chain(head);
        entry_count_ = 0;
    }

    uint32_t bucket_count() const { return static_cast<uint32_t>(buckets_.size()); }
    uint32_t entry_count() const { return entry_count_; }
    uint32_t growth_threshold() const { return threshold_; }

    // The channels of one chain, front first: lets tests see the chain order.
    std::vector<Channel *> chain(uint32_t bucket) const {
        std::vector<Channel *> channels;
        const Entry &head = buckets_[bucket];
        for (const Entry *e = head.channel ? &head : nullptr; e; e = e->next) channels.push_back(e->channel);
        return channels;
    }

private:
    // The front entry of each chain lives in the bucket array itself (an empty bucket has no
    // channel), so a search that hits the front touches one bucket and no separate entry.
    struct Entry {
        typename Key::Stored key{};
        Channel *channel = nullptr;  // not owned: a channel of the server's list, unindexed before it goes
        uint32_t hash = 0;
        Entry *next = nullptr;  // owned by the chain
    };

    static uint32_t threshold_for(uint32_t buckets) { return static_cast<uint32_t>(uint64_t{buckets} * 75 / 100); }

    const Entry *first(uint32_t hash) const {
        const Entry &head = buckets_[hash % bucket_count()];
        return head.channel ? &head : nullptr;
    }

    static void push_front(Entry &head, const Entry &entry) {
        Entry *moved = head.channel ? new Entry(head) : nullptr;
        head = entry;
        head.next = moved;
    }

    static void pop_front(Entry &head) {
        if (Entry *second = head.next) {
            head = *second;
            delete second;
        } else {
            head = Entry{};
        }
    }

    static void free_chain(Entry &head) {
        while (Entry *e = head.next) {
            head.next = e->next;
            delete e;
        }
        head = Entry{};
    }

    void grow(uint32_t n) {
        const uint32_t count = grown_bucket_count(n);
        std::vector<Entry> grown(count);
        // Entries move from the front of each old chain to the front of their new chain.
        for (Entry &head : buckets_) {
            if (!head.channel) continue;
            for (const Entry *e = &head; e; e = e->next) push_front(grown[e->hash % count], *e);
            free_chain(head);
        }
        buckets_.swap(grown);
        threshold_ = threshold_for(count);
    }

    std::vector<Entry> buckets_;
    uint32_t entry_count_ = 0;
    uint32_t threshold_;
};

using IdIndex = HashIndex<IdKey>;
using NameIndex = HashIndex<NameKey>;

}  // namespace tagcfg
