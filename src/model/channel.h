// A SCADA channel bound to an OPC item, and the list that keeps a server's channels in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "model/text_arena.h"

namespace tagcfg {

// Its texts point into the arena of the server configuration that lists it. A million of these
// make a loaded project, so the record is kept small: links and its own place are 32-bit numbers.
struct Channel {
    int32_t channel_id = -1;  // negative: known by name only
    // New channels count as in use: one made during a clean-up cycle is not swept by it.
    uint32_t marked : 1;

private:
    friend class ChannelList;
    // Beside the mark, in one 32-bit word with it, then the links: the record takes 16 bytes
    // before its three texts.
    uint32_t index_ : 31;  // its place in the list's blocks, which the indexes name it by
    uint32_t prev_ = 0;    // neighbours in the list, by place (kNone at an end)
    uint32_t next_ = 0;    // (or, once removed, the next free place)

public:
    Text channel_name;
    Text item_id;
    Text access_path;

    Channel() : marked(1), index_(0) {}
};

// Doubly linked, in insertion order. A channel never moves in memory while it is listed, and keeps
// its place, a number the indexes refer to it by. Channels are carved from blocks that the list
// owns, so reading a file of thousands of channels does not allocate each one on its own.
class ChannelList {
public:
    static constexpr uint32_t kNone = UINT32_MAX;

    ChannelList() = default;
    ChannelList(const ChannelList &) = delete;
    ChannelList &operator=(const ChannelList &) = delete;
    ~ChannelList() = default;

    // A new empty channel (number -1, marked) at the end of the list.
    Channel *append();
    void remove(Channel *channel);  // unlinks it; its texts stay in the arena until it is compacted
    void clear();                   // removes every channel and gives the blocks back

    Channel *first() const { return at(head_); }
    Channel *next(const Channel &channel) const { return at(channel.next_); }
    size_t size() const { return count_; }

    static uint32_t place(const Channel &channel) { return channel.index_; }
    // The channel at a place, or null for kNone.
    Channel *at(uint32_t place) const {
        if (place == kNone) return nullptr;
        // Blocks double from 16 channels up to kLargestBlock, then stay that large.
        if (place < kGrowingPlaces) {
            const uint32_t block = 31 - static_cast<uint32_t>(__builtin_clz((place >> 4) + 1));
            return blocks_[block].get() + (place - 16 * ((1u << block) - 1));
        }
        const uint32_t beyond = place - kGrowingPlaces;
        return blocks_[kGrowingBlocks + (beyond >> kLargestShift)].get() + (beyond & (kLargestBlock - 1));
    }

private:
    // Blocks of 65536 channels at most: a few megabytes each, which huge pages can serve.
    static constexpr uint32_t kLargestShift = 16;
    static constexpr uint32_t kLargestBlock = 1u << kLargestShift;
    static constexpr uint32_t kGrowingBlocks = kLargestShift - 4 + 1;  // of 16, 32, ... 65536 channels
    static constexpr uint32_t kGrowingPlaces = 16 * ((1u << kGrowingBlocks) - 1);
    static uint32_t block_size(size_t block) { return block < kGrowingBlocks ? 16u << block : kLargestBlock; }

    uint32_t head_ = kNone;
    uint32_t tail_ = kNone;
    Channel *tail_channel_ = nullptr;  // the channel at tail_, which append links to
    Channel *fresh_ = nullptr;         // the next channel of the last block never handed out
    uint32_t free_ = kNone;            // removed channels, chained through their next place
    uint32_t made_ = 0;                // places handed out so far
    uint32_t capacity_ = 0;            // places in the blocks
    size_t count_ = 0;
    // Raw room for channels: each is made when it is first handed out, so a block is written
    // once, not once empty and again when filled.
    struct FreeBlock {
        void operator()(Channel *block) const { ::operator delete(block); }
    };
    std::vector<std::unique_ptr<Channel, FreeBlock>> blocks_;
};

}  // namespace tagcfg
