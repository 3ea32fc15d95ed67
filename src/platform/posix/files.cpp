// The file system on POSIX. Names are matched without regard to letter case, as the file system
// of the library's home platform does, so files written as "plant1_opc3.cnf" are always found.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/pages.h"

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

FileKind kind_of(const struct stat &info) {
    if (S_ISREG(info.st_mode)) return FileKind::regular;
    return S_ISDIR(info.st_mode) ? FileKind::folder : FileKind::other;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return fd_; }

private:
    int fd_;  // owned: closed by the destructor
};

}  // namespace

char path_separator() { return '/'; }

FileKind file_kind(const std::string &path) {
    struct stat info;
    if (::stat(path.c_str(), &info) == 0) return kind_of(info);
    return errno == ENOENT || errno == ENOTDIR ? FileKind::missing : FileKind::other;
}

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
        // An entry that cannot be looked at counts as a file: reading it says what is wrong.
        entries.push_back({entry->d_name, ::stat(full.c_str(), &info) == 0 ? kind_of(info) : FileKind::regular});
    }
    ::closedir(dir);
    if (error != 0) return Listing::failed;
    return entries.empty() ? Listing::nothing : Listing::listed;
}

bool delete_file(const std::string &path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR; }

std::string path_key(const std::string &path) { return path; }

bool read_file(const std::string &path, std::string &bytes, ReadFailure *why) {
    bytes.clear();
    auto fail = [why](ReadFailure failure) {
        if (why) *why = failure;
        return false;
    };
    // Not blocking: a FIFO is opened at once, to be refused below like a device.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) return fail(ReadFailure::cannot_open);
    struct stat info;
    if (::fstat(file.get(), &info) != 0) return fail(ReadFailure::read_error);
    if (!S_ISREG(info.st_mode)) return fail(ReadFailure::not_regular);
    // The size the file has, in one read as a rule; whatever it holds beyond that is read too. The
    // room is asked for huge pages before it is first written, which is when they are given.
    bytes.reserve(static_cast<size_t>(info.st_size) + 1);
    advise_huge_pages(bytes.data(), bytes.capacity());
    bytes.resize(static_cast<size_t>(info.st_size) + 1);
    size_t done = 0;
    for (;;) {
        if (done == bytes.size()) bytes.resize(bytes.size() + 65536);
        const ssize_t n = ::read(file.get(), &bytes[done], bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            bytes.clear();
            return fail(ReadFailure::read_error);
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return true;
}

bool stage_file(const std::string &path, const std::string &bytes, StagedFile &staged) {
    static std::atomic<unsigned> stages{0};
    if (!final_target(path, staged.target)) return false;
    struct stat old;
    const bool exists = ::stat(staged.target.c_str(), &old) == 0;
    if (exists && ::access(staged.target.c_str(), W_OK) != 0) return false;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        staged.temporary = staged.target + '.' + std::to_string(::getpid()) + '.' + std::to_string(++stages) + ".tmp";
        fd = ::open(staged.temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return false;
    bool ok = (!exists || ::fchmod(fd, old.st_mode & 07777) == 0) && write_all(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) discard_staged(staged);
    return ok;
}

bool commit_staged(const StagedFile &staged) { return ::rename(staged.temporary.c_str(), staged.target.c_str()) == 0; }

void discard_staged(const StagedFile &staged) { ::unlink(staged.temporary.c_str()); }

bool same_file(const std::string &a, const std::string &b) {
    struct stat first, second;
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

struct SystemLock {
    int fd;
};

void ReleaseSystemLock::operator()(SystemLock *lock) const {
    ::close(lock->fd);  // drops the lock
    delete lock;
}

std::unique_ptr<SystemLock, ReleaseSystemLock> lock_file(const std::string &path, unsigned wait_ms, bool &busy) {
    busy = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    // flock has no time limit of its own: it is asked again until the wait is over.
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return std::unique_ptr<SystemLock, ReleaseSystemLock>(new SystemLock{fd});
        if (errno != EWOULDBLOCK && errno != EINTR) break;
        if (std::chrono::steady_clock::now() >= give_up) {
            busy = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::close(fd);
    return nullptr;
}

}  // namespace tagcfg::platform
