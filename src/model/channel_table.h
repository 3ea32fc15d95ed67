// Operations on one server's channels. A channel is addressed by its number, or, when it has
// none, by its name; a numbered channel is found only by its number.
#pragma once

#include <cstdint>
#include <string>

#include "model/server_config.h"

namespace tagcfg {

// What a host or a dialog asks to store for a channel.
struct ChannelValue {
    int32_t channel_id = -1;
    std::string channel_name;
    std::string item_id;
    std::string access_path;
};

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

// Enters every listed channel into the indexes again, in list order.
void rebuild_indexes(ServerConfig &config);

// Appends a channel read from a file; the indexes are rebuilt once the whole file is read.
void append_parsed_channel(ServerConfig &config, ChannelValue value);

}  // namespace tagcfg
