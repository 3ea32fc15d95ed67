// State shared by the parts of the in-memory platform.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <memory>
#include <set>

#include "address_space.h"
#include "platform/com.h"
#include "platform/sim/sim_platform.h"

namespace tagcfg::platform::sim {

// One registry key of a computer, stored under its path from the local machine root in upper case.
struct SimRegistryKey {
    std::string name;   // the last part of the path, as it was added
    std::string value;  // the default value's raw bytes
};

struct SimNetworkEntry {
    std::string container;
    uint32_t display_type;
    std::string remote_name;
    std::string provider;
};

struct SimState {
    std::vector<std::pair<unsigned char, unsigned char>> lead_ranges;
    std::map<std::u16string, Guid> progids;
    std::vector<std::pair<Guid, std::shared_ptr<const opcsim::AddressSpace>>> servers;
    std::set<std::string> remote_hosts;  // upper case
    std::string computer_name = "SIMHOST";
    bool com_initialised = true;
    OpcCalls calls;
    std::map<std::string, std::map<std::string, SimRegistryKey>> registries;  // "" or upper-case computer
    std::set<std::string> unreachable;                                        // upper case
    std::vector<SimNetworkEntry> network;
    bool network_failing = false;
};

SimState &state();

}  // namespace tagcfg::platform::sim
