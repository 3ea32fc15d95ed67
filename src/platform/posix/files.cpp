// The file system on POSIX. Names are matched without regard to letter case, as the file system
// of the library's home platform does, so files written as "plant1_opc3.cnf" are always found.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"

namespace tagcfg::platform {

namespace {

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool write_all(int fd, const std::string &bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// "*" and "?" as the home platform's wildcards; no other byte is special, letter case is ignored.
bool wildcard_match(const char *pattern, const char *name) {
    const char *star = nullptr, *resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || (*pattern && ascii_lower(*pattern) == ascii_lower(*name))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == 0;
}

}  // namespace

char path_separator() { return '/'; }

Listing list_matching(const std::string &pattern_path, std::vector<DirectoryEntry> &entries) {
    entries.clear();
    auto slash = pattern_path.find_last_of('/');
    std::string directory = slash == std::string::npos ? "." : pattern_path.substr(0, slash + 1);
    std::string pattern = slash == std::string::npos ? pattern_path : pattern_path.substr(slash + 1);
    DIR *dir = ::opendir(directory.c_str());
    if (!dir) return errno == ENOENT || errno == ENOTDIR ? Listing::nothing : Listing::failed;
    int error = 0;
    for (;;) {
        errno = 0;  // readdir tells its end from an error only through errno
        dirent *entry = ::readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
        if (!wildcard_match(pattern.c_str(), entry->d_name)) continue;
        struct stat info;
        std::string full = directory + (directory.back() == '/' ? "" : "/") + entry->d_name;
        bool is_directory = ::stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        entries.push_back({entry->d_name, is_directory});
    }
    ::closedir(dir);
    if (error != 0) return Listing::failed;
    return entries.empty() ? Listing::nothing : Listing::listed;
}

bool delete_file(const std::string &path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR; }

std::string path_key(const std::string &path) { return path; }

bool replace_file(const std::string &path, const std::string &bytes) {
    std::string temporary = path + ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = write_all(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace tagcfg::platform
