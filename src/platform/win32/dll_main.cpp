// Library load and unload: remember the module, make the creation lock, load the shared images.
#include <windows.h>
#include <commctrl.h>

#include "frame/module_state.h"
#include "platform/win32/creation_lock.h"
#include "resource_ids.h"

namespace tagcfg::platform {

namespace {
CRITICAL_SECTION g_creation_lock;
}

void enter_creation_lock() { EnterCriticalSection(&g_creation_lock); }
void leave_creation_lock() { LeaveCriticalSection(&g_creation_lock); }

}  // namespace tagcfg::platform

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    auto &state = tagcfg::module_state();
    if (reason == DLL_PROCESS_ATTACH) {
        state.instance = instance;
        InitializeCriticalSection(&tagcfg::platform::g_creation_lock);
        DisableThreadLibraryCalls(instance);
        // Pure red marks the transparent pixels; without the images the dialogs still work.
        state.image_list = ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_SHARED_IMAGES), 16, 0, RGB(255, 0, 0),
                                                IMAGE_BITMAP, 0);
    } else if (reason == DLL_PROCESS_DETACH) {
        if (state.image_list) ImageList_Destroy(static_cast<HIMAGELIST>(state.image_list));
        state.image_list = nullptr;
        DeleteCriticalSection(&tagcfg::platform::g_creation_lock);
    }
    return TRUE;
}
