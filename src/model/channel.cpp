#include "model/channel.h"

namespace tagcfg {

Channel *ChannelList::append(std::unique_ptr<Channel> owned) {
    Channel *channel = owned.release();
    channel->prev_ = tail_;
    channel->next_ = nullptr;
    (tail_ ? tail_->next_ : head_) = channel;
    tail_ = channel;
    ++count_;
    return channel;
}

void ChannelList::remove(Channel *channel) {
    (channel->prev_ ? channel->prev_->next_ : head_) = channel->next_;
    (channel->next_ ? channel->next_->prev_ : tail_) = channel->prev_;
    --count_;
    delete channel;
}

void ChannelList::clear() {
    while (head_) remove(head_);
}

}  // namespace tagcfg
