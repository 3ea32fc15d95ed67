#pragma once

#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tagcfg.h"
#include "temp_dir.h"

namespace wintest {

std::string executable_directory();
inline std::string library_path(const char *file) { return executable_directory() + "\\" + file; }

// An export as a typed function pointer (FARPROC's own type says nothing of the signature).
template <typename Function>
Function exported(HMODULE module, const char *name) {
    return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

HMODULE tagcfg_dll();
// An export called as the host calls it: found by its undecorated name, typed by tagcfg.h.
#define EXPORT(module, name) (::wintest::exported<decltype(&::name)>(module, #name))
#define TAGCFG(name) EXPORT(::wintest::tagcfg_dll(), name)

// opcsim.dll from beside the program, registered by its own DllRegisterServer at first use. It
// stays loaded, so COM finds this very module and the count read here is the one it bumps.
bool opcsim_registered();
long opcsim_created();  // server objects created so far
// opcsim's stand-in for the OPC server browser, registered at first use in this private prefix
// only (on a real computer it would hide the real browser).
bool opcsim_server_browser_registered();

// A project "plant" of server files in a scratch folder, loaded through tagcfg.dll on a thread in
// a single-threaded apartment, as the host's user-interface thread opens its dialogs.
class OpcProject : public ::testing::Test {
protected:
    OpcProject() : com_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    // The environment goes first: it holds the server objects the dialogs made.
    ~OpcProject() override {
        TAGCFG(tagcfg_free_environment)(env_);
        if (SUCCEEDED(com_)) CoUninitialize();
    }
    // Writes plant_opc<slot>.cnf with each slot's header fields and channels, then loads them.
    void load(const std::vector<std::pair<int, std::string>> &servers);

    HRESULT com_;
    tagcfg::test::TempDir dir_;
    tagcfg_environment *env_ = TAGCFG(tagcfg_init_environment)();
};

}  // namespace wintest
