// The one export that tagcfg_probe.dll adds to the library: its module state, so tests can see
// what library load set up.
#include "frame/module_state.h"

extern "C" tagcfg::ModuleState *tagcfg_probe_module_state() { return &tagcfg::module_state(); }
