#include <windows.h>

#include <algorithm>

#include "platform/file_lock.h"
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

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (valid()) CloseHandle(handle_);
    }
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;  // owned: closed by the destructor
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opened only to be looked at: no access asked, so nothing is in anyone's way, and folders open too.
HANDLE open_to_look_at(const std::string &path) {
    return CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool write_all(HANDLE file, const std::string &bytes) {
    for (size_t done = 0; done < bytes.size();) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30)), written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written != chunk) return false;
        done += written;
    }
    return true;
}

}  // namespace

char path_separator() { return '\\'; }

FileKind file_kind(const std::string &path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return nothing_there(GetLastError()) ? FileKind::missing : FileKind::other;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileKind::folder;
    // Devices ("NUL", "COM1") answer as files of the disk would; the handle tells them apart.
    FileHandle file(open_to_look_at(path));
    return !file.valid() || GetFileType(file.get()) == FILE_TYPE_DISK ? FileKind::regular : FileKind::other;
}

Listing list_matching(const std::string &pattern_path, std::vector<DirectoryEntry> &entries) {
    entries.clear();
    WIN32_FIND_DATAA data;
    HANDLE first = FindFirstFileA(pattern_path.c_str(), &data);
    if (first == INVALID_HANDLE_VALUE) return nothing_there(GetLastError()) ? Listing::nothing : Listing::failed;
    FindHandle find(first);
    do {
        const DWORD attributes = data.dwFileAttributes;
        entries.push_back({data.cFileName, attributes & FILE_ATTRIBUTE_DIRECTORY ? FileKind::folder
                                           : attributes & FILE_ATTRIBUTE_DEVICE  ? FileKind::other
                                                                                 : FileKind::regular});
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

bool read_file(const std::string &path, std::string &bytes, ReadFailure *why) {
    bytes.clear();
    auto fail = [why](ReadFailure failure) {
        if (why) *why = failure;
        return false;
    };
    FileHandle file(
        CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return fail(ReadFailure::cannot_open);
    if (GetFileType(file.get()) != FILE_TYPE_DISK) return fail(ReadFailure::not_regular);
    LARGE_INTEGER size;
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 && size.QuadPart < (1ll << 40))
        bytes.resize(static_cast<size_t>(size.QuadPart) + 1);
    size_t done = 0;
    for (;;) {
        if (done == bytes.size()) bytes.resize(bytes.size() + 65536);
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30)), read = 0;
        if (!ReadFile(file.get(), &bytes[done], chunk, &read, nullptr)) {
            bytes.clear();
            return fail(ReadFailure::read_error);
        }
        if (read == 0) break;
        done += read;
    }
    bytes.resize(done);
    return true;
}

bool stage_file(const std::string &path, const std::string &bytes, StagedFile &staged) {
    static LONG stages = 0;
    staged.target = path;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    // ReplaceFileA would refuse it only after every other file of a save was replaced.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; created == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
        staged.temporary = path + '.' + std::to_string(GetCurrentProcessId()) + '.' +
                           std::to_string(InterlockedIncrement(&stages)) + ".tmp";
        created = CreateFileA(staged.temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
        if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (created == INVALID_HANDLE_VALUE) return false;
    bool ok = write_all(created, bytes) && FlushFileBuffers(created);
    ok = CloseHandle(created) && ok;
    if (!ok) discard_staged(staged);
    return ok;
}

bool commit_staged(const StagedFile &staged) {
    // Read before: ReplaceFileA is to keep them, but not every implementation does.
    const DWORD attributes = GetFileAttributesA(staged.target.c_str());
    // ReplaceFileA keeps what belongs to the file itself (security descriptor, creation time). A
    // file that is not there yet is moved into place, but never over one that appeared meanwhile.
    bool ok = ReplaceFileA(staged.target.c_str(), staged.temporary.c_str(), nullptr, 0, nullptr, nullptr);
    if (!ok && GetLastError() == ERROR_FILE_NOT_FOUND)
        ok = MoveFileExA(staged.temporary.c_str(), staged.target.c_str(), MOVEFILE_WRITE_THROUGH);
    // The bytes are in place; attributes that cannot be set again do not undo that.
    if (ok && attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(staged.target.c_str(), attributes);
    return ok;
}

void discard_staged(const StagedFile &staged) { DeleteFileA(staged.temporary.c_str()); }

bool same_file(const std::string &a, const std::string &b) {
    FileHandle first(open_to_look_at(a)), second(open_to_look_at(b));
    BY_HANDLE_FILE_INFORMATION one, other;
    return first.valid() && second.valid() && GetFileInformationByHandle(first.get(), &one) &&
           GetFileInformationByHandle(second.get(), &other) && one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

struct SystemLock {
    HANDLE file;
};

void ReleaseSystemLock::operator()(SystemLock *lock) const {
    CloseHandle(lock->file);  // drops the lock
    delete lock;
}

std::unique_ptr<SystemLock, ReleaseSystemLock> lock_file(const std::string &path, unsigned wait_ms, bool &busy) {
    busy = false;
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    // Asked again until the wait is over: LockFileEx waits either forever or not at all.
    const ULONGLONG give_up = GetTickCount64() + wait_ms;
    for (;;) {
        OVERLAPPED start = {};
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start))
            return std::unique_ptr<SystemLock, ReleaseSystemLock>(new SystemLock{file});
        if (GetLastError() != ERROR_LOCK_VIOLATION) break;
        if (GetTickCount64() >= give_up) {
            busy = true;
            break;
        }
        Sleep(20);
    }
    CloseHandle(file);
    return nullptr;
}

}  // namespace tagcfg::platform
