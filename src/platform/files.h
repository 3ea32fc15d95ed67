// File-system services used to load and save a configuration set.
#pragma once

#include <string>
#include <vector>

namespace tagcfg::platform {

struct DirectoryEntry {
    std::string name;  // without the directory
    bool is_directory = false;
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

// Replaces the file at path with exactly these bytes so that no reader ever sees a half-written
// file: the bytes go to a temporary file in the same directory, are flushed to disk, and the
// temporary then takes the file's place in one step. Only the bytes change: a symbolic link stays
// a link (its target is replaced), the file keeps its mode or attributes, and a file the user made
// read-only is not replaced. On failure the old file is untouched and the temporary is gone.
bool replace_file(const std::string &path, const std::string &bytes);

// Reads a whole file; false when it cannot be opened or read.
bool read_file(const std::string &path, std::string &bytes);

// The separator that joins a directory and a file name.
char path_separator();

// Two paths name the same file, as far as letter case goes, exactly when their keys are equal:
// upper-cased where the file system ignores case, the text itself elsewhere. Nothing else is
// resolved (no ".." or links), so this is only for paths formed the same way.
std::string path_key(const std::string &path);

// Listing and deleting, the two calls whose failures decide whether a save may delete files,
// handed to load and save as one object so that a test can stand in for them: a real file system
// does not fail them on demand (a run as root passes every permission check, and a share that
// drops away cannot be staged). This one is the real file system.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual Listing list(const std::string &pattern_path, std::vector<DirectoryEntry> &entries) const {
        return list_matching(pattern_path, entries);
    }
    virtual bool remove(const std::string &path) const { return delete_file(path); }
};

}  // namespace tagcfg::platform
