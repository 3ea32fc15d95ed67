// The fake servers' private groups: items found, added and read as the address space describes
// them, with every call counted and, while logging, logged.
#include "address_space/browser.h"
#include "address_space/item_group.h"
#include "platform/opc.h"
#include "platform/sim/sim_server.h"

namespace tagcfg::platform {

namespace {

using sim::dead;
using sim::log_call;
using sim::state;

std::string narrow(const std::u16string &text) { return std::string(text.begin(), text.end()); }

std::u16string widen(const std::string &text) {
    std::u16string wide;
    for (char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
    return wide;
}

ItemValue value_of(const opcsim::ItemState &held) {
    ItemValue value{held.type, {}};
    const uint16_t element_type = held.type & ~kVtArrayBit;
    for (const opcsim::Scalar &scalar : held.elements)
        value.elements.push_back(
            {element_type, scalar.integer, scalar.unsigned_integer, scalar.real, widen(scalar.text)});
    return value;
}

class SimItemGroup : public ItemGroup {
public:
    SimItemGroup(std::shared_ptr<const opcsim::AddressSpace> space, std::shared_ptr<opcsim::ItemGroup> group,
                 uint64_t born)
        : space_(std::move(space)), group_(std::move(group)), born_(born) {}

    int32_t validate_items(const std::vector<ItemDefinition> &items, std::vector<ItemResult> &results) override {
        return find_items("validate", items, results, false);
    }
    int32_t add_items(const std::vector<ItemDefinition> &items, std::vector<ItemResult> &results) override {
        return find_items("add", items, results, true);
    }
    int32_t remove_items(const std::vector<uint32_t> &handles, std::vector<int32_t> &errors) override {
        if (int32_t refused = call("remove", handles.size())) return refused;
        errors.clear();
        for (uint32_t handle : handles) errors.push_back(group_->remove(handle));
        return outcome(errors);
    }
    int32_t read_from_device(const std::vector<uint32_t> &handles, std::vector<ItemState> &states) override {
        if (int32_t refused = call("read", handles.size())) return refused;
        states.clear();
        std::vector<int32_t> errors;
        for (uint32_t handle : handles) {
            const opcsim::AddressNode *leaf = nullptr;
            states.push_back({group_->read(handle, &leaf), {}, 0, 0});
            if (leaf) {
                states.back().value = value_of(leaf->state);
                states.back().quality = leaf->state.quality;
                states.back().timestamp = leaf->state.time;
            }
            errors.push_back(states.back().error);
        }
        return outcome(errors);
    }

private:
    // The result a call is refused with before it looks at the items, or 0; counts it either way.
    int32_t call(const char *name, size_t items) {
        sim::OpcCalls &calls = state().calls;
        ++calls.item_calls;
        if (items > calls.most_items_per_call) calls.most_items_per_call = items;
        log_call(name + (" " + std::to_string(items)));
        if (dead(born_)) return opcsim::kDisconnected;
        if (items == 0) return opcsim::kInvalidArg;
        return space_->items_fail ? opcsim::kCallFails : 0;
    }
    static int32_t outcome(const std::vector<int32_t> &errors) {
        for (int32_t error : errors)
            if (error < 0) return opcsim::kFalse;
        return opcsim::kOk;
    }
    int32_t find_items(const char *name, const std::vector<ItemDefinition> &items, std::vector<ItemResult> &results,
                       bool add) {
        if (int32_t refused = call(name, items.size())) return refused;
        results.clear();
        std::vector<int32_t> errors;
        for (const ItemDefinition &item : items) {
            const opcsim::AddressNode *leaf = nullptr;
            ItemResult result;
            result.error =
                add ? group_->add(narrow(item.item_id), narrow(item.access_path), result.server_handle, &leaf)
                    : group_->validate(narrow(item.item_id), narrow(item.access_path), &leaf);
            if (leaf) {
                result.canonical_type = leaf->state.type;
                result.access_rights = leaf->state.rights;
            }
            results.push_back(result);
            errors.push_back(result.error);
        }
        return outcome(errors);
    }

    std::shared_ptr<const opcsim::AddressSpace> space_;
    std::shared_ptr<opcsim::ItemGroup> group_;  // shared with the server object's table
    uint64_t born_;
};

}  // namespace

std::unique_ptr<ItemGroup> add_group(ServerObject *server, uint32_t *handle, int32_t *result) {
    *handle = 0;
    *result = opcsim::kNoInterface;
    if (!server) return nullptr;
    log_call("group");
    if (dead(server->born)) {
        *result = opcsim::kDisconnected;
        return nullptr;
    }
    if (server->space->add_group_error) {
        *result = server->space->add_group_error;
        return nullptr;
    }
    auto group = std::make_shared<opcsim::ItemGroup>(*server->space);
    *handle = server->next_group++;
    server->groups[*handle] = group;
    ++state().calls.live_groups;
    // The fakes run every group at one rate; the library asks for the fastest.
    *result = opcsim::kUnsupportedRate;
    return std::make_unique<SimItemGroup>(server->space, std::move(group), server->born);
}

int32_t remove_group(ServerObject *server, uint32_t handle) {
    if (!server) return opcsim::kInvalidArg;
    log_call("ungroup");
    if (dead(server->born)) return opcsim::kDisconnected;
    const auto found = server->groups.find(handle);
    if (found == server->groups.end()) return opcsim::kInvalidArg;
    const bool in_use = found->second.use_count() > 1;
    server->groups.erase(found);
    --state().calls.live_groups;
    if (!in_use) return opcsim::kOk;
    ++state().calls.groups_removed_in_use;
    return opcsim::kInUse;
}

}  // namespace tagcfg::platform
