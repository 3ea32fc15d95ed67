// OPC server objects: creation, and the browse interface with its string enumerators. Strings
// that these calls hand out are task memory: the caller releases them with free_task_memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/com.h"

namespace tagcfg::platform {

constexpr int32_t kOpcBrowseUp = 1;
constexpr int32_t kOpcBrowseDown = 2;
constexpr int32_t kOpcBranch = 1;
constexpr int32_t kOpcLeaf = 2;
constexpr int32_t kOpcFlat = 3;
constexpr int32_t kOpcHierarchical = 1;
constexpr int32_t kOpcFlatSpace = 2;

constexpr int32_t kOpcDsDevice = 2;       // OPC_DS_DEVICE
constexpr uint32_t kOpcReadable = 1;      // OPC_READABLE
constexpr uint32_t kOpcWriteable = 2;     // OPC_WRITEABLE
constexpr uint16_t kVtArrayBit = 0x2000;  // VT_ARRAY

// One element of a value read from an item, held in the field its type fills.
struct ValueElement {
    uint16_t type = 0;              // its VARTYPE; in an array of VT_VARIANT, each element's own
    int64_t integer = 0;            // signed types, VT_BOOL (0 or -1), VT_ERROR, VT_CY (1/10,000)
    uint64_t unsigned_integer = 0;  // VT_UI1 to VT_UI8, VT_UINT
    double real = 0;                // VT_R4, VT_R8, VT_DATE (days since 1899-12-30)
    std::u16string text;            // VT_BSTR
};

// A VARIANT without COM: its type (VT_ARRAY set for an array) and its elements, one for a scalar,
// none for VT_EMPTY or a type the library does not take apart.
struct ItemValue {
    uint16_t type = 0;
    std::vector<ValueElement> elements;
};

// An OPCITEMDEF as the library fills it: inactive, VT_EMPTY requested, no blob.
struct ItemDefinition {
    std::u16string item_id;
    std::u16string access_path;
};

// An item's error and its OPCITEMRESULT.
struct ItemResult {
    int32_t error = 0;
    uint32_t server_handle = 0;
    uint16_t canonical_type = 0;
    uint32_t access_rights = 0;
};

// An item's error and its OPCITEMSTATE.
struct ItemState {
    int32_t error = 0;
    ItemValue value;
    uint16_t quality = 0;
    uint64_t timestamp = 0;  // a FILETIME: 100 ns steps since 1601-01-01 UTC
};

// A private group of a server object, through its IOPCItemMgt, holding one reference. Each call
// gives the call's result and, only when that succeeded (S_OK, or S_FALSE when some items
// failed), one entry per item in order; whatever the server handed out is freed before it returns.
class ItemGroup {
public:
    virtual ~ItemGroup() = default;
    // ValidateItems(items, no blob update).
    virtual int32_t validate_items(const std::vector<ItemDefinition> &items, std::vector<ItemResult> &results) = 0;
    virtual int32_t add_items(const std::vector<ItemDefinition> &items, std::vector<ItemResult> &results) = 0;
    virtual int32_t remove_items(const std::vector<uint32_t> &handles, std::vector<int32_t> &errors) = 0;
    // IOPCSyncIO::Read(OPC_DS_DEVICE) through the group's IOPCSyncIO, asked for with
    // QueryInterface and released again before it returns.
    virtual int32_t read_from_device(const std::vector<uint32_t> &handles, std::vector<ItemState> &states) = 0;
};

// IOPCServer::AddGroup with no name (the server makes one up), inactive, update rate 0, no time
// bias or deadband, and IID_IOPCItemMgt asked for: the group, or null. The call's result in
// *result (OPC_S_UNSUPPORTEDRATE is a success) and the server's handle of the group in *handle.
std::unique_ptr<ItemGroup> add_group(ServerObject *server, uint32_t *handle, int32_t *result);
// IOPCServer::RemoveGroup(handle, not forced): once every interface of the group is released.
int32_t remove_group(ServerObject *server, uint32_t handle);

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
