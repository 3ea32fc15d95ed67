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

// Server objects made since load, OPC calls (IEnumString::Next included) served, and groups alive.
void count_server_created();
void count_call();
void count_group(bool made);

// The server "dies" on demand: objects made before the last kill_objects (server objects, and the
// enumerators and groups they handed out) answer every call with RPC_E_DISCONNECTED, as the proxies of a
// server process that has gone do; objects made later are alive.
LONG life_epoch();
inline bool is_dead(LONG born) { return born != life_epoch(); }

}  // namespace opcsim
