#pragma once

#include <cstdint>
#include <string>

#include "model/server_config.h"

namespace tagcfg {

// Makes sure the configuration holds its server object: the held one is reused without any call;
// otherwise the class comes from the CLSID text, else the ProgID, and the object is created on
// this computer (empty host, or this computer's name in any letter case) or on the named one.
// False for every failure; the configuration then stays unconnected.
bool connect_server(ServerConfig &config);

// Whether a call's result says the server object is gone for good (RPC_E_DISCONNECTED,
// RPC_E_SERVER_DIED, RPC_E_SERVER_DIED_DNE, or RPC_S_SERVER_UNAVAILABLE as an HRESULT): its
// process ended or cut it off, so no later call on it or on what it handed out can succeed.
bool is_dead_object_result(int32_t result);

// Whether a host name names this computer: compared without regard to letter case, character by
// character, double-byte characters whole.
bool is_local_host(const std::string &hostname);

}  // namespace tagcfg
