// The OPC server browser through COM: IOPCServerList2 where the browser offers it, else the older
// IOPCServerList.
#include "platform/server_browser.h"

#include <objbase.h>
#include <windows.h>

#include <cstring>

#include "platform/win32/opc_interfaces.h"

namespace tagcfg::platform {

namespace {

// One reference to an interface, released when it goes.
template <typename Interface>
class Held {
public:
    Held() = default;
    ~Held() {
        if (pointer_) pointer_->Release();
    }
    Held(const Held &) = delete;
    Held &operator=(const Held &) = delete;
    Interface *get() const { return pointer_; }
    Interface **out() { return &pointer_; }
    void **out_void() { return reinterpret_cast<void **>(&pointer_); }

private:
    Interface *pointer_ = nullptr;
};

// The text of a task-memory string, which it frees; null gives the empty text.
std::u16string take_text(LPOLESTR text) {
    std::u16string out = text ? std::u16string(reinterpret_cast<const char16_t *>(text)) : std::u16string();
    CoTaskMemFree(text);
    return out;
}

// This computer's browser may live in any context. Another computer's is asked for remotely only:
// a wider context would let this computer's browser answer for it.
HRESULT create_browser(const char16_t *host, Held<IUnknown> &browser) {
    if (!host) return CoCreateInstance(opc::kClsidOpcServerList, nullptr, CLSCTX_ALL, IID_IUnknown, browser.out_void());
    COSERVERINFO info = {};
    info.pwszName = const_cast<LPWSTR>(reinterpret_cast<LPCWSTR>(host));
    MULTI_QI query = {&IID_IUnknown, nullptr, 0};
    HRESULT result = CoCreateInstanceEx(opc::kClsidOpcServerList, nullptr, CLSCTX_REMOTE_SERVER, &info, 1, &query);
    *browser.out() = query.pItf;
    return SUCCEEDED(result) ? query.hr : result;
}

// A class's texts. What the browser hands out is freed whatever the result; the texts are kept
// only from a success.
void read_details(opc::IOPCServerList2 *list, const GUID &clsid, BrowsedClass &browsed) {
    LPOLESTR progid = nullptr, description = nullptr, independent = nullptr;
    HRESULT result = list->GetClassDetails(clsid, &progid, &description, &independent);
    browsed.progid = take_text(progid);
    browsed.description = take_text(description);
    take_text(independent);
    if (FAILED(result)) browsed = BrowsedClass{browsed.clsid, {}, {}};
}

void read_details(opc::IOPCServerList *list, const GUID &clsid, BrowsedClass &browsed) {
    LPOLESTR progid = nullptr, description = nullptr;
    HRESULT result = list->GetClassDetails(clsid, &progid, &description);
    browsed.progid = take_text(progid);
    browsed.description = take_text(description);
    if (FAILED(result)) browsed = BrowsedClass{browsed.clsid, {}, {}};
}

// The classes of the OPC Data Access categories through either interface, one at a time and at
// most `limit` asked for.
template <typename List, typename Enumerator>
HRESULT read_classes(List *list, size_t limit, std::vector<BrowsedClass> &classes) {
    CATID categories[sizeof opc::kCatidOpcDaServers / sizeof opc::kCatidOpcDaServers[0]];
    std::memcpy(categories, opc::kCatidOpcDaServers, sizeof categories);
    Held<Enumerator> found;
    HRESULT result = list->EnumClassesOfCategories(ARRAYSIZE(categories), categories, 0, nullptr, found.out());
    if (FAILED(result)) return result;
    if (!found.get()) return S_OK;  // nothing listed
    for (size_t asked = 0; asked < limit; ++asked) {
        GUID clsid;
        ULONG fetched = 0;
        if (found.get()->Next(1, &clsid, &fetched) != S_OK || fetched != 1) break;
        BrowsedClass browsed;
        std::memcpy(static_cast<void *>(&browsed.clsid), &clsid, sizeof clsid);
        read_details(list, clsid, browsed);
        classes.push_back(std::move(browsed));
    }
    return S_OK;
}

}  // namespace

int32_t list_browser_classes(const char16_t *host, size_t limit, std::vector<BrowsedClass> &classes) {
    Held<IUnknown> browser;
    HRESULT result = create_browser(host, browser);
    if (FAILED(result)) return result;
    if (!browser.get()) return E_NOINTERFACE;
    Held<opc::IOPCServerList2> list2;
    if (SUCCEEDED(browser.get()->QueryInterface(opc::kIidOpcServerList2, list2.out_void())) && list2.get())
        return read_classes<opc::IOPCServerList2, opc::IOPCEnumGUID>(list2.get(), limit, classes);
    Held<opc::IOPCServerList> list;
    result = browser.get()->QueryInterface(opc::kIidOpcServerList, list.out_void());
    if (FAILED(result) || !list.get()) return FAILED(result) ? result : E_NOINTERFACE;
    return read_classes<opc::IOPCServerList, IEnumGUID>(list.get(), limit, classes);
}

}  // namespace tagcfg::platform
