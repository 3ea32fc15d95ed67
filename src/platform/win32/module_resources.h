// What the platform's windows take from the library's module: the module instance, which holds
// every dialog template and string, and the shared image list that every tree and list view
// shows. Library load hands both over and library unload takes them back; the platform owns
// neither.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace tagcfg::ui {

void set_module_resources(HINSTANCE instance, HIMAGELIST shared_images);

HINSTANCE module_instance();
HIMAGELIST shared_images();  // null when the images failed to load

}  // namespace tagcfg::ui
