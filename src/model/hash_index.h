// Chained hash index over a server's channels. Buckets come from a table of primes; the index
// grows to roughly twice its size when it is 75 % full; new entries go to the front of their
// chain and a search takes the first equal key, so among equal keys the newest wins (until a
// growth, which reverses the order of entries that move from one chain into one chain).
// Every entry keeps its hash (a number is its own), so growing never rehashes a text and a
// search compares texts only when the hashes agree.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "model/channel.h"
#include "model/entry_pool.h"

namespace tagcfg {

// The hash of channel names: a multiplicative hash over signed bytes, sampling every
// (length / 8)-th byte from the end for texts of 16 bytes or more. Inline: every lookup by name
// starts with it, and at a million names the fewer instructions a lookup takes, the more of the
// next lookup's cache miss overlaps with this one's.
inline uint32_t text_hash(std::string_view text) {
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

// The bucket count for an index asked to grow to n buckets.
uint32_t grown_bucket_count(uint32_t n);

// The entry count at which an index of this many buckets grows: 75 % full.
inline uint32_t growth_threshold_for(uint32_t buckets) { return static_cast<uint32_t>(uint64_t{buckets} * 75 / 100); }

constexpr uint32_t kInitialBucketCount = 13;

// hash % divisor by two multiplications instead of a division, exact for every 32-bit hash and
// divisor (Lemire, Kaser and Kurz, "Faster remainder by direct computation", 2019): every search
// and every entry a growth moves finds its bucket, and a division takes far longer than these.
class Remainder {
public:
    explicit Remainder(uint32_t divisor) : divisor_(divisor), inverse_(UINT64_MAX / divisor + 1) {}
    uint32_t operator()(uint32_t hash) const {
        const uint64_t fraction = inverse_ * hash;
        // The top 64 bits of the 96-bit fraction * divisor, from products that fit in 64 bits.
        const uint64_t low = ((fraction & 0xFFFFFFFFu) * divisor_) >> 32;
        return static_cast<uint32_t>(((fraction >> 32) * divisor_ + low) >> 32);
    }

private:
    uint32_t divisor_;
    uint64_t inverse_;  // 2^64 / divisor, rounded up
};

// The chains that entering keys of these hashes one by one would leave in an index of this bucket
// count and growth threshold, as entry numbers (the positions of the hashes).
struct ChainPlan {
    static constexpr uint32_t kEnd = UINT32_MAX;
    uint32_t bucket_count = 0;  // reached by the growths on the way
    uint32_t threshold = 0;
    std::vector<uint32_t> heads;  // per bucket, the entry in front, or kEnd
    std::vector<uint32_t> next;   // per entry, the one behind it, or kEnd
    uint32_t pooled = 0;          // entries behind the front of their chain, which the pool holds
};
ChainPlan plan_chains(const std::vector<uint32_t> &hashes, uint32_t bucket_count, uint32_t threshold);

// Key of the id index: the channel number, which is its own hash (its bit pattern).
struct IdKey {
    using Lookup = int32_t;
    using Stored = int32_t;
    static uint32_t hash(Lookup key) { return static_cast<uint32_t>(key); }
    static Stored stored(Lookup key, uint32_t) { return key; }
    static void take_state(Stored &, bool) {}
    static uint32_t stored_hash(Stored stored) { return static_cast<uint32_t>(stored); }
    static bool equal(Stored stored, Lookup, Stored wanted, const ChannelList &, uint32_t) { return stored == wanted; }
};

// What a name entry keeps of its channel's name, which stays where it is in the server's arena
// and is not copied: its hash and length, and a name cache of its first 8 and its last 8 bytes.
// The cache lets a search pass over other names without reading them, and decide a name of up
// to 16 bytes without reading it at all (at a million channels, that read is a second cache miss
// as costly as the bucket). With the channel's numbered state beside it, a lookup by name of such
// a name touches the bucket only. Nothing outside the index can see the cache.
struct NameEntryKey {
    uint32_t hash = 0;
    uint32_t size : 31;
    // The channel has a number. Only binding a name-only channel changes a listed channel's
    // number, and it refreshes the entry (HashIndex::refresh).
    uint32_t numbered : 1;
    uint64_t first_bytes = 0;  // zero-padded
    uint64_t last_bytes = 0;   // those of a name longer than 8 bytes, else zero
    NameEntryKey() : size(0), numbered(0) {}
};

// Key of the name index: the channel's name text.
struct NameKey {
    using Lookup = std::string_view;
    using Stored = NameEntryKey;
    static uint32_t hash(Lookup key) { return text_hash(key); }
    static Stored stored(Lookup key, uint32_t hash) {
        NameEntryKey stored;
        stored.hash = hash;
        stored.size = static_cast<uint32_t>(key.size());
        if (key.size() >= 8) {
            std::memcpy(&stored.first_bytes, key.data(), 8);
            if (key.size() > 8) std::memcpy(&stored.last_bytes, key.data() + key.size() - 8, 8);
        } else {
            char first[8] = {};
            for (size_t i = 0; i < key.size(); ++i) first[i] = key[i];
            std::memcpy(&stored.first_bytes, first, 8);
        }
        return stored;
    }
    static void take_state(Stored &stored, bool numbered) { stored.numbered = numbered; }
    static uint32_t stored_hash(const Stored &stored) { return stored.hash; }
    static bool equal(const Stored &stored, Lookup key, const Stored &wanted, const ChannelList &channels,
                      uint32_t place) {
        if (stored.hash != wanted.hash || stored.size != wanted.size || stored.first_bytes != wanted.first_bytes ||
            stored.last_bytes != wanted.last_bytes)
            return false;
        // Only the middle of a name longer than the cache is read, from the channel's own name.
        return key.size() <= 16 ||
               std::memcmp(channels.at(place)->channel_name.data() + 8, key.data() + 8, key.size() - 16) == 0;
    }
};

template <typename Key>
class HashIndex {
public:
    using Lookup = typename Key::Lookup;

    // Over the channels of this list, which it names by their places.
    explicit HashIndex(const ChannelList &channels)
        : channels_(channels), buckets_(kInitialBucketCount), bucket_of_(kInitialBucketCount),
          threshold_(growth_threshold_for(kInitialBucketCount)) {}
    HashIndex(const HashIndex &) = delete;
    HashIndex &operator=(const HashIndex &) = delete;
    ~HashIndex() = default;

    void insert(Lookup key, Channel *channel) {
        if (entry_count_ >= threshold_) grow(2 * bucket_count());
        const uint32_t hash = Key::hash(key);
        Entry entry{Key::stored(key, hash), ChannelList::place(*channel), kEnd};
        Key::take_state(entry.key, channel->channel_id >= 0);
        push_front(pool_, buckets_[bucket_of_(hash)], entry);
        ++entry_count_;
    }

    // What build() enters, in the order insert() would have been called: a key of the channel at
    // a place of the list, and whether that channel has a number. The channel is not read again.
    struct Pending {
        Lookup key;
        uint32_t place;
        bool numbered;
    };

    // Empties the index, then enters every pending key as insert() one by one would: the same
    // bucket counts reached and the same chain order, but the bucket array is allocated once, at
    // its final size, and each entry is written once, where it stays.
    void build(const std::vector<Pending> &pending) {
        std::vector<uint32_t> hashes(pending.size());
        for (size_t i = 0; i < pending.size(); ++i) hashes[i] = Key::hash(pending[i].key);
        const ChainPlan plan = plan_chains(hashes, bucket_count(), threshold_);
        // Everything is allocated before the index changes: a failed allocation leaves it as it was.
        std::vector<Entry> built(plan.bucket_count);
        EntryPool<Entry> pool(plan.pooled);
        for (uint32_t b = 0; b < plan.bucket_count; ++b) {
            uint32_t e = plan.heads[b];
            if (e == ChainPlan::kEnd) continue;
            for (Entry *entry = &built[b];;) {
                entry->key = Key::stored(pending[e].key, hashes[e]);
                entry->channel = pending[e].place;
                Key::take_state(entry->key, pending[e].numbered);
                if ((e = plan.next[e]) == ChainPlan::kEnd) break;
                entry->next = pool.make(Entry{});  // reserved: makes nothing move
                entry = &pool[entry->next];
            }
        }
        buckets_.swap(built);
        pool_ = std::move(pool);
        bucket_of_ = Remainder(plan.bucket_count);
        threshold_ = plan.threshold;
        entry_count_ = static_cast<uint32_t>(pending.size());
    }

    // The first entry with an equal key: its channel, and what the entry keeps of it.
    struct Found {
        Channel *channel = nullptr;
        typename Key::Stored key{};
    };
    Found find_entry(Lookup key) const {
        const uint32_t hash = Key::hash(key);
        const typename Key::Stored wanted = Key::stored(key, hash);
        for (const Entry *e = first(hash); e; e = after(*e))
            if (Key::equal(e->key, key, wanted, channels_, e->channel)) return {channels_.at(e->channel), e->key};
        return {};
    }

    // The channel of the first entry with an equal key.
    Channel *find(Lookup key) const { return find_entry(key).channel; }

    // The entries under an equal key that refer to this channel take in its changed state.
    void refresh(Lookup key, const Channel *channel) {
        const uint32_t hash = Key::hash(key), place = ChannelList::place(*channel);
        const typename Key::Stored wanted = Key::stored(key, hash);
        for (Entry *e = &buckets_[bucket_of_(hash)]; e && e->channel != kNoChannel; e = after(*e))
            if (e->channel == place && Key::equal(e->key, key, wanted, channels_, place))
                Key::take_state(e->key, channel->channel_id >= 0);
    }

    // Every channel under an equal key, front of the chain first.
    std::vector<Channel *> find_all(Lookup key) const {
        std::vector<Channel *> found;
        const uint32_t hash = Key::hash(key);
        const typename Key::Stored wanted = Key::stored(key, hash);
        for (const Entry *e = first(hash); e; e = after(*e))
            if (Key::equal(e->key, key, wanted, channels_, e->channel)) found.push_back(channels_.at(e->channel));
        return found;
    }

    // Removes the entries under an equal key that refer to this channel.
    void remove(Lookup key, const Channel *channel) {
        const uint32_t hash = Key::hash(key), place = ChannelList::place(*channel);
        const typename Key::Stored wanted = Key::stored(key, hash);
        auto matches = [&](const Entry &e) {
            return e.channel == place && Key::equal(e.key, key, wanted, channels_, place);
        };
        Entry &head = buckets_[bucket_of_(hash)];
        while (head.channel != kNoChannel && matches(head)) {
            pop_front(head);
            --entry_count_;
        }
        if (head.channel == kNoChannel) return;
        for (uint32_t *link = &head.next; *link != kEnd;) {
            const uint32_t e = *link;
            if (matches(pool_[e])) {
                *link = pool_[e].next;
                pool_.give_back(e);
                --entry_count_;
            } else {
                link = &pool_[e].next;
            }
        }
    }

    // Frees every entry; the bucket count and threshold stay.
    void clear() {
        std::fill(buckets_.begin(), buckets_.end(), Entry{});
        pool_.clear();
        entry_count_ = 0;
    }

    uint32_t bucket_count() const { return static_cast<uint32_t>(buckets_.size()); }
    uint32_t entry_count() const { return entry_count_; }
    uint32_t growth_threshold() const { return threshold_; }

    // The channels of one chain, front first: lets tests see the chain order.
    std::vector<Channel *> chain(uint32_t bucket) const {
        std::vector<Channel *> channels;
        const Entry &head = buckets_[bucket];
        for (const Entry *e = head.channel != kNoChannel ? &head : nullptr; e; e = after(*e))
            channels.push_back(channels_.at(e->channel));
        return channels;
    }

private:
    static constexpr uint32_t kEnd = EntryPool<int>::kEnd;
    static constexpr uint32_t kNoChannel = ChannelList::kNone;

    // The front entry of each chain lives in the bucket array itself (an empty bucket has no
    // channel), so a search that hits the front touches one bucket and no separate entry. The key
    // first: a search compares it, and reads the channel only on a match. The channel and the
    // entry behind are named by their places: 12 bytes an entry for a number.
    struct Entry {
        typename Key::Stored key{};
        uint32_t channel = kNoChannel;  // a channel of the server's list, unindexed before it goes
        uint32_t next = kEnd;           // in pool_
    };

    const Entry *first(uint32_t hash) const {
        const Entry &head = buckets_[bucket_of_(hash)];
        return head.channel != kNoChannel ? &head : nullptr;
    }
    const Entry *after(const Entry &entry) const { return entry.next != kEnd ? &pool_[entry.next] : nullptr; }
    Entry *after(const Entry &entry) { return entry.next != kEnd ? &pool_[entry.next] : nullptr; }

    // The entry goes in front of the chain; the one there before moves into the pool.
    static void push_front(EntryPool<Entry> &pool, Entry &head, const Entry &entry) {
        const uint32_t moved = head.channel != kNoChannel ? pool.make(head) : kEnd;
        head = entry;
        head.next = moved;
    }

    void pop_front(Entry &head) {
        if (head.next != kEnd) {
            const uint32_t second = head.next;
            head = pool_[second];
            pool_.give_back(second);
        } else {
            head = Entry{};
        }
    }

    void grow(uint32_t n) {
        const uint32_t count = grown_bucket_count(n);
        const Remainder bucket_of(count);
        std::vector<Entry> grown(count);
        EntryPool<Entry> pool;
        // Entries move from the front of each old chain to the front of their new chain.
        for (const Entry &head : buckets_) {
            if (head.channel == kNoChannel) continue;
            for (const Entry *e = &head; e; e = after(*e))
                push_front(pool, grown[bucket_of(Key::stored_hash(e->key))], *e);
        }
        buckets_.swap(grown);
        pool_ = std::move(pool);
        bucket_of_ = bucket_of;
        threshold_ = growth_threshold_for(count);
    }

    const ChannelList &channels_;  // not owned: the list of the server whose channels are indexed
    std::vector<Entry> buckets_;
    EntryPool<Entry> pool_;  // the entries behind the chains' fronts
    Remainder bucket_of_;    // of the bucket count
    uint32_t entry_count_ = 0;
    uint32_t threshold_;
};

using IdIndex = HashIndex<IdKey>;
using NameIndex = HashIndex<NameKey>;

}  // namespace tagcfg
