// A fake server object of the in-memory platform, shared by its browse interface and its groups.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "address_space/item_group.h"
#include "platform/com.h"
#include "platform/sim/sim_state.h"

namespace tagcfg::platform {

struct ServerObject {
    std::shared_ptr<const opcsim::AddressSpace> space;
    uint64_t born;  // the kill epoch it was made in
    // The groups by the server's handle; a group's interface holds a reference of its own, so a
    // group removed while one is held shows as still in use.
    std::map<uint32_t, std::shared_ptr<opcsim::ItemGroup>> groups;
    uint32_t next_group = 1;
};

namespace sim {

// Objects made before the last kill_server_objects answer every call as a dead server's do.
inline bool dead(uint64_t born) { return born != state().kill_epoch; }

// Every call on a server's objects, named as the log names it: logged when logging is on, and the
// server dies first when it is the call kill_server_objects_at named.
inline void log_call(const std::string &call) {
    if (!state().kill_at.empty() && call == state().kill_at) {
        state().kill_at.clear();
        ++state().kill_epoch;
    }
    if (state().calls.logging) state().calls.log.push_back(call);
}

}  // namespace sim
}  // namespace tagcfg::platform
