// The configuration set of one project: where it is stored and its table of servers, whose slot
// index is the server number. A slot may be empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "model/server_config.h"

namespace tagcfg {

// Server numbers run from 0 to this: a set's files are never loaded under a higher number.
constexpr int kHighestServerNumber = 255;

struct Environment {
    std::string directory;
    std::string base_name;
    std::vector<RecordRef<ServerConfig>> servers;
    // Files that exist but failed to read at the last load, each by the key of the path the load
    // joined for it: a save never deletes them, and copies one aside before writing over it, so
    // that what the user may still repair is not lost.
    std::set<std::string> unreadable_paths;
    // One past the highest number whose file failed to read at the last load: the table keeps at
    // least this many slots, so that a new server is never appended onto such a number.
    size_t kept_slots = 0;
    // The last load could not list the directory, so the table says nothing about which files are
    // there: until a load lists it, a save deletes no file. Clearing the table does not change
    // that.
    bool listing_failed = false;
};

// The server at a number, or null for a null environment, a number outside the table or an empty
// slot.
ServerConfig *server_at(const Environment *env, int number);

// Empties one slot; removing the last slot also drops the empty slots directly before it, down
// to the kept slots.
void remove_server(Environment &env, int number);

// What the host's edits do to a whole set, for the library's interface and the host program alike.
// A new host drops the held server object, which belongs to the old computer; the same host
// changes nothing.
void set_server_host(ServerConfig &config, const std::string &host);
// The number of the first numbered channel bound to the item ID, servers in slot order, or -1.
int32_t find_channel(const Environment &env, const std::string &item_id);
// A clean-up cycle: every mark cleared, then every channel still unmarked removed.
void start_gc(Environment &env);
void finish_gc(Environment &env);

// Empties the stored texts and releases every server; what the last load could read goes with
// them, but not a failed listing.
void clear_environment(Environment &env);

}  // namespace tagcfg
