// Dialog entry points. Until the dialogs are built they fail as a dialog that cannot be created.
#include "frame/copy_out.h"
#include "frame/handles.h"

extern "C" {

int TAGCFG_CALL tagcfg_select_server(tagcfg_environment *, int, tagcfg_window) { return -1; }

int TAGCFG_CALL tagcfg_select_channel(tagcfg_environment *, int, int, const char *, char *buffer, int size,
                                      tagcfg_window) {
    tagcfg::copy_out(nullptr, buffer, size);
    return -1;
}

tagcfg_itemlist *TAGCFG_CALL tagcfg_select_items(tagcfg_environment *, int, tagcfg_window) { return nullptr; }

}  // extern "C"
