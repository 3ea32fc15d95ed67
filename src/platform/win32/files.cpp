#include <windows.h>

#include <algorithm>

#include "platform/files.h"

namespace tagcfg::platform {

namespace {

// Only these say that there is nothing to list: no such file or folder, or a file given where
// the folder should be.
bool nothing_there(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() { FindClose(handle_); }
    FindHandle(const FindHandle &) = delete;
    FindHandle &operator=(const FindHandle &) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;  // owned: closed by the destructor
};

}  // namespace

char path_separator() { return '\\'; }

Listing list_matching(const std::string &pattern_path, std::vector<DirectoryEntry> &entries) {
    entries.clear();
    WIN32_FIND_DATAA data;
    HANDLE first = FindFirstFileA(pattern_path.c_str(), &data);
    if (first == INVALID_HANDLE_VALUE) return nothing_there(GetLastError()) ? Listing::nothing : Listing::failed;
    FindHandle find(first);
    do {
        entries.push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(find.get(), &data));
    return GetLastError() == ERROR_NO_MORE_FILES ? Listing::listed : Listing::failed;
}

bool delete_file(const std::string &path) {
    if (DeleteFileA(path.c_str())) return true;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The file system ignores letter case; CharUpperBuffA knows the code page's double-byte
// characters, whose trail bytes must not be folded as letters.
std::string path_key(const std::string &path) {
    std::string key = path;
    if (!key.empty()) CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

bool replace_file(const std::string &path, const std::string &bytes) {
    // Read before the replacement: ReplaceFileA is to keep them, but not every implementation does.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    std::string temporary = path + ".tmp";
    HANDLE file =
        CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30)), written = 0;
        ok = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
        done += written;
    }
    ok = ok && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    // ReplaceFileA keeps what belongs to the file itself (security descriptor, creation time) and
    // refuses a read-only file, as opening it for writing would. A file that is not there yet is
    // moved into place, but never over one that appeared in the meantime.
    if (ok) {
        ok = ReplaceFileA(path.c_str(), temporary.c_str(), nullptr, 0, nullptr, nullptr);
        if (!ok && GetLastError() == ERROR_FILE_NOT_FOUND)
            ok = MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    if (!ok) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    // The bytes are in place; attributes that cannot be set again do not undo that.
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path.c_str(), attributes);
    return true;
}

}  // namespace tagcfg::platform
