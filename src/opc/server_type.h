#pragma once

#include "model/server_config.h"

namespace tagcfg {

// 1 when the server's class (from its CLSID text, else its ProgID) is the one class the host
// treats specially, 0 otherwise. Never contacts the server.
int server_type_of(const ServerConfig &config);

}  // namespace tagcfg
