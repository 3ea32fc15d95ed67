// Dialog entry points: each runs its dialog modally over the host's window and hands back what
// the user chose. Where no dialog can be created they fail with their plain failure values.
#include <memory>

#include "dialogs/channel_setup_dialog.h"
#include "dialogs/dialog_host.h"
#include "dialogs/item_selection_dialog.h"
#include "dialogs/server_list_dialog.h"
#include "frame/copy_out.h"
#include "frame/handles.h"

using namespace tagcfg;

extern "C" {

int TAGCFG_CALL tagcfg_select_server(tagcfg_environment *env, int server, tagcfg_window parent) {
    try {
        if (!env) return -1;
        ServerListDialog dialog(env->environment, server);
        if (run_dialog(dialog, parent) != ui::kIdOk) return -1;
        return dialog.server_number();
    } catch (...) {
        return -1;
    }
}

int TAGCFG_CALL tagcfg_select_channel(tagcfg_environment *env, int server, int channel_id, const char *channel_name,
                                      char *buffer, int size, tagcfg_window parent) {
    copy_out(nullptr, buffer, size);
    try {
        ServerConfig *config = env ? server_at(&env->environment, server) : nullptr;
        if (!config || !channel_name) return -1;
        ChannelSetupDialog dialog(server, *config, channel_id, channel_name);
        if (run_dialog(dialog, parent) != ui::kIdOk) return -1;
        return copy_out(dialog.item_id(), buffer, size);
    } catch (...) {
        return -1;
    }
}

tagcfg_itemlist *TAGCFG_CALL tagcfg_select_items(tagcfg_environment *env, int server, tagcfg_window parent) {
    try {
        ServerConfig *config = env ? server_at(&env->environment, server) : nullptr;
        if (!config) return nullptr;
        auto list = std::make_unique<tagcfg_itemlist>();
        ItemSelectionDialog dialog(*config, list->item_ids);
        if (run_dialog(dialog, parent) != ui::kIdOk) return nullptr;
        return list.release();
    } catch (...) {
        return nullptr;
    }
}

}  // extern "C"
