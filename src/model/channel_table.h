// Operations on one server's channels. A channel is addressed by its number, or, when it has
// none, by its name; a numbered channel is found only by its number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/server_config.h"

namespace tagcfg {

// What a host or a dialog asks to store for a channel.
struct ChannelValue {
    int32_t channel_id = -1;
    std::string channel_name;
    std::string item_id;
    std::string access_path;
};

// A channel with neither a number nor a name is no binding: no lookup reaches it, no save writes it.
inline bool is_binding(const Channel &channel) { return channel.channel_id >= 0 || !channel.channel_name.empty(); }

// Finds a channel. A name-only channel looked up by name with a number gets that number (the
// server becomes modified). A null name stands for a channel without a name.
Channel *lookup_channel(ServerConfig &config, int32_t channel_id, const char *channel_name);

// Adds a channel, changes its item ID and access path, or, with an empty item ID, erases it.
void store_channel(ServerConfig &config, const ChannelValue &value);

// Removes the channel with this number and the name-only channels with this name; the server
// becomes modified when anything was removed.
void erase_channel(ServerConfig &config, int32_t channel_id, const char *channel_name);

void clear_marks(ServerConfig &config);
Channel *mark_channel(ServerConfig &config, int32_t channel_id, const char *channel_name);
void sweep_unmarked(ServerConfig &config);

// The number of the first numbered channel bound to this item ID, or -1.
int32_t find_by_item_id(const ServerConfig &config, const std::string &item_id);

// The channels of a server that share a number, and the name-only channels that share a name: a
// lookup reaches one of each group only. Groups in the order of their first channel, each group
// in list order.
std::vector<std::vector<const Channel *>> duplicate_channels(const ServerConfig &config);

// The index keys of channels in list order, gathered while a file is read, so that the indexes
// are built in one step without walking the list again.
struct IndexKeys {
    std::vector<IdIndex::Pending> ids;
    std::vector<NameIndex::Pending> names;
    // The channel's number and name, as it holds them.
    void add(int32_t channel_id, std::string_view channel_name, Channel *channel) {
        if (channel_id >= 0) ids.push_back({channel_id, channel});
        if (!channel_name.empty()) names.push_back({channel_name, channel});
    }
};

// Empties the indexes and enters the keys, in their order.
void build_indexes(ServerConfig &config, const IndexKeys &keys);

// Enters every listed channel into the indexes again, in list order.
void rebuild_indexes(ServerConfig &config);

// Appends a channel with copies of the value's texts, as a file read in gives it, without index
// entries: the indexes are rebuilt once the whole file is read.
Channel *append_parsed_channel(ServerConfig &config, const ChannelValue &value);

// Gives the channel copies of these texts; the old ones stay dead in the arena.
void replace_texts(ServerConfig &config, Channel &channel, std::string_view item_id, std::string_view access_path);

// Texts that were replaced or whose channel went stay in the arena. When they take more room
// than the live texts, those move into a new arena and the old one goes.
void compact_texts(ServerConfig &config);

}  // namespace tagcfg
