#include "win_support.h"

namespace wintest {

std::string executable_directory() {
    char path[MAX_PATH];
    const std::string program(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return program.substr(0, program.find_last_of('\\'));
}

HMODULE tagcfg_dll() {
    static const HMODULE library = LoadLibraryA(library_path("tagcfg.dll").c_str());
    return library;
}

static const HMODULE opcsim = LoadLibraryA(library_path("opcsim.dll").c_str());

bool opcsim_registered() {
    static const auto do_register = exported<HRESULT(STDAPICALLTYPE *)()>(opcsim, "DllRegisterServer");
    static const bool registered = do_register && SUCCEEDED(do_register());
    return registered;
}

bool opcsim_server_browser_registered() {
    static const auto do_register = exported<HRESULT (*)()>(opcsim, "opcsim_register_server_browser");
    static const bool registered = do_register && SUCCEEDED(do_register());
    return registered;
}

long opcsim_created() {
    auto count = exported<LONG (*)()>(opcsim, "opcsim_created_count");
    return count ? count() : -1;
}

void OpcProject::load(const std::vector<std::pair<int, std::string>> &servers) {
    ASSERT_TRUE(opcsim_registered()) << "opcsim.dll is missing or its DllRegisterServer failed";
    ASSERT_TRUE(SUCCEEDED(com_) && env_);
    for (const auto &server : servers)
        dir_.put("plant_opc" + std::to_string(server.first) + ".cnf", "%%OPC_SERVER_CONFIG\r\n\r\n" + server.second);
    ASSERT_EQ(TAGCFG(tagcfg_load)(env_, dir_.path().c_str(), "plant"), 0);
}

}  // namespace wintest
