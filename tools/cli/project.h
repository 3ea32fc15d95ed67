// One project's configuration set as the commands work on it: the folder and base name of the
// first two operands, and the table the library loads from them. A command that changes the set
// holds the project's lock from before it reads the set until its last file is replaced, so that
// two programs editing one project take turns instead of losing each other's changes.
#pragma once

#include <string>

#include "command.h"
#include "model/environment.h"
#include "platform/file_lock.h"
#include "platform/files.h"

namespace tagcfg::cli {

class Project {
public:
    enum class Access { read, edit };
    // What a command needs of the set besides loading cleanly.
    enum class Needs { anything, files, files_without_duplicates };

    Project(const Args &args, const char *command);

    // Loads the set; false after telling the user why: no such folder, the project busy, files
    // that do not load (with what "check" says of them), or what `needs` asks for missing.
    bool load(Access access, Needs needs = Needs::anything);
    // Writes the changed servers (every one with write_all), all files or none; false after
    // telling the user what was left where.
    bool save(bool write_all);

    Environment &env() { return env_; }
    const std::string &directory() const { return env_.directory; }
    const std::string &base_name() const { return env_.base_name; }
    // The server at a number; Refusal when the set has none there.
    ServerConfig &server(int number);
    std::string file_of(int number) const;

private:
    bool fail(const std::string &reason) const;

    const char *command_;
    platform::FileSystem real_files_;
    const platform::FileSystem &files_;  // not owned: the Args' file system, or real_files_
    Environment env_;
    platform::FileLock lock_;
};

// Refuses a text a server file cannot hold unchanged (a NUL, a line break, white space at its
// end), naming it as `what`.
void require_storable(const std::string &text, const char *what);

}  // namespace tagcfg::cli
