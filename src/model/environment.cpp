#include "model/environment.h"

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
    while (keep > 0 && !env.servers[keep - 1]) --keep;
    env.servers.resize(keep);
}

void clear_environment(Environment &env) {
    env.directory.clear();
    env.base_name.clear();
    env.servers.clear();
    env.unreadable_paths.clear();
}

}  // namespace tagcfg
