// What the library keeps per process from load to unload.
#pragma once

namespace tagcfg {

struct ModuleState {
    // HINSTANCE, not owned: the module that holds every dialog, string and bitmap.
    void *instance = nullptr;
    // HIMAGELIST, owned: the ten 16 x 16 images from load to unload, or null when they failed to load.
    void *image_list = nullptr;
};

ModuleState &module_state();

}  // namespace tagcfg
