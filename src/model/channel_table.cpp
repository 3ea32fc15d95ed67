#include "model/channel_table.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace tagcfg {

namespace {

void remove_channel(ServerConfig &config, Channel *channel) {
    config.id_index.remove(channel->channel_id, channel);
    if (!channel->channel_name.empty()) config.name_index.remove(channel->channel_name, channel);
    config.channels.remove(channel);
}

}  // namespace

Channel *lookup_channel(ServerConfig &config, int32_t channel_id, const char *channel_name) {
    if (channel_id >= 0)
        if (Channel *found = config.id_index.find(channel_id)) return found;
    if (!channel_name) return nullptr;
    // The entry knows whether its channel has a number: deciding needs no read of the channel.
    const NameIndex::Found found = config.name_index.find_entry(channel_name);
    if (!found.channel || found.key.numbered) return nullptr;
    if (channel_id < 0) return found.channel;
    found.channel->channel_id = channel_id;
    config.id_index.insert(channel_id, found.channel);
    config.name_index.refresh(channel_name, found.channel);
    config.modified = true;
    return found.channel;
}

void store_channel(ServerConfig &config, const ChannelValue &value) {
    if (value.item_id.empty()) {
        erase_channel(config, value.channel_id, value.channel_name.c_str());
        return;
    }
    // A channel with a negative number and no name could never be found, written or removed.
    if (value.channel_id < 0) return;
    if (Channel *existing = config.id_index.find(value.channel_id)) {
        if (existing->item_id == value.item_id && existing->access_path == value.access_path) return;
        replace_texts(config, *existing, value.item_id, value.access_path);
        config.modified = true;
        return;
    }
    Channel *added = config.channels.append();
    added->channel_id = value.channel_id;
    replace_texts(config, *added, value.item_id, value.access_path);
    config.id_index.insert(added->channel_id, added);
    config.modified = true;
}

void erase_channel(ServerConfig &config, int32_t channel_id, const char *channel_name) {
    const size_t before = config.channels.size();
    if (channel_name && *channel_name) {
        // A channel that carries another number stays: numbered channels go by number only.
        for (Channel *channel : config.name_index.find_all(channel_name))
            if (channel->channel_id < 0 || channel->channel_id == channel_id) remove_channel(config, channel);
    }
    while (Channel *channel = config.id_index.find(channel_id)) remove_channel(config, channel);
    // A removal is a change like any other: a save of the changed servers must write it, or the
    // channel would come back at the next load.
    if (config.channels.size() != before) config.modified = true;
}

void clear_marks(ServerConfig &config) {
    for (Channel *c = config.channels.first(); c; c = c->next()) c->marked = false;
}

Channel *mark_channel(ServerConfig &config, int32_t channel_id, const char *channel_name) {
    Channel *channel = lookup_channel(config, channel_id, channel_name);
    if (channel) channel->marked = true;
    return channel;
}

void sweep_unmarked(ServerConfig &config) {
    for (Channel *c = config.channels.first(); c;) {
        Channel *next = c->next();
        if (!c->marked) {
            remove_channel(config, c);
            config.modified = true;
        }
        c = next;
    }
}

int32_t find_by_item_id(const ServerConfig &config, const std::string &item_id) {
    for (Channel *c = config.channels.first(); c; c = c->next())
        if (c->channel_id >= 0 && c->item_id == item_id) return c->channel_id;
    return -1;
}

std::vector<std::vector<const Channel *>> duplicate_channels(const ServerConfig &config) {
    std::vector<std::vector<const Channel *>> groups;
    std::unordered_map<int32_t, size_t> by_number;
    std::unordered_map<std::string_view, size_t> by_name;
    for (const Channel *c = config.channels.first(); c; c = c->next()) {
        if (c->channel_id < 0 && c->channel_name.empty()) continue;
        const size_t next = groups.size();
        const size_t group = c->channel_id >= 0 ? by_number.emplace(c->channel_id, next).first->second
                                                : by_name.emplace(c->channel_name.view(), next).first->second;
        if (group == next) groups.emplace_back();
        groups[group].push_back(c);
    }
    groups.erase(std::remove_if(groups.begin(), groups.end(), [](const auto &group) { return group.size() < 2; }),
                 groups.end());
    return groups;
}

void build_indexes(ServerConfig &config, const IndexKeys &keys) {
    config.id_index.build(keys.ids);
    config.name_index.build(keys.names);
}

void rebuild_indexes(ServerConfig &config) {
    IndexKeys keys;
    keys.ids.reserve(config.channels.size());
    for (Channel *c = config.channels.first(); c; c = c->next()) keys.add(c->channel_id, c->channel_name, c);
    build_indexes(config, keys);
}

Channel *append_parsed_channel(ServerConfig &config, const ChannelValue &value) {
    Channel *channel = config.channels.append();
    channel->channel_id = value.channel_id;
    channel->channel_name = config.texts.store(value.channel_name);
    replace_texts(config, *channel, value.item_id, value.access_path);
    return channel;
}

void replace_texts(ServerConfig &config, Channel &channel, std::string_view item_id, std::string_view access_path) {
    channel.item_id = config.texts.store(item_id);
    channel.access_path = config.texts.store(access_path);
}

void compact_texts(ServerConfig &config) {
    auto room = [](const Text &text) { return text.empty() ? 0 : text.size() + 1; };
    size_t live = 0;
    for (const Channel *c = config.channels.first(); c; c = c->next())
        live += room(c->channel_name) + room(c->item_id) + room(c->access_path);
    if (config.texts.held_bytes() - live <= live) return;
    TextArena compacted;
    for (Channel *c = config.channels.first(); c; c = c->next()) {
        c->channel_name = compacted.store(c->channel_name);
        c->item_id = compacted.store(c->item_id);
        c->access_path = compacted.store(c->access_path);
    }
    config.texts = std::move(compacted);
}

}  // namespace tagcfg
