// Loading and saving a project's set of server files, named "<base>_opc<number>.cnf" by the rules
// of set_files.h.
#pragma once

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

// Writes every server (write_all) or the modified ones, then deletes the files of numbers that
// hold no server. A file that failed to read at the last load is never deleted, and is copied
// aside as "<name>.bad" before a server is written over it. After a load that could not list the
// directory nothing is deleted. False when a server could not be written (numbers above 255 never
// are), or when a stale file could not be listed or deleted.
bool save_set(Environment &env, const char *directory, const char *base_name, bool write_all,
              const platform::FileSystem &files = platform::FileSystem());

}  // namespace tagcfg
