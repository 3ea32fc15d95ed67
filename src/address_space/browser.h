// An OPC browse cursor over an address space, answering as IOPCBrowseServerAddressSpace does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "address_space/address_space.h"

namespace opcsim {

constexpr int32_t kOk = 0;
constexpr int32_t kFalse = 1;  // S_FALSE
constexpr int32_t kFail = static_cast<int32_t>(0x80004005);
constexpr int32_t kInvalidArg = static_cast<int32_t>(0x80070057);
// What every call on an object of a server that has gone answers.
constexpr int32_t kDisconnected = static_cast<int32_t>(0x80010108);  // RPC_E_DISCONNECTED

enum BrowseDirection { kBrowseUp = 1, kBrowseDown = 2 };
enum BrowseType { kBranch = 1, kLeaf = 2, kFlat = 3 };

class Browser {
public:
    explicit Browser(const AddressSpace &space) : space_(space), path_{{&space.root, "", false}} {}

    int32_t namespace_type() const { return space_.flat ? 2 : 1; }
    int32_t change_position(int direction, const std::string &name);
    // The names a BrowseOPCItemIDs enumerator yields, in order; an endless enumeration goes on
    // after them with generated_name(type, 1), (type, 2), ...
    std::vector<std::string> browse(int type) const;
    bool endless(int type) const;
    static std::string generated_name(int type, size_t number);
    // S_OK with the item ID, or a failure.
    int32_t item_id(const std::string &name, std::string &id) const;

    size_t depth() const { return path_.size() - 1; }
    const AddressSpace &space() const { return space_; }

private:
    struct Level {
        const AddressNode *node;  // not owned: a node of the space, whose children show here
        std::string name;         // the name browsed down to reach it
        bool linked;              // reached through a link or a generated folder
    };
    // The first child of that name, or the first branch of it.
    const AddressNode *child(const std::string &name, bool branch) const;
    std::string browsed_path(const std::string &name) const;

    const AddressSpace &space_;  // not owned: the space, which its holder keeps alive for the browser's life
    std::vector<Level> path_;
};

}  // namespace opcsim
