#include "model/environment.h"

#include <algorithm>

#include "model/channel_table.h"

namespace tagcfg {

ServerConfig *server_at(const Environment *env, int number) {
    if (!env || number < 0 || static_cast<size_t>(number) >= env->servers.size()) return nullptr;
    return env->servers[static_cast<size_t>(number)].get();
}

void remove_server(Environment &env, int number) {
    if (number < 0 || static_cast<size_t>(number) >= env.servers.size()) return;
    env.servers[static_cast<size_t>(number)].reset();
    if (static_cast<size_t>(number) + 1 != env.servers.size()) return;
    size_t keep = static_cast<size_t>(number);
    while (keep > env.kept_slots && !env.servers[keep - 1]) --keep;
    env.servers.resize(std::max(keep, std::min(env.kept_slots, env.servers.size())));
}

void set_server_host(ServerConfig &config, const std::string &host) {
    if (config.hostname == host) return;
    disconnect_server(config);
    config.hostname = host;
    config.modified = true;
}

int32_t find_channel(const Environment &env, const std::string &item_id) {
    for (const auto &slot : env.servers)
        if (slot)
            if (const int32_t found = find_by_item_id(*slot, item_id); found >= 0) return found;
    return -1;
}

void start_gc(Environment &env) {
    for (const auto &slot : env.servers)
        if (slot) clear_marks(*slot);
}

void finish_gc(Environment &env) {
    for (const auto &slot : env.servers)
        if (slot) sweep_unmarked(*slot);
}

void clear_environment(Environment &env) {
    env.directory.clear();
    env.base_name.clear();
    env.servers.clear();
    env.unreadable_paths.clear();
    env.kept_slots = 0;
}

}  // namespace tagcfg
