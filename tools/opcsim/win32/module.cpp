// The DLL's entry points. Undecorated export names come from opcsim.def.
#include "module.h"

#include <objbase.h>

#include "class_factory.h"

namespace opcsim {

namespace {

HMODULE g_module = nullptr;
volatile LONG g_objects = 0;
volatile LONG g_locks = 0;
volatile LONG g_servers_created = 0;
volatile LONG g_calls = 0;
volatile LONG g_epoch = 0;
volatile LONG g_groups = 0;

}  // namespace

HMODULE module_handle() { return g_module; }
void object_created() { InterlockedIncrement(&g_objects); }
void object_destroyed() { InterlockedDecrement(&g_objects); }
void lock_module(bool lock) { lock ? InterlockedIncrement(&g_locks) : InterlockedDecrement(&g_locks); }
bool module_in_use() { return g_objects != 0 || g_locks != 0; }
void count_server_created() { InterlockedIncrement(&g_servers_created); }
void count_call() { InterlockedIncrement(&g_calls); }
void count_group(bool made) { made ? InterlockedIncrement(&g_groups) : InterlockedDecrement(&g_groups); }
LONG life_epoch() { return g_epoch; }

}  // namespace opcsim

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        opcsim::g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID *object) {
    return opcsim::get_class_object(clsid, iid, object);
}

STDAPI DllCanUnloadNow() { return opcsim::module_in_use() ? S_FALSE : S_OK; }

// Test hooks: plain C functions, so any test finds them with GetProcAddress.
extern "C" LONG opcsim_created_count() { return opcsim::g_servers_created; }
extern "C" LONG opcsim_call_count() { return opcsim::g_calls; }
extern "C" void opcsim_kill_objects() { InterlockedIncrement(&opcsim::g_epoch); }
extern "C" LONG opcsim_group_count() { return opcsim::g_groups; }
