#include "model/channel.h"

#include <type_traits>

#include "platform/pages.h"

namespace tagcfg {

// Blocks are given back without running destructors.
static_assert(std::is_trivially_destructible_v<Channel>);
// A million of them make a loaded project: 16 bytes of number, mark and links, and three pointers.
static_assert(sizeof(Channel) == 16 + 3 * sizeof(void *));

Channel *ChannelList::append() {
    Channel *channel;
    if (free_ != kNone) {
        channel = at(free_);
        free_ = channel->next_;
    } else {
        const uint32_t place = made_++;
        if (place == capacity_) {
            const uint32_t size = block_size(blocks_.size());
            blocks_.emplace_back(static_cast<Channel *>(::operator new(size * sizeof(Channel))));
            platform::advise_huge_pages(blocks_.back().get(), size * sizeof(Channel));
            fresh_ = blocks_.back().get();
            capacity_ += size;
        }
        // From the front of the block up: the order the memory is written in, and prefetched.
        channel = new (fresh_++) Channel;
        channel->index_ = place;
    }
    // Channels are handed out empty: made now, or emptied by remove().
    channel->next_ = kNone;
    channel->prev_ = tail_;
    if (tail_channel_) tail_channel_->next_ = channel->index_;
    else head_ = channel->index_;
    tail_ = channel->index_;
    tail_channel_ = channel;
    ++count_;
    return channel;
}

void ChannelList::remove(Channel *channel) {
    if (channel->prev_ != kNone) at(channel->prev_)->next_ = channel->next_;
    else head_ = channel->next_;
    if (channel->next_ != kNone) {
        at(channel->next_)->prev_ = channel->prev_;
    } else {
        tail_ = channel->prev_;
        tail_channel_ = at(tail_);
    }
    --count_;
    const uint32_t place = channel->index_;
    *channel = Channel{};
    channel->index_ = place;
    channel->next_ = free_;
    free_ = place;
}

void ChannelList::clear() {
    head_ = tail_ = free_ = kNone;
    tail_channel_ = fresh_ = nullptr;
    made_ = capacity_ = 0;
    count_ = 0;
    blocks_.clear();
}

}  // namespace tagcfg
