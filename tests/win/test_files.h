// Files and folders for the Windows tests: where the program runs from, a scratch folder of its
// own, and whole-file reads and writes with no newline translation.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wintest {

// The folder of the running executable, without a trailing backslash. tagcfg.dll lies there.
std::string executable_directory();

// A new empty folder under GetTempPathA, removed with everything in it on destruction.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory &) = delete;
    ScratchDirectory &operator=(const ScratchDirectory &) = delete;

    const std::string &path() const { return path_; }  // no trailing backslash
    bool ok() const { return !path_.empty(); }

private:
    std::string path_;
};

bool write_bytes(const std::string &path, const std::string &bytes);
bool read_bytes(const std::string &path, std::string &bytes);

// Names (not paths) of the plain files in a folder, as FindFirstFileA yields them.
std::vector<std::string> file_names(const std::string &directory);

// A loaded module, freed on destruction.
class Library {
public:
    explicit Library(const std::string &path) : module_(LoadLibraryA(path.c_str())) {}
    ~Library() { release(); }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;

    HMODULE get() const { return module_; }
    FARPROC symbol(const char *name) const { return module_ ? GetProcAddress(module_, name) : nullptr; }
    // An export as a typed function pointer (FARPROC's own type says nothing of the signature).
    template <typename Function>
    Function function(const char *name) const {
        return reinterpret_cast<Function>(reinterpret_cast<void *>(symbol(name)));
    }
    bool release() {
        HMODULE module = module_;
        module_ = nullptr;
        return module && FreeLibrary(module);
    }

private:
    HMODULE module_;
};

}  // namespace wintest
