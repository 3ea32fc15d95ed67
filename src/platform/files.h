// File-system services used to load and save a configuration set.
#pragma once

#include <string>
#include <vector>

namespace tagcfg::platform {

struct DirectoryEntry {
    std::string name;  // without the directory
    bool is_directory = false;
};

// Entries of a directory whose names match the wildcard pattern ("*" and "?") of the last path
// component, without regard to letter case, in the order the file system yields them. False when
// nothing can be listed (no such directory, no matching entry).
bool list_matching(const std::string &pattern_path, std::vector<DirectoryEntry> &entries);

// Deletes a file; the result is deliberately not reported.
void delete_file(const std::string &path);

// Replaces the file at path with exactly these bytes so that no reader ever sees a half-written
// file: the bytes go to a temporary file in the same directory, are flushed to disk, and the
// temporary then takes the file's place in one step. On failure the old file is untouched and the
// temporary is gone.
bool replace_file(const std::string &path, const std::string &bytes);

// Reads a whole file; false when it cannot be opened or read.
bool read_file(const std::string &path, std::string &bytes);

// The separator that joins a directory and a file name.
char path_separator();

}  // namespace tagcfg::platform
