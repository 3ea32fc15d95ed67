#include "win_support.h"

namespace wintest {

std::string executable_directory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length < MAX_PATH ? length : 0);
    return directory.substr(0, directory.find_last_of('\\'));
}

ScratchDirectory::ScratchDirectory() {
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) return;
    // Process id and tick count make the name unique; the loop skips a leftover of an old run.
    for (unsigned attempt = 0; attempt < 100 && path.empty(); ++attempt) {
        std::string candidate = std::string(temp) + "tagcfg_wintest_" + std::to_string(GetCurrentProcessId()) + "_" +
                                std::to_string(GetTickCount()) + "_" + std::to_string(attempt);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) path = candidate;
    }
}

ScratchDirectory::~ScratchDirectory() {
    if (path.empty()) return;
    for (const std::string &name : file_names(path)) {
        SetFileAttributesA(file(name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file(name).c_str());
    }
    RemoveDirectoryA(path.c_str());
}

bool write_bytes(const std::string &path, const std::string &bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return CloseHandle(file) && ok && written == bytes.size();
}

std::string read_bytes(const std::string &path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

std::vector<std::string> file_names(const std::string &directory) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((directory + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

HMODULE tagcfg_dll() {
    static const HMODULE library = LoadLibraryA(library_path("tagcfg.dll").c_str());
    return library;
}

namespace {

HMODULE opcsim() {
    static const HMODULE library = LoadLibraryA(library_path("opcsim.dll").c_str());
    return library;
}

}  // namespace

bool opcsim_registered() {
    static const bool registered = [] {
        auto do_register = function<HRESULT(STDAPICALLTYPE *)()>(opcsim(), "DllRegisterServer");
        return do_register && SUCCEEDED(do_register());
    }();
    return registered;
}

long opcsim_created() {
    auto count = function<LONG (*)()>(opcsim(), "opcsim_created_count");
    return count ? count() : -1;
}

void OpcProject::load(const std::vector<std::pair<int, std::string>> &servers) {
    ASSERT_TRUE(opcsim_registered()) << "opcsim.dll is missing or its DllRegisterServer failed";
    ASSERT_TRUE(SUCCEEDED(com_) && env_ && !dir_.path.empty());
    for (const auto &server : servers)
        ASSERT_TRUE(write_bytes(file(server.first), "%%OPC_SERVER_CONFIG\r\n\r\n" + server.second));
    ASSERT_EQ(TAGCFG(tagcfg_load)(env_, dir_.path.c_str(), "plant"), 0);
}

}  // namespace wintest
