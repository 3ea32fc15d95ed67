// What the whole DLL shares: its module handle, the objects and locks that keep it loaded, and
// the counters the tests read through the opcsim_* exports.
#pragma once

#include <windows.h>

namespace opcsim {

HMODULE module_handle();

// Every live COM object and every IClassFactory::LockServer lock keeps the DLL loaded.
void object_created();
void object_destroyed();
void lock_module(bool lock);
bool module_in_use();

// Server objects made since load, and OPC browse calls (IEnumString::Next included) served.
void count_server_created();
void count_call();

}  // namespace opcsim
