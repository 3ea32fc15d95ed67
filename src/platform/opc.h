// OPC server objects: creation, and the browse interface with its string enumerators. Strings
// that these calls hand out are task memory: the caller releases them with free_task_memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/com.h"

namespace tagcfg::platform {

constexpr int32_t kOpcBrowseUp = 1;
constexpr int32_t kOpcBrowseDown = 2;
constexpr int32_t kOpcBranch = 1;
constexpr int32_t kOpcLeaf = 2;
constexpr int32_t kOpcFlat = 3;
constexpr int32_t kOpcHierarchical = 1;
constexpr int32_t kOpcFlatSpace = 2;

// IEnumString, holding one reference.
class NameEnumerator {
public:
    virtual ~NameEnumerator() = default;
    // Next(1, name, fetched): the result, with *name set to task memory or null.
    virtual int32_t next(char16_t **name) = 0;
};

// IOPCBrowseServerAddressSpace, holding one reference.
class BrowseSource {
public:
    virtual ~BrowseSource() = default;
    virtual int32_t query_organization(int32_t *namespace_type) = 0;
    virtual int32_t change_browse_position(int32_t direction, const char16_t *name) = 0;
    // BrowseOPCItemIDs(type, empty filter, VT_EMPTY, 0): the enumerator, or null, with the
    // call's result in *result.
    virtual std::unique_ptr<NameEnumerator> browse_item_ids(int32_t type, int32_t *result) = 0;
    virtual int32_t get_item_id(const char16_t *name, char16_t **item_id) = 0;
};

// The browse interface of a server object (QueryInterface), or null when it has none; the call's
// result in *result (E_NOINTERFACE, and no call, for a null object).
std::unique_ptr<BrowseSource> query_browse_source(ServerObject *server, int32_t *result);

// GetComputerNameA.
std::string computer_name();

// CoCreateInstance(clsid, class context 0x15, IID_IOPCServer).
int32_t create_local_server(const Guid &clsid, ServerObject **server);

// CoCreateInstanceEx(clsid, class context 0x10, the host without authentication, one MULTI_QI
// for IID_IOPCServer).
int32_t create_remote_server(const Guid &clsid, const char16_t *host, ServerObject **server);

}  // namespace tagcfg::platform
