// A SCADA channel bound to an OPC item, and the list that keeps a server's channels in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "model/text_arena.h"

namespace tagcfg {

// Its texts are views into the arena of the server configuration that lists it.
struct Channel {
    int32_t channel_id = -1;  // negative: known by name only
    // New channels count as in use: one made during a clean-up cycle is not swept by it.
    bool marked = true;
    Text channel_name;
    Text item_id;
    Text access_path;

private:
    friend class ChannelList;
    Channel *prev_ = nullptr;  // not owned: neighbours in the same list's blocks
    Channel *next_ = nullptr;  // (or, once removed, the next free channel)

public:
    const Channel *next() const { return next_; }
};

// Doubly linked, in insertion order. A channel never moves in memory while it is listed, so the
// hash indexes can point at it and at its name. Channels are carved from blocks that the list
// owns, so reading a file of thousands of channels does not allocate each one on its own.
class ChannelList {
public:
    ChannelList() = default;
    ChannelList(const ChannelList &) = delete;
    ChannelList &operator=(const ChannelList &) = delete;
    ~ChannelList() = default;

    // A new empty channel (number -1, marked) at the end of the list.
    Channel *append();
    void remove(Channel *channel);  // unlinks it; its texts stay in the arena until it is compacted
    void clear();                   // removes every channel and gives the blocks back

    Channel *first() const { return head_; }
    // The channel behind this one, as the list's owner may change it.
    static Channel *next(Channel *channel) { return channel->next_; }
    size_t size() const { return count_; }

private:
    // head_, tail_ and free_ point into blocks_, which the list owns.
    Channel *head_ = nullptr;
    Channel *tail_ = nullptr;
    size_t count_ = 0;
    Channel *free_ = nullptr;  // removed channels, chained through their next pointer
    // Raw room for channels: each is made when it is first handed out, so a block is written
    // once, not once empty and again when filled.
    struct FreeBlock {
        void operator()(Channel *block) const { ::operator delete(block); }
    };
    std::vector<std::unique_ptr<Channel, FreeBlock>> blocks_;
    size_t unused_in_last_block_ = 0;
    size_t last_block_size_ = 0;
};

}  // namespace tagcfg
