// Operations on one server's channels. A channel is addressed by its number, or, when it has
// none, by its name; a numbered channel is found only by its number. These are the only ways to
// change a server's channels: the table, its texts and its indexes are the model's own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/server_config.h"

namespace tagcfg {

// A channel's number and texts, as a host or a dialog asks to store them, or as a change found them.
struct ChannelValue {
    int32_t channel_id = -1;
    std::string channel_name;
    std::string item_id;
    std::string access_path;
};

ChannelValue value_of(const Channel &channel);

// A channel with neither a number nor a name is no binding: no lookup reaches it, no save writes it.
inline bool is_binding(const Channel &channel) { return channel.channel_id >= 0 || !channel.channel_name.empty(); }

// Finds a channel. A name-only channel looked up by name with a number gets that number (the
// server becomes modified). A null name stands for a channel without a name.
const Channel *lookup_channel(ServerConfig &config, int32_t channel_id, const char *channel_name);

// Adds a numbered channel, changes its item ID and access path, or, with an empty item ID, erases it.
void store_channel(ServerConfig &config, const ChannelValue &value);

// The same for the channel known by the value's name only: its item ID and access path change, or
// it is added at the end of the table, found by that name. The item ID must not be empty.
void store_named_channel(ServerConfig &config, const ChannelValue &value);

// Removes the channel with this number and the name-only channels with this name; the server
// becomes modified when anything was removed, and `removed` gets what went, in the order it went.
void erase_channel(ServerConfig &config, int32_t channel_id, const char *channel_name,
                   std::vector<ChannelValue> *removed = nullptr);

// A clean-up cycle on one server: marks cleared, channels marked, the unmarked ones removed (with
// bindings_only, the channels that are no binding stay whatever their mark).
enum class Sweep { every_channel, bindings_only };
void clear_marks(ServerConfig &config);
const Channel *mark_channel(ServerConfig &config, int32_t channel_id, const char *channel_name);
void sweep_unmarked(ServerConfig &config, Sweep which = Sweep::every_channel,
                    std::vector<ChannelValue> *removed = nullptr);

// The number of the first numbered channel bound to this item ID, or -1.
int32_t find_by_item_id(const ServerConfig &config, const std::string &item_id);

// The channels of a server that share a number, and the name-only channels that share a name: a
// lookup reaches one of each group only, `found`. Groups in the order of their first channel,
// each group in list order.
struct DuplicateChannels {
    std::vector<const Channel *> channels;
    const Channel *found = nullptr;
};
std::vector<DuplicateChannels> duplicate_channels(ServerConfig &config);

// Filling a server as a file is read: room for the file's texts is taken first, each channel's
// texts are copied there as it is appended, and when the file ends (read whole or not) the room is
// trimmed to what the texts took and the indexes are built, once. The names given to
// append_file_channel must stay readable until then.
void begin_file_channels(ServerConfig &config, size_t file_size);
void append_file_channel(ServerConfig &config, int32_t channel_id, std::string_view channel_name,
                         std::string_view item_id, std::string_view access_path);
void index_file_channels(ServerConfig &config);

// Appends a channel with copies of the value's texts, without index entries, for a table filled
// first and indexed after.
void append_channel(ServerConfig &config, const ChannelValue &value);

// Enters every listed channel into the indexes again, in list order.
void rebuild_indexes(ServerConfig &config);

// Texts that were replaced or whose channel went stay in the arena. When they take more room
// than the live texts, those move into a new arena and the old one goes.
void compact_texts(ServerConfig &config);

// What the server's texts cost: every byte given to texts, dead ones included.
size_t text_bytes_held(const ServerConfig &config);

}  // namespace tagcfg
