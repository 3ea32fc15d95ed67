#include "model/channel.h"

#include <algorithm>
#include <type_traits>

namespace tagcfg {

// Blocks are given back without running destructors.
static_assert(std::is_trivially_destructible_v<Channel>);

namespace {
constexpr size_t kFirstBlock = 16;
constexpr size_t kLargestBlock = 4096;
}  // namespace

Channel *ChannelList::append() {
    Channel *channel;
    if (free_) {
        channel = free_;
        free_ = free_->next_;
    } else {
        if (unused_in_last_block_ == 0) {
            // Each block about as large as the list so far: a list of n channels needs few blocks.
            size_t size = std::min(kLargestBlock, std::max(kFirstBlock, count_));
            std::unique_ptr<Channel, FreeBlock> block(static_cast<Channel *>(::operator new(size * sizeof(Channel))));
            blocks_.push_back(std::move(block));
            unused_in_last_block_ = size;
            last_block_size_ = size;
        }
        // From the front of the block up: the order the memory is written in, and prefetched.
        channel = new (blocks_.back().get() + (last_block_size_ - unused_in_last_block_--)) Channel;
    }
    // Channels are handed out empty: made now, or emptied by remove().
    channel->next_ = nullptr;
    channel->prev_ = tail_;
    (tail_ ? tail_->next_ : head_) = channel;
    tail_ = channel;
    ++count_;
    return channel;
}

void ChannelList::remove(Channel *channel) {
    (channel->prev_ ? channel->prev_->next_ : head_) = channel->next_;
    (channel->next_ ? channel->next_->prev_ : tail_) = channel->prev_;
    --count_;
    *channel = Channel{};
    channel->next_ = free_;
    free_ = channel;
}

void ChannelList::clear() {
    head_ = tail_ = free_ = nullptr;
    count_ = 0;
    blocks_.clear();
    unused_in_last_block_ = 0;
}

}  // namespace tagcfg
