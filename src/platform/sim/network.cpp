// An in-memory network: containers and computers that tests set up.
#include <string>

#include "platform/network.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_state.h"

namespace tagcfg::platform {

namespace {

using sim::SimNetworkEntry;

// Few entries per call, so that callers meet the multi-call enumeration they meet on Windows.
constexpr size_t kEntriesPerCall = 2;

class SimNetworkEnumeration : public NetworkEnumeration {
public:
    SimNetworkEnumeration(std::vector<SimNetworkEntry> entries, bool endless)
        : entries_(std::move(entries)), endless_(endless) {}
    bool more() const { return next_ < entries_.size() || (endless_ && next_ < sim::kEndlessEnd); }

    bool next(std::vector<NetworkResource> &out) override {
        out.clear();
        if (!more()) return false;
        for (; out.size() < kEntriesPerCall && more(); ++next_) {
            if (next_ >= entries_.size()) {
                // Computers PC1, PC2, ... whose names live until the next call, as on Windows.
                made_[out.size()] = "\\\\PC" + std::to_string(next_ - entries_.size() + 1);
                out.push_back({2, 1, kDisplayServer, 0, made_[out.size()].c_str(), "Sim Network"});
                continue;
            }
            const SimNetworkEntry &e = entries_[next_];
            NetworkResource r;
            r.scope = 2;  // RESOURCE_GLOBALNET
            r.display_type = e.display_type;
            r.remote_name = e.remote_name.empty() ? nullptr : e.remote_name.c_str();
            r.provider = e.provider.empty() ? nullptr : e.provider.c_str();
            out.push_back(r);
        }
        return true;
    }

private:
    std::vector<SimNetworkEntry> entries_;  // a copy, so that the texts outlive changes to the network
    bool endless_;
    std::string made_[kEntriesPerCall];
    size_t next_ = 0;
};

}  // namespace

namespace sim {

void add_network_entry(const std::string &container, uint32_t display_type, const std::string &remote_name,
                       const std::string &provider) {
    state().network.push_back({container, display_type, remote_name, provider});
}

void set_network_failing(bool failing) { state().network_failing = failing; }
void set_network_endless(bool endless) { state().network_endless = endless; }

}  // namespace sim

std::unique_ptr<NetworkEnumeration> open_network_enumeration(const NetworkResource *container) {
    if (sim::state().network_failing) return nullptr;
    std::string name;
    if (container)
        name = container->remote_name ? container->remote_name : container->provider ? container->provider : "";
    std::vector<SimNetworkEntry> entries;
    for (const SimNetworkEntry &e : sim::state().network)
        if (e.container == name) entries.push_back(e);
    return std::make_unique<SimNetworkEnumeration>(std::move(entries), sim::state().network_endless);
}

}  // namespace tagcfg::platform
