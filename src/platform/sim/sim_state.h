// State shared by the parts of the in-memory platform.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <memory>
#include <set>

#include "address_space/address_space.h"
#include "platform/com.h"
#include "platform/server_browser.h"
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

struct SimServerBrowser {
    std::vector<BrowsedClass> classes;
    bool unreachable = false;
    bool endless = false;
};

// Where the stand-in's "endless" enumerations end after all: far past any bound of the library,
// so that a walk that lost its bound fails a test instead of hanging it.
constexpr size_t kEndlessEnd = 3000000;

struct SimState {
    std::vector<std::pair<unsigned char, unsigned char>> lead_ranges;
    std::map<std::u16string, Guid> progids;
    std::vector<std::pair<Guid, std::shared_ptr<const opcsim::AddressSpace>>> servers;
    std::set<std::string> remote_hosts;  // upper case
    std::string computer_name = "SIMHOST";
    bool com_initialised = true;
    OpcCalls calls;
    uint64_t kill_epoch = 0;                                                  // bumped by kill_server_objects
    std::string kill_at;                                                      // the call the server dies at
    std::map<std::string, std::map<std::string, SimRegistryKey>> registries;  // "" or upper-case computer
    std::set<std::string> unreachable;                                        // upper case
    std::set<std::string> endless_keys;                                       // upper case
    bool network_endless = false;
    std::vector<SimNetworkEntry> network;
    bool network_failing = false;
    std::map<std::string, SimServerBrowser> browsers;  // "" or upper-case computer
};

SimState &state();

}  // namespace tagcfg::platform::sim
