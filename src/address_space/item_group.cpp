#include "address_space/item_group.h"

#include <algorithm>

namespace opcsim {

int32_t ItemGroup::validate(const std::string &item_id, const std::string &access_path,
                            const AddressNode **leaf) const {
    *leaf = nullptr;
    const bool malformed = item_id.empty() || std::any_of(item_id.begin(), item_id.end(),
                                                          [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (malformed) return kInvalidItemId;
    const auto &index = space_.case_insensitive ? space_.items_upper : space_.items;
    const auto found = index.find(space_.case_insensitive ? upper_case(item_id) : item_id);
    if (found == index.end()) return kUnknownItemId;
    const auto &paths = space_.access_paths;
    if (!access_path.empty() && std::find(paths.begin(), paths.end(), access_path) == paths.end()) return kUnknownPath;
    if (found->second->state.item_error) return found->second->state.item_error;
    *leaf = found->second;
    return 0;
}

int32_t ItemGroup::add(const std::string &item_id, const std::string &access_path, uint32_t &handle,
                       const AddressNode **leaf) {
    handle = 0;
    const int32_t result = validate(item_id, access_path, leaf);
    if (result < 0) return result;
    handle = next_handle_++;
    items_[handle] = *leaf;
    return result;
}

int32_t ItemGroup::remove(uint32_t handle) { return items_.erase(handle) ? 0 : kInvalidHandle; }

int32_t ItemGroup::read(uint32_t handle, const AddressNode **leaf) const {
    *leaf = nullptr;
    const auto found = items_.find(handle);
    if (found == items_.end()) return kInvalidHandle;
    if (!(found->second->state.rights & 1)) return kBadRights;
    *leaf = found->second;
    return 0;
}

}  // namespace opcsim
