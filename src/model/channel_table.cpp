#include "model/channel_table.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "model/channel_store.h"

namespace tagcfg {

namespace {

void remove_channel(ChannelTable &table, Channel *channel, std::vector<ChannelValue> *removed) {
    if (removed) removed->push_back(value_of(*channel));
    table.id_index.remove(channel->channel_id, channel);
    if (!channel->channel_name.empty()) table.name_index.remove(channel->channel_name, channel);
    table.channels.remove(channel);
}

void replace_texts(ChannelTable &table, Channel &channel, std::string_view item_id, std::string_view access_path) {
    channel.item_id = table.texts.store(item_id);
    channel.access_path = table.texts.store(access_path);
}

Channel *append_copy(ChannelTable &table, const ChannelValue &value) {
    Channel *channel = table.channels.append();
    channel->channel_id = value.channel_id;
    channel->channel_name = table.texts.store(value.channel_name);
    replace_texts(table, *channel, value.item_id, value.access_path);
    return channel;
}

// A name-only channel of this name, or null.
Channel *named_channel(const ChannelTable &table, std::string_view name) {
    // The entry knows whether its channel has a number: deciding needs no read of the channel.
    const NameIndex::Found found = table.name_index.find_entry(name);
    return found.channel && !found.key.numbered ? found.channel : nullptr;
}

// lookup_channel, handing out the channel as the table's owner may change it.
Channel *lookup(ServerConfig &config, int32_t channel_id, const char *channel_name) {
    ChannelTable &table = table_of(config);
    if (channel_id >= 0)
        if (Channel *found = table.id_index.find(channel_id)) return found;
    if (!channel_name) return nullptr;
    Channel *found = named_channel(table, channel_name);
    if (!found || channel_id < 0) return found;
    found->channel_id = channel_id;
    table.id_index.insert(channel_id, found);
    table.name_index.refresh(channel_name, found);
    config.modified = true;
    return found;
}

}  // namespace

ChannelValue value_of(const Channel &channel) {
    return {channel.channel_id, channel.channel_name.str(), channel.item_id.str(), channel.access_path.str()};
}

const Channel *lookup_channel(ServerConfig &config, int32_t channel_id, const char *channel_name) {
    return lookup(config, channel_id, channel_name);
}

void store_channel(ServerConfig &config, const ChannelValue &value) {
    if (value.item_id.empty()) {
        erase_channel(config, value.channel_id, value.channel_name.c_str());
        return;
    }
    // A channel with a negative number and no name could never be found, written or removed.
    if (value.channel_id < 0) return;
    ChannelTable &table = table_of(config);
    if (Channel *existing = table.id_index.find(value.channel_id)) {
        if (existing->item_id == value.item_id && existing->access_path == value.access_path) return;
        replace_texts(table, *existing, value.item_id, value.access_path);
        config.modified = true;
        return;
    }
    Channel *added = table.channels.append();
    added->channel_id = value.channel_id;
    replace_texts(table, *added, value.item_id, value.access_path);
    table.id_index.insert(added->channel_id, added);
    config.modified = true;
}

void store_named_channel(ServerConfig &config, const ChannelValue &value) {
    ChannelTable &table = table_of(config);
    if (Channel *existing = named_channel(table, value.channel_name)) {
        if (existing->item_id == value.item_id && existing->access_path == value.access_path) return;
        replace_texts(table, *existing, value.item_id, value.access_path);
    } else {
        Channel *added = append_copy(table, {-1, value.channel_name, value.item_id, value.access_path});
        table.name_index.insert(added->channel_name, added);
    }
    config.modified = true;
}

void erase_channel(ServerConfig &config, int32_t channel_id, const char *channel_name,
                   std::vector<ChannelValue> *removed) {
    ChannelTable &table = table_of(config);
    const size_t before = table.channels.size();
    if (channel_name && *channel_name) {
        // A channel that carries another number stays: numbered channels go by number only.
        for (Channel *channel : table.name_index.find_all(channel_name))
            if (channel->channel_id < 0 || channel->channel_id == channel_id) remove_channel(table, channel, removed);
    }
    while (Channel *channel = table.id_index.find(channel_id)) remove_channel(table, channel, removed);
    // A removal is a change like any other: a save of the changed servers must write it, or the
    // channel would come back at the next load.
    if (table.channels.size() != before) config.modified = true;
}

void clear_marks(ServerConfig &config) {
    ChannelList &channels = table_of(config).channels;
    for (Channel *c = channels.first(); c; c = channels.next(*c)) c->marked = false;
}

const Channel *mark_channel(ServerConfig &config, int32_t channel_id, const char *channel_name) {
    Channel *found = lookup(config, channel_id, channel_name);
    if (found) found->marked = true;
    return found;
}

void sweep_unmarked(ServerConfig &config, Sweep which, std::vector<ChannelValue> *removed) {
    ChannelTable &table = table_of(config);
    for (Channel *c = table.channels.first(); c;) {
        Channel *next = table.channels.next(*c);
        if (!c->marked && (which == Sweep::every_channel || is_binding(*c))) {
            remove_channel(table, c, removed);
            config.modified = true;
        }
        c = next;
    }
}

int32_t find_by_item_id(const ServerConfig &config, const std::string &item_id) {
    for (const Channel &c : config.channels())
        if (c.channel_id >= 0 && c.item_id == item_id) return c.channel_id;
    return -1;
}

std::vector<DuplicateChannels> duplicate_channels(ServerConfig &config) {
    std::vector<DuplicateChannels> groups;
    std::unordered_map<int32_t, size_t> by_number;
    std::unordered_map<std::string_view, size_t> by_name;
    for (const Channel &channel : config.channels()) {
        const Channel *c = &channel;
        if (!is_binding(*c)) continue;
        const size_t next = groups.size();
        const size_t group = c->channel_id >= 0 ? by_number.emplace(c->channel_id, next).first->second
                                                : by_name.emplace(c->channel_name.view(), next).first->second;
        if (group == next) groups.emplace_back();
        groups[group].channels.push_back(c);
    }
    groups.erase(std::remove_if(groups.begin(), groups.end(), [](const auto &g) { return g.channels.size() < 2; }),
                 groups.end());
    const ChannelTable &table = table_of(config);
    for (DuplicateChannels &group : groups) {
        const Channel &first = *group.channels.front();
        group.found =
            first.channel_id >= 0 ? table.id_index.find(first.channel_id) : named_channel(table, first.channel_name);
    }
    return groups;
}

void begin_file_channels(ServerConfig &config, size_t file_size) {
    ChannelTable &table = table_of(config);
    // Each text of a file is shorter than its line, whose line end leaves room for the zero.
    table.texts.begin_file(file_size);
    // A guess from the file's size, which saves most of the vectors' growing.
    table.reading.ids.reserve(file_size / 64);
    table.reading.names.reserve(file_size / 64);
}

void append_file_channel(ServerConfig &config, int32_t channel_id, std::string_view channel_name,
                         std::string_view item_id, std::string_view access_path) {
    ChannelTable &table = table_of(config);
    Channel *channel = table.channels.append();
    channel->channel_id = channel_id;
    channel->channel_name = table.texts.file_text(channel_name);
    channel->item_id = table.texts.file_text(item_id);
    channel->access_path = table.texts.file_text(access_path);
    table.reading.add(channel_id, channel_name, *channel);
}

void index_file_channels(ServerConfig &config) {
    ChannelTable &table = table_of(config);
    if (table.texts.end_file()) {
        // The trimmed block moved: every text of the file goes with it. The names' keys point
        // into the file's own bytes, which the caller keeps until the indexes are built.
        for (Channel *c = table.channels.first(); c; c = table.channels.next(*c)) {
            c->channel_name = table.texts.follow(c->channel_name);
            c->item_id = table.texts.follow(c->item_id);
            c->access_path = table.texts.follow(c->access_path);
        }
    }
    table.id_index.build(table.reading.ids);
    table.name_index.build(table.reading.names);
    table.reading = IndexKeys();
}

void append_channel(ServerConfig &config, const ChannelValue &value) { append_copy(table_of(config), value); }

void rebuild_indexes(ServerConfig &config) {
    ChannelTable &table = table_of(config);
    IndexKeys keys;
    keys.ids.reserve(table.channels.size());
    for (Channel *c = table.channels.first(); c; c = table.channels.next(*c))
        keys.add(c->channel_id, c->channel_name, *c);
    table.id_index.build(keys.ids);
    table.name_index.build(keys.names);
}

void compact_texts(ServerConfig &config) {
    ChannelTable &table = table_of(config);
    auto room = [](const Text &text) { return text.empty() ? 0 : text.size() + 1; };
    size_t live = 0;
    for (const Channel &c : config.channels()) live += room(c.channel_name) + room(c.item_id) + room(c.access_path);
    if (table.texts.held_bytes() - live <= live) return;
    TextArena compacted;
    for (Channel *c = table.channels.first(); c; c = table.channels.next(*c)) {
        c->channel_name = compacted.store(c->channel_name);
        c->item_id = compacted.store(c->item_id);
        c->access_path = compacted.store(c->access_path);
    }
    table.texts = std::move(compacted);
}

size_t text_bytes_held(const ServerConfig &config) { return table_of(config).texts.held_bytes(); }

}  // namespace tagcfg
