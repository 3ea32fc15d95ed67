#include "server_browser.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "module.h"
#include "opcsim_classes.h"
#include "platform/win32/opc_interfaces.h"
#include "single_interface_object.h"
#include "wide_text.h"

namespace opcsim {

namespace {

using tagcfg::opc::IOPCEnumGUID;
using tagcfg::opc::IOPCServerList;
using tagcfg::opc::IOPCServerList2;
using Guids = std::shared_ptr<const std::vector<GUID>>;

// IOPCEnumGUID or IEnumGUID (the same methods under two identifiers) over a fixed list.
template <typename Interface, const IID *kInterfaceId>
class GuidEnumerator final : public SingleInterfaceObject<Interface, kInterfaceId> {
public:
    GuidEnumerator(Guids guids, size_t at) : guids_(std::move(guids)), at_(at) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, GUID *out, ULONG *fetched) override {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG done = 0;
        for (; done < count && at_ < guids_->size(); ++done) out[done] = (*guids_)[at_++];
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        size_t moved = count < guids_->size() - at_ ? count : guids_->size() - at_;
        at_ += moved;
        return moved == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        at_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Interface **copy) override {
        if (!copy) return E_POINTER;
        *copy = new (std::nothrow) GuidEnumerator(guids_, at_);
        return *copy ? S_OK : E_OUTOFMEMORY;
    }

private:
    Guids guids_;
    size_t at_;
};

bool is_da_category(const GUID &category) {
    for (const GUID &da : tagcfg::opc::kCatidOpcDaServers)
        if (IsEqualGUID(category, da)) return true;
    return false;
}

GUID clsid_of(const ServerClass &c) {
    GUID clsid = GUID_NULL;
    CLSIDFromString(widen(c.clsid).c_str(), &clsid);
    return clsid;
}

const ServerClass *class_of(REFCLSID clsid) {
    for (const ServerClass &c : kServerClasses)
        if (IsEqualGUID(clsid_of(c), clsid)) return &c;
    return nullptr;
}

// The fake servers are in every Data Access category and no other: a class matches when some
// implemented category is one of them and every required one is.
HRESULT matching_classes(ULONG implemented_count, const CATID *implemented, ULONG required_count, const CATID *required,
                         std::vector<GUID> &classes) {
    if ((implemented_count && !implemented) || (required_count && !required)) return E_INVALIDARG;
    bool any = false;
    for (ULONG i = 0; i < implemented_count; ++i) any = any || is_da_category(implemented[i]);
    for (ULONG i = 0; i < required_count; ++i) any = any && is_da_category(required[i]);
    if (any)
        for (const ServerClass &c : kServerClasses)
            if (c.opc) classes.push_back(clsid_of(c));
    return S_OK;
}

template <typename Interface, const IID *kInterfaceId>
HRESULT enumerate(ULONG implemented_count, const CATID *implemented, ULONG required_count, const CATID *required,
                  Interface **out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
        auto classes = std::make_shared<std::vector<GUID>>();
        HRESULT result = matching_classes(implemented_count, implemented, required_count, required, *classes);
        if (FAILED(result)) return result;
        *out = new GuidEnumerator<Interface, kInterfaceId>(std::move(classes), 0);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

// The texts of a class in task memory; none is handed out on a failure. The ProgIDs are
// registered with their version only, so there is no version-independent one.
HRESULT details(REFCLSID clsid, LPOLESTR *progid, LPOLESTR *description, LPOLESTR *independent) {
    if (!progid || !description) return E_INVALIDARG;
    *progid = *description = nullptr;
    if (independent) *independent = nullptr;
    try {
        const ServerClass *c = class_of(clsid);
        if (!c) return REGDB_E_CLASSNOTREG;
        *progid = task_string(widen(c->progid));
        *description = task_string(c->description ? widen(c->description) : std::wstring());
    } catch (...) {
    }
    if (*progid && *description) return S_OK;
    CoTaskMemFree(*progid);
    CoTaskMemFree(*description);
    *progid = *description = nullptr;
    return E_OUTOFMEMORY;
}

class ServerBrowser final : public IOPCServerList2, public IOPCServerList {
public:
    ServerBrowser() { object_created(); }
    ServerBrowser(const ServerBrowser &) = delete;
    ServerBrowser &operator=(const ServerBrowser &) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, tagcfg::opc::kIidOpcServerList2))
            *object = static_cast<IOPCServerList2 *>(this);
        else if (IsEqualIID(iid, tagcfg::opc::kIidOpcServerList)) *object = static_cast<IOPCServerList *>(this);
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

    HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG implemented_count, CATID implemented[],
                                                      ULONG required_count, CATID required[],
                                                      IOPCEnumGUID **classes) override {
        return enumerate<IOPCEnumGUID, &tagcfg::opc::kIidOpcEnumGuid>(implemented_count, implemented, required_count,
                                                                      required, classes);
    }
    HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG implemented_count, CATID implemented[],
                                                      ULONG required_count, CATID required[],
                                                      IEnumGUID **classes) override {
        return enumerate<IEnumGUID, &IID_IEnumGUID>(implemented_count, implemented, required_count, required, classes);
    }
    HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR *progid, LPOLESTR *user_type,
                                              LPOLESTR *version_independent_progid) override {
        return details(clsid, progid, user_type, version_independent_progid);
    }
    HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR *progid, LPOLESTR *user_type) override {
        return details(clsid, progid, user_type, nullptr);
    }
    // One method for both interfaces: the same call under both.
    HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR progid, LPCLSID clsid) override {
        if (!progid || !clsid) return E_INVALIDARG;
        *clsid = GUID_NULL;
        try {
            const ServerClass *c = server_class(narrow(progid).c_str());
            if (!c) return CO_E_CLASSSTRING;
            *clsid = clsid_of(*c);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

private:
    ~ServerBrowser() { object_destroyed(); }

    volatile LONG refs_ = 1;
};

}  // namespace

bool is_server_browser_class(REFCLSID clsid) { return IsEqualCLSID(clsid, tagcfg::opc::kClsidOpcServerList); }

HRESULT create_server_browser(REFIID iid, void **object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    auto *browser = new (std::nothrow) ServerBrowser;
    if (!browser) return E_OUTOFMEMORY;
    HRESULT result = browser->QueryInterface(iid, object);
    browser->Release();
    return result;
}

}  // namespace opcsim
