#pragma once

#include "model/server_config.h"

namespace tagcfg {

// Makes sure the configuration holds its server object: the held one is reused without any call;
// otherwise the class comes from the CLSID text, else the ProgID, and the object is created on
// this computer (empty host, or this computer's name in any letter case) or on the named one.
// False for every failure; the configuration then stays unconnected.
bool connect_server(ServerConfig &config);

// Whether a host name names this computer: compared without regard to letter case, character by
// character, double-byte characters whole.
bool is_local_host(const std::string &hostname);

}  // namespace tagcfg
