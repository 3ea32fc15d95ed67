// The host's entry points. Each resolves its handle and server number, does its work in the
// layers below, and turns every failure, including an exception, into its plain failure value:
// nothing thrown ever crosses into the host.
#include <new>

#include "frame/copy_out.h"
#include "frame/handles.h"
#include "model/channel_table.h"
#include "opc/server_type.h"
#include "storage/config_set.h"

using namespace tagcfg;

namespace {

template <typename Result, typename Work>
Result guarded(Result failure, Work work) {
    try {
        return work();
    } catch (...) {
        return failure;
    }
}

template <typename Work>
void guarded_void(Work work) {
    try {
        work();
    } catch (...) {
    }
}

ServerConfig *server_of(tagcfg_environment *env, int server) {
    return env ? server_at(&env->environment, server) : nullptr;
}

// A length export for a channel's text; a lookup may bind a name-only channel to its number.
template <typename Field>
int channel_text(tagcfg_environment *env, int server, int channel_id, const char *name, char *buffer, int size,
                 Field field) {
    copy_out(nullptr, buffer, size);  // what a failure leaves, also one by exception
    return guarded(0, [&] {
        ServerConfig *config = server_of(env, server);
        const Channel *channel = config ? lookup_channel(*config, channel_id, name) : nullptr;
        return copy_out(channel ? (channel->*field).c_str() : nullptr, buffer, size);
    });
}

}  // namespace

extern "C" {

tagcfg_environment *TAGCFG_CALL tagcfg_init_environment(void) { return new (std::nothrow) tagcfg_environment; }

void TAGCFG_CALL tagcfg_free_environment(tagcfg_environment *env) { delete env; }

void TAGCFG_CALL tagcfg_clear(tagcfg_environment *env) {
    if (env) clear_environment(env->environment);
}

int TAGCFG_CALL tagcfg_load(tagcfg_environment *env, const char *directory, const char *base_name) {
    return guarded(-1, [&] { return env && load_set(env->environment, directory, base_name) ? 0 : -1; });
}

int TAGCFG_CALL tagcfg_save(tagcfg_environment *env, const char *directory, const char *base_name, int, int write_all) {
    return guarded(-1,
                   [&] { return env && save_set(env->environment, directory, base_name, write_all != 0) ? 0 : -1; });
}

int TAGCFG_CALL tagcfg_get_server_name(tagcfg_environment *env, int server, char *buffer, int size) {
    copy_out(nullptr, buffer, size);  // what a failure leaves, also one by exception
    return guarded(0, [&] {
        ServerConfig *config = server_of(env, server);
        return copy_out(config ? config->identity_text().c_str() : nullptr, buffer, size);
    });
}

int TAGCFG_CALL tagcfg_get_server_host(tagcfg_environment *env, int server, char *buffer, int size) {
    copy_out(nullptr, buffer, size);  // what a failure leaves, also one by exception
    return guarded(0, [&] {
        ServerConfig *config = server_of(env, server);
        return copy_out(config ? config->hostname.c_str() : nullptr, buffer, size);
    });
}

int TAGCFG_CALL tagcfg_get_server_type(tagcfg_environment *env, int server, int *type, int *channel_count) {
    return guarded(-1, [&] {
        ServerConfig *config = server_of(env, server);
        if (!config) return -1;
        if (channel_count) *channel_count = static_cast<int>(config->channel_count());
        if (type) {
            *type = 0;
            *type = server_type_of(*config);
        }
        return 0;
    });
}

int TAGCFG_CALL tagcfg_set_server_host(tagcfg_environment *env, int server, const char *host) {
    return guarded(-1, [&] {
        ServerConfig *config = server_of(env, server);
        if (!config || !host) return -1;
        set_server_host(*config, host);
        return 0;
    });
}

int TAGCFG_CALL tagcfg_get_channel_id(tagcfg_environment *env, int server, int channel_id, const char *channel_name,
                                      char *buffer, int size) {
    return channel_text(env, server, channel_id, channel_name, buffer, size, &Channel::item_id);
}

int TAGCFG_CALL tagcfg_get_channel_access_path(tagcfg_environment *env, int server, int channel_id,
                                               const char *channel_name, char *buffer, int size) {
    return channel_text(env, server, channel_id, channel_name, buffer, size, &Channel::access_path);
}

int TAGCFG_CALL tagcfg_remove_channel(tagcfg_environment *env, int server, int channel_id, const char *channel_name) {
    return guarded(-1, [&] {
        ServerConfig *config = server_of(env, server);
        if (!config) return -1;
        erase_channel(*config, channel_id, channel_name);
        return 0;
    });
}

void TAGCFG_CALL tagcfg_add_channel(tagcfg_environment *env, int server, int channel_id, const char *item_id) {
    guarded_void([&] {
        ServerConfig *config = server_of(env, server);
        if (!config || !item_id) return;
        ChannelValue value;
        value.channel_id = channel_id;
        value.item_id = item_id;
        store_channel(*config, value);
    });
}

int TAGCFG_CALL tagcfg_find_channel(tagcfg_environment *env, const char *item_id) {
    return guarded(-1, [&] { return env && item_id ? static_cast<int>(find_channel(env->environment, item_id)) : -1; });
}

void TAGCFG_CALL tagcfg_start_gc(tagcfg_environment *env) {
    if (env) start_gc(env->environment);
}

int TAGCFG_CALL tagcfg_mark_channel(tagcfg_environment *env, int server, int channel_id, const char *channel_name) {
    return guarded(0, [&] {
        ServerConfig *config = server_of(env, server);
        return config && mark_channel(*config, channel_id, channel_name) ? 1 : 0;
    });
}

void TAGCFG_CALL tagcfg_finish_gc(tagcfg_environment *env) {
    if (env) finish_gc(env->environment);
}

int TAGCFG_CALL tagcfg_itemlist_size(tagcfg_itemlist *list) {
    return list ? static_cast<int>(list->item_ids.size()) : 0;
}

int TAGCFG_CALL tagcfg_itemlist_get_id(tagcfg_itemlist *list, int index, char *buffer, int size) {
    const std::string *text = list && index >= 0 && static_cast<size_t>(index) < list->item_ids.size()
                                  ? &list->item_ids[static_cast<size_t>(index)]
                                  : nullptr;
    return copy_out(text ? text->c_str() : nullptr, buffer, size);
}

void TAGCFG_CALL tagcfg_itemlist_free(tagcfg_itemlist *list) { delete list; }

}  // extern "C"
