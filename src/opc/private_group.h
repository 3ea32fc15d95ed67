// Items as the server itself sees them, through a private inactive group of the server object:
// whether it knows an item ID (and the access path), what type and rights it gives the item, and
// a value read once from the device. Nothing here browses.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/server_config.h"
#include "platform/opc.h"

namespace tagcfg {

// The OPC Data Access results the library tells apart.
constexpr int32_t kOpcUnknownItemId = static_cast<int32_t>(0xC0040007);  // OPC_E_UNKNOWNITEMID
constexpr int32_t kOpcInvalidItemId = static_cast<int32_t>(0xC0040008);  // OPC_E_INVALIDITEMID
constexpr int32_t kOpcUnknownPath = static_cast<int32_t>(0xC004000A);    // OPC_E_UNKNOWNPATH

// How many items one call hands the server: a plant's thousands of bindings go in several
// calls, so no single answer grows without bound.
constexpr size_t kMostItemsPerCall = 1000;

// An item as a client names it to the server.
struct ItemName {
    std::string item_id;
    std::string access_path;
};

// What ValidateItems said of one item: its result and, when that is a success, its canonical
// data type (a VARTYPE) and access rights (OPC_READABLE, OPC_WRITEABLE).
struct ItemCheck {
    int32_t error = 0;
    uint16_t canonical_type = 0;
    uint32_t access_rights = 0;
};

// One item read once: the result of adding or of reading it and, when that is a success, the
// value, quality and timestamp the server gave.
struct ItemReading {
    int32_t error = 0;
    platform::ItemValue value;
    uint16_t quality = 0;
    uint64_t timestamp = 0;  // a FILETIME: 100 ns steps since 1601-01-01 UTC
};

// A private inactive group on a connected configuration's server object, added when made and
// removed, after its interfaces are let go, when destroyed. A server object found dead on the way
// is let go by the configuration too; every item not yet answered then gets the dead result.
class PrivateGroup {
public:
    explicit PrivateGroup(ServerConfig &config);
    ~PrivateGroup();
    PrivateGroup(const PrivateGroup &) = delete;
    PrivateGroup &operator=(const PrivateGroup &) = delete;

    // Whether AddGroup gave a group; its result either way.
    bool opened() const { return group_ != nullptr; }
    int32_t add_result() const { return add_result_; }
    // Whether the server object died under the group.
    bool lost() const { return lost_; }

    // ValidateItems on every item, kMostItemsPerCall at a time; the items of a call that fails
    // get that call's result.
    std::vector<ItemCheck> validate(const std::vector<ItemName> &items);
    // Adds the items, reads them once from the device and removes them again, in calls of
    // kMostItemsPerCall items; an item gets the result of the first step that failed for it.
    std::vector<ItemReading> read(const std::vector<ItemName> &items);

private:
    // True when the result says the server died; the group and the server object are let go.
    bool dead(int32_t result);

    ServerConfig &config_;  // not owned: the configuration whose server object holds the group
    std::unique_ptr<platform::ItemGroup> group_;
    uint32_t handle_ = 0;
    int32_t add_result_ = 0;
    int32_t failure_ = 0;  // without a group: what every item is answered with
    bool lost_ = false;
};

}  // namespace tagcfg
