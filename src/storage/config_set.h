// Loading and saving a project's set of server files, named "<base>_opc<number>.cnf" by the rules
// of set_files.h.
#pragma once

#include <vector>

#include "model/environment.h"
#include "platform/files.h"
#include "storage/set_files.h"

namespace tagcfg {

// Stores the texts that are given (null keeps the stored ones), empties the table and reads every
// file of the set into the slot of its number (0 to 255; the first entry found for a number
// wins). The table also covers the numbers whose files failed to read, their slots left empty.
// False when any file taken could not be read, or when the directory exists but cannot be listed
// (the table then holds what was read before the listing broke off).
bool load_set(Environment &env, const char *directory, const char *base_name,
              const platform::FileSystem &files = platform::FileSystem());

// Writes every server (write_all) or the modified ones, each file on its own, then deletes the
// files of numbers that hold no server. A file that failed to read at the last load is never
// deleted, and is copied aside as "<name>.bad" before a server is written over it. After a load
// that could not list the directory nothing is deleted. Before it changes the first file the save
// takes the project's lock (project_lock_path), waiting for it as long as `files` says. False
// when the lock could not be had, when a server could not be written (numbers above 255 never
// are), or when a stale file could not be listed or deleted.
bool save_set(Environment &env, const char *directory, const char *base_name, bool write_all,
              const platform::FileSystem &files = platform::FileSystem());

// Why a whole save failed.
struct WholeSaveFailure {
    int server = -1;         // whose file could not be written or replaced; -1: the lock, or a stale file
    bool replacing = false;  // its new file was written, but could not take the old one's place
    // Only when the files already replaced could not all be put back: the servers whose files
    // hold what the save wrote, and those whose files still hold what they held before.
    std::vector<int> holding_new, holding_old;
};

// save_set with the servers' files written all or none: every new file is written and flushed
// first, and only then do they replace the old ones. When a replacement fails, the files already
// replaced get their old bytes back (a file that was new goes), so the set is as it was; only if
// that fails too do some files hold the new content, as `failure` says.
bool save_set_whole(Environment &env, bool write_all, WholeSaveFailure &failure,
                    const platform::FileSystem &files = platform::FileSystem());

}  // namespace tagcfg
