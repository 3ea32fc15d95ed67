// OPC server objects through COM.
#include "platform/opc.h"

#include <objbase.h>
#include <windows.h>

#include "platform/win32/opc_interfaces.h"

namespace tagcfg::platform {

namespace {

IUnknown *as_unknown(ServerObject *server) { return reinterpret_cast<IUnknown *>(server); }

class ComEnumerator : public NameEnumerator {
public:
    explicit ComEnumerator(IEnumString *names) : names_(names) {}
    ~ComEnumerator() override { names_->Release(); }
    int32_t next(char16_t **name) override {
        LPOLESTR text = nullptr;
        ULONG fetched = 0;
        HRESULT result = names_->Next(1, &text, &fetched);
        *name = reinterpret_cast<char16_t *>(text);
        return result;
    }

private:
    IEnumString *names_;  // owned: one reference
};

class ComBrowseSource : public BrowseSource {
public:
    explicit ComBrowseSource(opc::IOPCBrowseServerAddressSpace *browse) : browse_(browse) {}
    ~ComBrowseSource() override { browse_->Release(); }

    int32_t query_organization(int32_t *namespace_type) override {
        DWORD type = static_cast<DWORD>(*namespace_type);
        HRESULT result = browse_->QueryOrganization(&type);
        *namespace_type = static_cast<int32_t>(type);
        return result;
    }
    int32_t change_browse_position(int32_t direction, const char16_t *name) override {
        return browse_->ChangeBrowsePosition(static_cast<DWORD>(direction), reinterpret_cast<LPCWSTR>(name));
    }
    std::unique_ptr<NameEnumerator> browse_item_ids(int32_t type, int32_t *result) override {
        IEnumString *names = nullptr;
        *result = browse_->BrowseOPCItemIDs(static_cast<DWORD>(type), L"", VT_EMPTY, 0, &names);
        if (!names) return nullptr;
        return std::make_unique<ComEnumerator>(names);
    }
    int32_t get_item_id(const char16_t *name, char16_t **item_id) override {
        LPWSTR id = nullptr;
        HRESULT result = browse_->GetItemID(const_cast<LPWSTR>(reinterpret_cast<LPCWSTR>(name)), &id);
        *item_id = reinterpret_cast<char16_t *>(id);
        return result;
    }

private:
    opc::IOPCBrowseServerAddressSpace *browse_;  // owned: one reference
};

}  // namespace

std::unique_ptr<BrowseSource> query_browse_source(ServerObject *server, int32_t *result) {
    *result = E_NOINTERFACE;
    if (!server) return nullptr;
    void *browse = nullptr;
    *result = as_unknown(server)->QueryInterface(opc::kIidOpcBrowseServerAddressSpace, &browse);
    if (!browse) return nullptr;
    return std::make_unique<ComBrowseSource>(static_cast<opc::IOPCBrowseServerAddressSpace *>(browse));
}

std::string computer_name() {
    char name[256];
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) return "";
    return std::string(name, size);
}

int32_t create_local_server(const Guid &clsid, ServerObject **server) {
    void *object = nullptr;
    HRESULT result = CoCreateInstance(reinterpret_cast<const GUID &>(clsid), nullptr,
                                      CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                                      opc::kIidOpcServer, &object);
    *server = static_cast<ServerObject *>(object);
    return result;
}

int32_t create_remote_server(const Guid &clsid, const char16_t *host, ServerObject **server) {
    COSERVERINFO info = {};
    info.pwszName = const_cast<LPWSTR>(reinterpret_cast<LPCWSTR>(host));
    MULTI_QI query = {&opc::kIidOpcServer, nullptr, 0};
    HRESULT result =
        CoCreateInstanceEx(reinterpret_cast<const GUID &>(clsid), nullptr, CLSCTX_REMOTE_SERVER, &info, 1, &query);
    *server = reinterpret_cast<ServerObject *>(query.pItf);
    return result;
}

}  // namespace tagcfg::platform
