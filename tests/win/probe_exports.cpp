// The probe's only export: the module state, so tests can see what library load set up.
#include "frame/module_state.h"

extern "C" __declspec(dllexport) tagcfg::ModuleState *tagcfg_probe_module_state() { return &tagcfg::module_state(); }
