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

struct SimState {
    std::vector<std::pair<unsigned char, unsigned char>> lead_ranges;
    std::map<std::u16string, Guid> progids;
    std::vector<std::pair<Guid, std::shared_ptr<const opcsim::AddressSpace>>> servers;
    std::set<std::string> remote_hosts;  // upper case
    std::string computer_name = "SIMHOST";
    bool com_initialised = true;
    OpcCalls calls;
};

SimState &state();

}  // namespace tagcfg::platform::sim
