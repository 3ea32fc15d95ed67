#include "class_factory.h"

#include <new>

#include "module.h"
#include "server_browser.h"
#include "server_object.h"
#include "single_interface_object.h"

namespace opcsim {

namespace {

// Makes the objects of one fake server class or, without one, the server browser's stand-in.
class ClassFactory final : public SingleInterfaceObject<IClassFactory, &IID_IClassFactory> {
public:
    explicit ClassFactory(const ServerClass *server_class) : class_(server_class) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **object) override {
        if (object) *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return class_ ? create_server_object(*class_, iid, object) : create_server_browser(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock_module(lock != FALSE);
        return S_OK;
    }

private:
    const ServerClass *class_;  // not owned: a row of the constant class table, or null
};

const ServerClass *class_of(REFCLSID clsid) {
    wchar_t text[40];
    if (!StringFromGUID2(clsid, text, 40)) return nullptr;
    char narrow[40];
    for (int i = 0; i < 40; ++i) narrow[i] = static_cast<char>(text[i]);
    for (const ServerClass &c : kServerClasses)
        if (lstrcmpiA(c.clsid, narrow) == 0) return &c;
    return nullptr;
}

}  // namespace

HRESULT get_class_object(REFCLSID clsid, REFIID iid, void **object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    const ServerClass *server_class = class_of(clsid);
    if (!server_class && !is_server_browser_class(clsid)) return CLASS_E_CLASSNOTAVAILABLE;
    auto *factory = new (std::nothrow) ClassFactory(server_class);
    if (!factory) return E_OUTOFMEMORY;
    HRESULT result = factory->QueryInterface(iid, object);
    factory->Release();
    return result;
}

}  // namespace opcsim
