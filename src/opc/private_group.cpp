#include "opc/private_group.h"

#include <algorithm>

#include "opc/connect.h"
#include "opc/opc_util.h"

namespace tagcfg {

namespace {

std::vector<platform::ItemDefinition> definitions(const std::vector<ItemName> &items, size_t from, size_t count) {
    std::vector<platform::ItemDefinition> defined(count);
    for (size_t i = 0; i < count; ++i) {
        to_wide(items[from + i].item_id.c_str(), items[from + i].item_id.size(), defined[i].item_id);
        to_wide(items[from + i].access_path.c_str(), items[from + i].access_path.size(), defined[i].access_path);
    }
    return defined;
}

// A server that answers success with fewer entries than items still gives every item one.
constexpr int32_t kNoAnswer = static_cast<int32_t>(0x8000FFFF);  // E_UNEXPECTED

}  // namespace

PrivateGroup::PrivateGroup(ServerConfig &config) : config_(config) {
    group_ = platform::add_group(config.server_object, &handle_, &add_result_);
    if (add_result_ < 0) group_.reset();  // a failed call hands out nothing to be used
    if (!group_) failure_ = add_result_ < 0 ? add_result_ : kNoAnswer;
    // A server that added a group without handing out its interface still holds the group.
    if (!group_ && add_result_ >= 0) platform::remove_group(config.server_object, handle_);
    dead(add_result_);
}

PrivateGroup::~PrivateGroup() {
    if (!group_) return;
    group_.reset();  // the server removes a group only once no interface of it is held
    platform::remove_group(config_.server_object, handle_);
}

bool PrivateGroup::dead(int32_t result) {
    if (!is_dead_object_result(result)) return false;
    lost_ = true;
    failure_ = result;
    group_.reset();
    disconnect_server(config_);
    return true;
}

std::vector<ItemCheck> PrivateGroup::validate(const std::vector<ItemName> &items) {
    std::vector<ItemCheck> checks(items.size());
    for (size_t from = 0; from < items.size(); from += kMostItemsPerCall) {
        const size_t count = std::min(kMostItemsPerCall, items.size() - from);
        std::vector<platform::ItemResult> results;
        const int32_t result = group_ ? group_->validate_items(definitions(items, from, count), results) : failure_;
        dead(result);
        for (size_t i = 0; i < count; ++i) {
            if (result < 0 || i >= results.size()) checks[from + i].error = result < 0 ? result : kNoAnswer;
            else checks[from + i] = {results[i].error, results[i].canonical_type, results[i].access_rights};
        }
    }
    return checks;
}

std::vector<ItemReading> PrivateGroup::read(const std::vector<ItemName> &items) {
    std::vector<ItemReading> readings(items.size());
    for (size_t from = 0; from < items.size(); from += kMostItemsPerCall) {
        const size_t count = std::min(kMostItemsPerCall, items.size() - from);
        std::vector<platform::ItemResult> added;
        const int32_t result = group_ ? group_->add_items(definitions(items, from, count), added) : failure_;
        std::vector<uint32_t> handles;
        std::vector<ItemReading *> handled;  // the reading of each handle
        for (size_t i = 0; i < count; ++i) {
            ItemReading &reading = readings[from + i];
            reading.error = result < 0 ? result : i < added.size() ? added[i].error : kNoAnswer;
            if (reading.error < 0) continue;
            handles.push_back(added[i].server_handle);
            handled.push_back(&reading);
        }
        if (dead(result) || handles.empty()) continue;
        std::vector<platform::ItemState> states;
        const int32_t read = group_->read_from_device(handles, states);
        for (size_t h = 0; h < handles.size(); ++h) {
            if (read < 0 || h >= states.size()) handled[h]->error = read < 0 ? read : kNoAnswer;
            else *handled[h] = {states[h].error, std::move(states[h].value), states[h].quality, states[h].timestamp};
        }
        std::vector<int32_t> removed;
        if (!dead(read)) dead(group_->remove_items(handles, removed));
    }
    return readings;
}

}  // namespace tagcfg
