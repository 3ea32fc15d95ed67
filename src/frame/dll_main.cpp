// Library load and unload: make the creation lock, load the shared images, and hand the module
// and the images to the platform's windows, which keep them for everyone.
#include <windows.h>
#include <commctrl.h>

#include "platform/threads.h"
#include "platform/win32/module_resources.h"
#include "resource_ids.h"

namespace {

// The static C++ runtime linked into this DLL takes thread-local-storage slots and memory at every
// load and never gives them back, so a host that loads and unloads the library for each project
// would run out of slots after about a thousand loads and be aborted. Pinned at its first load,
// the module stays mapped: a later LoadLibrary only finds it, FreeLibrary leaves it in place, and
// the unload work below runs once, when the process exits. The test twin that observes the unload
// is built without this.
void pin_module() {
#ifndef TAGCFG_ALLOW_UNLOAD
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCSTR>(&pin_module), &self);
#endif
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        pin_module();
        tagcfg::platform::create_creation_lock();
        DisableThreadLibraryCalls(instance);
        // Pure red marks the transparent pixels; without the images the dialogs still work.
        HIMAGELIST images =
            ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_SHARED_IMAGES), 16, 0, RGB(255, 0, 0), IMAGE_BITMAP, 0);
        tagcfg::ui::set_module_resources(instance, images);
    } else if (reason == DLL_PROCESS_DETACH) {
        HIMAGELIST images = tagcfg::ui::shared_images();
        tagcfg::ui::set_module_resources(instance, nullptr);
        if (images) ImageList_Destroy(images);
        tagcfg::platform::delete_creation_lock();
    }
    return TRUE;
}
