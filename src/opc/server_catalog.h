// Where the OPC servers of a computer are found: its registry, as the server picker reads it, or
// its OPC server browser when the registry cannot be reached.
#pragma once

#include <functional>
#include <string>

#include "platform/com.h"

namespace tagcfg {

// An OPC server found on a computer.
struct FoundServer {
    std::string progid;
    platform::Guid clsid;     // the null GUID when none converts
    std::string description;  // empty when none
};

enum class CatalogResult { found, unreachable };  // unreachable: the source could not be asked

// The computer's registry: null (or a name of this computer, is_local_host) reads this computer's
// classes root, any other that computer's remote registry (Software\Classes). Only keys with an
// "OPC" subkey are servers; at most 1,000,000 key names are read. Calls `found` per server in
// registry order.
CatalogResult registry_servers(const std::string *computer, const std::function<void(FoundServer)> &found);

// The computer's OPC server browser (this computer's for null or its name), same shape. Classes the
// browser gives no ProgID for are left out: nothing could name them.
CatalogResult browser_servers(const std::string *computer, const std::function<void(FoundServer)> &found);

}  // namespace tagcfg
