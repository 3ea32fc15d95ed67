#include "win_support.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace wintest {

std::string executable_directory() {
    char path[MAX_PATH];
    const std::string program(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return program.substr(0, program.find_last_of('\\'));
}

ScratchDirectory::ScratchDirectory() {
    char temp[MAX_PATH], name[MAX_PATH];
    // A new unique name, taken over from the empty file that reserved it.
    if (GetTempPathA(MAX_PATH, temp) && GetTempFileNameA(temp, "tcf", 0, name) && DeleteFileA(name) &&
        CreateDirectoryA(name, nullptr))
        path = name;
}

ScratchDirectory::~ScratchDirectory() {
    for (const std::string &name : file_names(path)) SetFileAttributesA(file(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

bool write_bytes(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary);
    return out.write(bytes.data(), bytes.size()).flush().good();
}

std::string read_bytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

std::vector<std::string> file_names(const std::string &directory) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(directory, error))
        if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    return names;
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

long opcsim_created() {
    auto count = exported<LONG (*)()>(opcsim, "opcsim_created_count");
    return count ? count() : -1;
}

void OpcProject::load(const std::vector<std::pair<int, std::string>> &servers) {
    ASSERT_TRUE(opcsim_registered()) << "opcsim.dll is missing or its DllRegisterServer failed";
    ASSERT_TRUE(SUCCEEDED(com_) && env_ && !dir_.path.empty());
    for (const auto &server : servers)
        ASSERT_TRUE(write_bytes(dir_.file("plant_opc" + std::to_string(server.first) + ".cnf"),
                                "%%OPC_SERVER_CONFIG\r\n\r\n" + server.second));
    ASSERT_EQ(TAGCFG(tagcfg_load)(env_, dir_.path.c_str(), "plant"), 0);
}

}  // namespace wintest
