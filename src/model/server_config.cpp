#include "model/server_config.h"

#include "model/channel_store.h"
#include "platform/com.h"

namespace tagcfg {

ServerConfig::ServerConfig() : table_(std::make_unique<ChannelTable>()) {}

ServerConfig::~ServerConfig() { reset_server(*this); }

ChannelRange ServerConfig::channels() const { return ChannelRange(table_->channels); }

size_t ServerConfig::channel_count() const { return table_->channels.size(); }

void disconnect_server(ServerConfig &config) {
    if (config.server_object) {
        platform::release_server_object(config.server_object);
        config.server_object = nullptr;
    }
}

void reset_server(ServerConfig &config) {
    disconnect_server(config);
    ChannelTable &table = table_of(config);
    table.id_index.clear();
    table.name_index.clear();
    table.reading = IndexKeys();
    config.clsid.clear();
    config.progid.clear();
    config.hostname.clear();
    config.channel_format.clear();
    config.description.clear();
    table.channels.clear();
    table.texts.clear();
    config.modified = false;
}

}  // namespace tagcfg
