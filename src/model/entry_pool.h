// Where a hash index keeps the entries behind the front of its chains: blocks that the index
// owns, and a list of entries given back for the next one to take, so that filling and emptying
// an index does not allocate and free each entry on its own.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace tagcfg {

// Entry needs a `next` pointer, which the pool uses while the entry is given back.
template <typename Entry>
class EntryPool {
public:
    EntryPool() = default;
    // Room for `size` entries from the start, so that making that many allocates nothing more.
    explicit EntryPool(size_t size) {
        if (size > 0) add_block(size);
    }

    Entry *make(const Entry &value) {
        Entry *entry = given_back_;
        if (entry) {
            given_back_ = entry->next;
        } else {
            // Each block about as large as the pool so far: n entries need few blocks.
            if (unused_in_last_block_ == 0) add_block(std::max<size_t>(16, held_));
            entry = &blocks_.back()[--unused_in_last_block_];
        }
        *entry = value;
        return entry;
    }

    void give_back(Entry *entry) {
        entry->next = given_back_;
        given_back_ = entry;
    }

    // Every entry goes back to the system.
    void clear() {
        blocks_.clear();
        given_back_ = nullptr;
        unused_in_last_block_ = held_ = 0;
    }

private:
    void add_block(size_t size) {
        blocks_.push_back(std::make_unique<Entry[]>(size));
        unused_in_last_block_ = size;
        held_ += size;
    }

    std::vector<std::unique_ptr<Entry[]>> blocks_;
    Entry *given_back_ = nullptr;  // not owned: into blocks_, chained through `next`
    size_t unused_in_last_block_ = 0;
    size_t held_ = 0;
};

}  // namespace tagcfg
