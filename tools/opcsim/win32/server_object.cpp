#include "server_object.h"

#include <map>
#include <memory>
#include <new>

#include "address_space/browser.h"
#include "address_space/item_group.h"
#include "embedded_spaces.h"
#include "group_object.h"
#include "module.h"
#include "name_enumerator.h"
#include "platform/win32/opc_interfaces.h"
#include "wide_text.h"

namespace opcsim {

namespace {

using tagcfg::opc::IOPCBrowseServerAddressSpace;
using tagcfg::opc::IOPCServer;
using tagcfg::opc::OPCHANDLE;
using tagcfg::opc::OpcServerStatus;

class ServerObject final : public IOPCServer, public IOPCBrowseServerAddressSpace {
public:
    explicit ServerObject(std::shared_ptr<const AddressSpace> space)
        : space_(std::move(space)), browser_(*space_), born_(life_epoch()) {
        object_created();
        count_server_created();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (is_dead(born_)) return RPC_E_DISCONNECTED;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, tagcfg::opc::kIidOpcServer))
            *object = static_cast<IOPCServer *>(this);
        else if (IsEqualIID(iid, tagcfg::opc::kIidOpcBrowseServerAddressSpace) && !space_->no_browse)
            *object = static_cast<IOPCBrowseServerAddressSpace *>(this);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IOPCServer: private groups; the library asks for nothing else through it.
    HRESULT STDMETHODCALLTYPE AddGroup(LPCWSTR, BOOL, DWORD rate, OPCHANDLE, LONG *, FLOAT *, DWORD, OPCHANDLE *handle,
                                       DWORD *revised_rate, REFIID iid, LPUNKNOWN *unknown) override {
        count_call();
        if (unknown) *unknown = nullptr;
        if (!handle || !revised_rate || !unknown) return E_INVALIDARG;
        if (is_dead(born_)) return RPC_E_DISCONNECTED;
        if (space_->add_group_error) return space_->add_group_error;
        IUnknown *group = make_group_object(space_, born_);
        if (!group) return E_OUTOFMEMORY;
        const HRESULT asked = group->QueryInterface(iid, reinterpret_cast<void **>(unknown));
        if (FAILED(asked)) {
            group->Release();
            return asked;
        }
        *handle = next_group_++;
        groups_[*handle] = group;  // the server's own reference, let go by RemoveGroup
        // Every group runs at one rate; another asked for is revised, which is no failure.
        *revised_rate = kGroupUpdateRate;
        return rate == kGroupUpdateRate ? S_OK : kUnsupportedRate;
    }
    HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT, LCID, LPWSTR *) override { return not_implemented(); }
    HRESULT STDMETHODCALLTYPE GetGroupByName(LPCWSTR, REFIID, LPUNKNOWN *) override { return not_implemented(); }
    HRESULT STDMETHODCALLTYPE GetStatus(OpcServerStatus **) override { return not_implemented(); }
    HRESULT STDMETHODCALLTYPE RemoveGroup(OPCHANDLE handle, BOOL) override {
        count_call();
        if (is_dead(born_)) return RPC_E_DISCONNECTED;
        const auto found = groups_.find(handle);
        if (found == groups_.end()) return E_INVALIDARG;
        IUnknown *group = found->second;
        groups_.erase(found);
        // A group still held by a client lives on until it is let go, as OPC_S_INUSE tells.
        return group->Release() == 0 ? S_OK : kInUse;
    }
    HRESULT STDMETHODCALLTYPE CreateGroupEnumerator(DWORD, REFIID, LPUNKNOWN *) override { return not_implemented(); }

    // IOPCBrowseServerAddressSpace
    HRESULT STDMETHODCALLTYPE QueryOrganization(DWORD *namespace_type) override {
        count_call();
        if (is_dead(born_)) return RPC_E_DISCONNECTED;
        if (!namespace_type) return E_INVALIDARG;
        *namespace_type = static_cast<DWORD>(browser_.namespace_type());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ChangeBrowsePosition(DWORD direction, LPCWSTR name) override {
        count_call();
        if (is_dead(born_)) return RPC_E_DISCONNECTED;
        return browser_.change_position(static_cast<int>(direction), narrow(name));
    }
    HRESULT STDMETHODCALLTYPE BrowseOPCItemIDs(DWORD browse_type, LPCWSTR, VARTYPE, DWORD,
                                               IEnumString **names) override {
        count_call();
        if (!names) return E_INVALIDARG;
        *names = nullptr;
        if (is_dead(born_)) return RPC_E_DISCONNECTED;
        if (browse_type < kBranch || browse_type > kFlat) return E_INVALIDARG;
        std::vector<std::wstring> wide;
        try {
            for (const std::string &name : browser_.browse(static_cast<int>(browse_type))) wide.push_back(widen(name));
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        const int type = static_cast<int>(browse_type);
        const bool endless = browser_.endless(type);
        const bool empty = wide.empty() && !endless;
        *names = make_name_enumerator(std::move(wide), space_->null_name, endless ? type : 0);
        if (!*names) return E_OUTOFMEMORY;
        // An empty enumeration still hands out an enumerator, with S_FALSE.
        return empty ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetItemID(LPWSTR name, LPWSTR *item_id) override {
        count_call();
        if (!item_id) return E_INVALIDARG;
        *item_id = nullptr;
        if (is_dead(born_)) return RPC_E_DISCONNECTED;
        std::string id;
        HRESULT result = browser_.item_id(narrow(name), id);
        if (FAILED(result)) return result;
        *item_id = task_string(widen(id));
        return *item_id ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE BrowseAccessPaths(LPCWSTR, IEnumString **access_paths) override {
        count_call();
        if (access_paths) *access_paths = nullptr;
        return is_dead(born_) ? RPC_E_DISCONNECTED : E_NOTIMPL;
    }

private:
    ~ServerObject() {
        for (const auto &group : groups_) group.second->Release();
        object_destroyed();
    }
    HRESULT not_implemented() const { return is_dead(born_) ? RPC_E_DISCONNECTED : E_NOTIMPL; }

    volatile LONG refs_ = 1;
    std::shared_ptr<const AddressSpace> space_;
    Browser browser_;
    LONG born_;                               // the life epoch it was made in
    std::map<OPCHANDLE, IUnknown *> groups_;  // one reference each, until RemoveGroup
    OPCHANDLE next_group_ = 1;
};

}  // namespace

HRESULT create_server_object(const ServerClass &server_class, REFIID iid, void **object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    std::shared_ptr<const AddressSpace> space = embedded_space(server_class.space);
    if (!space) return E_FAIL;
    auto *server = new (std::nothrow) ServerObject(std::move(space));
    if (!server) return E_OUTOFMEMORY;
    HRESULT result = server->QueryInterface(iid, object);
    server->Release();
    return result;
}

}  // namespace opcsim
