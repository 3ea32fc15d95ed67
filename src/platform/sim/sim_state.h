// State shared by the parts of the in-memory platform.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/com.h"

namespace tagcfg::platform::sim {

struct SimState {
    std::vector<std::pair<unsigned char, unsigned char>> lead_ranges;
    std::map<std::u16string, Guid> progids;
};

SimState &state();

}  // namespace tagcfg::platform::sim
