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

// The file that a path finally names, its symbolic links followed (a relative target counts from
// the link's own directory), so that a replacement goes to the target and the link stays a link.
// A path that is no link names itself, whether or not it exists. False for a link that cannot be
// read or a chain that goes on too long (a loop).
bool final_target(std::string path, std::string &target) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            target = path;
            return true;
        }
        std::string link(static_cast<size_t>(info.st_size > 0 ? info.st_size : 4096) + 1, '\0');
        ssize_t length = ::readlink(path.c_str(), &link[0], link.size());
        if (length <= 0 || static_cast<size_t>(length) >= link.size()) return false;
        link.resize(static_cast<size_t>(length));
        auto slash = path.find_last_of('/');
        if (link[0] == '/' || slash == std::string::npos) path = link;
        else path.replace(slash + 1, std::string::npos, link);
    }
    return false;
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
    std::string target;
    if (!final_target(path, target)) return false;
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // A file that may not be written is not replaced either, as opening it for writing would fail.
    if (exists && ::access(target.c_str(), W_OK) != 0) return false;
    std::string temporary = target + ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = (!exists || ::fchmod(fd, old.st_mode & 07777) == 0) && write_all(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temporary.c_str(), target.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace tagcfg::platform
