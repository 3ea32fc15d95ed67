// What the library keeps per process from load to unload.
#pragma once

namespace tagcfg {

struct ModuleState {
    void *instance = nullptr;    // HINSTANCE: the module that holds every dialog, string and bitmap
    void *image_list = nullptr;  // HIMAGELIST of the ten 16 x 16 images, or null when it failed to load
};

ModuleState &module_state();

}  // namespace tagcfg
