#include "model/server_config.h"

#include "platform/com.h"

namespace tagcfg {

ServerConfig::~ServerConfig() { reset_server(*this); }

void disconnect_server(ServerConfig &config) {
    if (config.server_object) {
        platform::release_server_object(config.server_object);
        config.server_object = nullptr;
    }
}

void reset_server(ServerConfig &config) {
    disconnect_server(config);
    config.id_index.clear();
    config.name_index.clear();
    config.clsid.clear();
    config.progid.clear();
    config.hostname.clear();
    config.channel_format.clear();
    config.description.clear();
    config.channels.clear();
    config.texts.clear();
    config.modified = false;
}

}  // namespace tagcfg
