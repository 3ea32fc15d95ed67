// What a server keeps of its channels, seen only inside the model: the list in table order, the
// arena their texts live in, the two indexes over them, and while a file is read, the index keys
// gathered for building the indexes in one step.
#pragma once

#include <string_view>
#include <vector>

#include "model/channel.h"
#include "model/hash_index.h"
#include "model/server_config.h"
#include "model/text_arena.h"

namespace tagcfg {

// The index keys of channels in list order, gathered while a file is read.
struct IndexKeys {
    std::vector<IdIndex::Pending> ids;
    std::vector<NameIndex::Pending> names;
    void add(int32_t channel_id, std::string_view channel_name, const Channel &channel) {
        const uint32_t place = ChannelList::place(channel);
        if (channel_id >= 0) ids.push_back({channel_id, place, true});
        if (!channel_name.empty()) names.push_back({channel_name, place, channel_id >= 0});
    }
};

class ChannelTable {
public:
    TextArena texts;
    ChannelList channels;
    IdIndex id_index{channels};
    NameIndex name_index{channels};
    IndexKeys reading;  // of the file being read, until its channels are indexed
};

inline ChannelTable &table_of(ServerConfig &config) { return *config.table_; }
inline const ChannelTable &table_of(const ServerConfig &config) { return *config.table_; }

}  // namespace tagcfg
