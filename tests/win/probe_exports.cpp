// The probe's exports: what library load handed the platform, so tests can see it.
#include "platform/win32/module_resources.h"

extern "C" __declspec(dllexport) HINSTANCE tagcfg_probe_module_instance() { return tagcfg::ui::module_instance(); }
extern "C" __declspec(dllexport) HIMAGELIST tagcfg_probe_shared_images() { return tagcfg::ui::shared_images(); }
