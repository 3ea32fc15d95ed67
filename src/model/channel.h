// A SCADA channel bound to an OPC item, and the list that keeps a server's channels in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tagcfg {

struct Channel {
    int32_t channel_id = -1;  // negative: known by name only
    std::string channel_name;
    std::string item_id;
    std::string access_path;
    // New channels count as in use: one made during a clean-up cycle is not swept by it.
    bool marked = true;

private:
    friend class ChannelList;
    Channel *prev_ = nullptr;
    Channel *next_ = nullptr;

public:
    Channel *next() const { return next_; }
};

// Doubly linked, in insertion order. A channel never moves in memory while it is listed, so the
// hash indexes can point at it and at its name.
class ChannelList {
public:
    ChannelList() = default;
    ChannelList(const ChannelList &) = delete;
    ChannelList &operator=(const ChannelList &) = delete;
    ~ChannelList() { clear(); }

    Channel *append(std::unique_ptr<Channel> channel);
    void remove(Channel *channel);  // unlinks and destroys
    void clear();

    Channel *first() const { return head_; }
    size_t size() const { return count_; }

private:
    Channel *head_ = nullptr;
    Channel *tail_ = nullptr;
    size_t count_ = 0;
};

}  // namespace tagcfg
