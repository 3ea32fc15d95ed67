// Loading and saving a project's set of server files, named "<base>_opc<number>.cnf".
#pragma once

#include <cstdint>
#include <string>

#include "model/environment.h"
#include "platform/files.h"

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

// directory + separator + name; no separator after an empty directory or one that already ends
// in "/" or "\".
std::string join_path(const std::string &directory, const std::string &name);

// "<base>_opc<number>.cnf".
std::string server_file_name(const std::string &base_name, int number);

// The name under which a save keeps the bytes of a file it writes over: no load takes it.
std::string kept_aside_name(const std::string &file_name);

// The number that a directory entry spells: the text after "<base>_opc" read as an unsigned
// decimal number (blanks and a sign allowed; what follows is not examined), 32 bits wide and then
// taken as signed. False when no digits follow. The base name is literal; ignore_case folds ASCII
// letters of both.
bool number_in_entry(const std::string &entry_name, const std::string &base_name, bool ignore_case, int32_t &number);

// The number a directory entry stands for in the set, or -1: number_in_entry, from 0 to 255.
int number_of_entry(const std::string &entry_name, const std::string &base_name, bool ignore_case);

}  // namespace tagcfg
