// The files of a project's configuration set, by the rules that load, save and `tagcfg check`
// share: each server's file is "<base>_opc<number>.cnf" in the project directory, a listing of
// "<base>_opc*.cnf" finds them, and the number an entry's name spells decides which file is read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/counted_record.h"
#include "model/server_config.h"
#include "platform/files.h"
#include "storage/server_file.h"

namespace tagcfg {

// directory + separator + name; no separator after an empty directory or one that already ends
// in "/" or "\".
std::string join_path(const std::string &directory, const std::string &name);

// "<base>_opc<number>.cnf".
std::string server_file_name(const std::string &base_name, int number);

// The canonical path of a number's file: server_file_name joined to the directory.
std::string set_file_path(const std::string &directory, const std::string &base_name, int number);

// The name under which a save keeps the bytes of a file it writes over: no load takes it.
std::string kept_aside_name(const std::string &file_name);

// The file whose lock a program holds while it changes the set: beside the set's files, and no
// load takes it for one. It is never deleted, as a program may be waiting on it.
std::string project_lock_path(const std::string &directory, const std::string &base_name);

// The number that a directory entry spells: the text after "<base>_opc" read as an unsigned
// decimal number (blanks and a sign allowed; what follows is not examined), 32 bits wide and then
// taken as signed. False when no digits follow. The base name is literal; ignore_case folds ASCII
// letters of both.
bool number_spelled_by(const std::string &entry_name, const std::string &base_name, bool ignore_case, int32_t &number);

// The number a directory entry stands for in the set, or -1: number_spelled_by, from 0 to 255.
int set_number_of(const std::string &entry_name, const std::string &base_name, bool ignore_case);

// What a listing of the set's directory found.
struct SetListing {
    std::string directory;
    std::string base_name;
    std::string pattern;  // the path that was listed: "<base>_opc*.cnf" joined to the directory
    platform::Listing result = platform::Listing::nothing;
    std::vector<platform::DirectoryEntry> entries;  // in listing order; after a failure, those before it
};

SetListing list_set(const std::string &directory, const std::string &base_name,
                    const platform::FileSystem &files = platform::FileSystem());

// One file of the set as a load takes and reads it.
struct SetFile {
    std::string entry;               // the directory entry that named the number, as listed
    int number = -1;                 // from 0 to 255
    std::string path;                // the number's canonical path: the file that was read, however the entry spells it
    RecordRef<ServerConfig> config;  // what was read; on a failure, what was read before the failing line
    bool read = false;
    ParseError error;  // the line and the reason, when the file was not read
};

// Reads the files that a load takes from the listing, in listing order: for every entry that is
// not a directory and whose name spells a number from 0 to 255 without regard to letter case, the
// first such entry of its number, and of it the canonical file. `visit` sees each, read or not.
void read_set(const SetListing &listing, const std::function<void(SetFile &)> &visit);

}  // namespace tagcfg
