// A private group of a fake OPC server, answering as IOPCItemMgt and IOPCSyncIO do: items are
// found by their IDs (in any letter case where the space says so) under access paths the server
// knows, and the items added are read by the handles the group gave them.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "address_space/address_space.h"

namespace opcsim {

constexpr int32_t kUnsupportedRate = 0x0004000D;                      // OPC_S_UNSUPPORTEDRATE
constexpr int32_t kInUse = 0x0004000F;                                // OPC_S_INUSE
constexpr int32_t kInvalidHandle = static_cast<int32_t>(0xC0040001);  // OPC_E_INVALIDHANDLE
constexpr int32_t kBadRights = static_cast<int32_t>(0xC0040006);      // OPC_E_BADRIGHTS
constexpr int32_t kUnknownItemId = static_cast<int32_t>(0xC0040007);  // OPC_E_UNKNOWNITEMID
constexpr int32_t kInvalidItemId = static_cast<int32_t>(0xC0040008);  // OPC_E_INVALIDITEMID
constexpr int32_t kUnknownPath = static_cast<int32_t>(0xC004000A);    // OPC_E_UNKNOWNPATH
constexpr int32_t kCallFails = static_cast<int32_t>(0x80004005);      // E_FAIL, for fault items-fail
constexpr int32_t kNoInterface = static_cast<int32_t>(0x80004002);    // E_NOINTERFACE

// The one update rate the fakes' groups run at: a group asked for another is given this one.
constexpr uint32_t kGroupUpdateRate = 1000;

class ItemGroup {
public:
    explicit ItemGroup(const AddressSpace &space) : space_(space) {}

    // ValidateItems' answer for one item: S_OK with its leaf, or the item's failure.
    int32_t validate(const std::string &item_id, const std::string &access_path, const AddressNode **leaf) const;
    // AddItems' answer: as validate, and the handle the item now has.
    int32_t add(const std::string &item_id, const std::string &access_path, uint32_t &handle, const AddressNode **leaf);
    // RemoveItems' answer for one handle: S_OK, or OPC_E_INVALIDHANDLE.
    int32_t remove(uint32_t handle);
    // Read's answer from the device: S_OK with the leaf, OPC_E_INVALIDHANDLE, or OPC_E_BADRIGHTS
    // for an item that cannot be read.
    int32_t read(uint32_t handle, const AddressNode **leaf) const;
    size_t size() const { return items_.size(); }

private:
    const AddressSpace &space_;  // not owned: kept alive by the server object that holds the group
    std::unordered_map<uint32_t, const AddressNode *> items_;
    uint32_t next_handle_ = 1;
};

}  // namespace opcsim
