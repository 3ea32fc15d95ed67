// File-system services used to load and save a configuration set.
#pragma once

#include <string>
#include <vector>

namespace tagcfg::platform {

// What a path names, its links followed. "other" is a FIFO, a device or a socket: opening one to
// read may block or never end, so no set file is taken from one.
enum class FileKind { missing, regular, folder, other };

FileKind file_kind(const std::string &path);

struct DirectoryEntry {
    std::string name;  // without the directory
    FileKind kind = FileKind::regular;
    bool is_directory() const { return kind == FileKind::folder; }
};

// How a listing ended. Only a directory that does not exist and a directory without a matching
// entry are "nothing"; anything else that stops the listing (access denied, a share gone, a
// device not ready, an error part way through) is "failed", because an empty answer would say
// that the set has no files when it may well have them.
enum class Listing { listed, nothing, failed };

// Entries of a directory whose names match the wildcard pattern ("*" and "?") of the last path
// component, without regard to letter case, in the order the file system yields them. After a
// failure, `entries` holds those read before it.
Listing list_matching(const std::string &pattern_path, std::vector<DirectoryEntry> &entries);

// Deletes a file. True when it is gone, also when it was not there to begin with.
bool delete_file(const std::string &path);

// Why a file could not be read.
enum class ReadFailure { none, cannot_open, not_regular, read_error };

// Reads a whole regular file. Anything else (a FIFO, a device) is refused without waiting on it.
// False on failure, with the reason in `why` when one is given.
bool read_file(const std::string &path, std::string &bytes, ReadFailure *why = nullptr);

// New bytes for a file, written and flushed beside it under a name of their own, waiting to take
// its place. Each stage has its own temporary file, made exclusively, so two programs saving one
// file never write into each other's; its name ends in ".tmp", which no load of a set takes.
struct StagedFile {
    std::string target;     // the file that gets the bytes: the path with its links followed
    std::string temporary;  // beside the target
};

// Stages the bytes for the file at path. A file the user made read-only is refused here, as
// opening it for writing would be. On failure nothing is left behind.
bool stage_file(const std::string &path, const std::string &bytes, StagedFile &staged);

// The temporary takes the target's place in one step: a reader sees the old bytes or the new, never
// a mix. Only the bytes change: the file keeps its mode or attributes, and a link stays a link. On
// failure the target is untouched and the temporary is still there.
bool commit_staged(const StagedFile &staged);

// Removes a temporary that is not going to be committed.
void discard_staged(const StagedFile &staged);

// stage_file and commit_staged in one: the file at path holds exactly these bytes, or is untouched.
bool replace_file(const std::string &path, const std::string &bytes);

// The separator that joins a directory and a file name.
char path_separator();

// Two paths name the same file, as far as letter case goes, exactly when their keys are equal:
// upper-cased where the file system ignores case, the text itself elsewhere. Nothing else is
// resolved (no ".." or links), so this is only for paths formed the same way.
std::string path_key(const std::string &path);

// Whether two existing paths are one file or folder, however they are written (links, "..",
// letter case): the system's own identity of the file decides. False when either is missing.
bool same_file(const std::string &a, const std::string &b);

// The calls whose failures decide what a load or a save does, handed to them as one object so
// that a test can stand in for them: a real file system does not fail them on demand (a run as
// root passes every permission check, and a share that drops away cannot be staged). This one is
// the real file system.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual Listing list(const std::string &pattern_path, std::vector<DirectoryEntry> &entries) const {
        return list_matching(pattern_path, entries);
    }
    virtual bool remove(const std::string &path) const { return delete_file(path); }
    virtual bool stage(const std::string &path, const std::string &bytes, StagedFile &staged) const {
        return stage_file(path, bytes, staged);
    }
    virtual bool commit(const StagedFile &staged) const { return commit_staged(staged); }

    // How long a save waits for its project's lock, held by another program, before it gives up.
    unsigned lock_wait_ms = 10000;
};

}  // namespace tagcfg::platform
