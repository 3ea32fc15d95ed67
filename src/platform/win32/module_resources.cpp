#include "platform/win32/module_resources.h"

namespace tagcfg::ui {

namespace {
// Not owned: set at library load, before any dialog can run, and cleared at unload, after the last.
HINSTANCE g_instance = nullptr;
HIMAGELIST g_shared_images = nullptr;
}  // namespace

void set_module_resources(HINSTANCE instance, HIMAGELIST shared_images) {
    g_instance = instance;
    g_shared_images = shared_images;
}

HINSTANCE module_instance() { return g_instance; }

HIMAGELIST shared_images() { return g_shared_images; }

}  // namespace tagcfg::ui
