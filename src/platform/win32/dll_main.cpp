// Library load and unload: remember the module, make the creation lock, load the shared images.
#include <windows.h>
#include <commctrl.h>

#include "frame/module_state.h"
#include "platform/threads.h"
#include "resource_ids.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    auto &state = tagcfg::module_state();
    if (reason == DLL_PROCESS_ATTACH) {
        state.instance = instance;
        tagcfg::platform::create_creation_lock();
        DisableThreadLibraryCalls(instance);
        // Pure red marks the transparent pixels; without the images the dialogs still work.
        state.image_list = ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_SHARED_IMAGES), 16, 0, RGB(255, 0, 0),
                                                IMAGE_BITMAP, 0);
    } else if (reason == DLL_PROCESS_DETACH) {
        if (state.image_list) ImageList_Destroy(static_cast<HIMAGELIST>(state.image_list));
        state.image_list = nullptr;
        tagcfg::platform::delete_creation_lock();
    }
    return TRUE;
}
