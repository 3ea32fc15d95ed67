// Where a hash index keeps the entries behind the front of its chains: one array that the index
// owns, with entries named by their 32-bit place in it, and a list of entries given back for the
// next one to take. Places rather than pointers keep an entry small, and let the array move.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tagcfg {

// Entry needs a 32-bit `next`, which the pool uses while the entry is given back.
template <typename Entry>
class EntryPool {
public:
    static constexpr uint32_t kEnd = UINT32_MAX;

    EntryPool() = default;
    // Room for `size` entries from the start, so that making that many allocates nothing more.
    explicit EntryPool(size_t size) { entries_.reserve(size); }

    uint32_t make(const Entry &value) {
        if (given_back_ == kEnd) {
            entries_.push_back(value);
            return static_cast<uint32_t>(entries_.size() - 1);
        }
        const uint32_t place = given_back_;
        given_back_ = entries_[place].next;
        entries_[place] = value;
        return place;
    }

    Entry &operator[](uint32_t place) { return entries_[place]; }
    const Entry &operator[](uint32_t place) const { return entries_[place]; }

    void give_back(uint32_t place) {
        entries_[place].next = given_back_;
        given_back_ = place;
    }

    // Every entry goes back to the system.
    void clear() {
        std::vector<Entry>().swap(entries_);
        given_back_ = kEnd;
    }

private:
    std::vector<Entry> entries_;
    uint32_t given_back_ = kEnd;  // chained through `next`
};

}  // namespace tagcfg
