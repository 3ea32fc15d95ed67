// The configuration set of one project: where it is stored and its table of servers, whose slot
// index is the server number. A slot may be empty.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "model/server_config.h"

namespace tagcfg {

struct Environment {
    std::string directory;
    std::string base_name;
    std::vector<RecordRef<ServerConfig>> servers;
    // Numbers whose files exist but failed to read at the last load: a save must not take them
    // for stale files and delete what the user may still repair.
    std::set<int> unreadable_numbers;
};

// The server at a number, or null for a null environment, a number outside the table or an empty
// slot.
ServerConfig *server_at(const Environment *env, int number);

// Empties one slot; removing the last slot also drops the empty slots directly before it.
void remove_server(Environment &env, int number);

// Empties the stored texts and releases every server.
void clear_environment(Environment &env);

}  // namespace tagcfg
