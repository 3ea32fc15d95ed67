#include "test_files.h"

namespace wintest {

std::string executable_directory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length < MAX_PATH ? length : 0);
    size_t slash = directory.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : directory.substr(0, slash);
}

ScratchDirectory::ScratchDirectory() {
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) return;
    std::string base(temp, length);
    if (base.back() != '\\') base += '\\';
    // Process id and tick count make the name unique; the loop skips a leftover of an old run.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = base + "tagcfg_wintest_" + std::to_string(GetCurrentProcessId()) + "_" +
                                std::to_string(GetTickCount()) + "_" + std::to_string(attempt);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
}

ScratchDirectory::~ScratchDirectory() {
    if (path_.empty()) return;
    for (const std::string &name : file_names(path_)) DeleteFileA((path_ + "\\" + name).c_str());
    RemoveDirectoryA(path_.c_str());
}

bool write_bytes(const std::string &path, const std::string &bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    return CloseHandle(file) && ok;
}

bool read_bytes(const std::string &path, std::string &bytes) {
    bytes.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char chunk[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, chunk, sizeof chunk, &got, nullptr)) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return ok;
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

}  // namespace wintest
