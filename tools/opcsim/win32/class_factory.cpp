#include "class_factory.h"

#include <new>

#include "module.h"
#include "server_object.h"

namespace opcsim {

namespace {

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const ServerClass &server_class) : class_(server_class) { object_created(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory *>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **object) override {
        if (object) *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_server_object(class_, iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock_module(lock != FALSE);
        return S_OK;
    }

private:
    ~ClassFactory() { object_destroyed(); }

    volatile LONG refs_ = 1;
    const ServerClass &class_;
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
    if (!server_class) return CLASS_E_CLASSNOTAVAILABLE;
    auto *factory = new (std::nothrow) ClassFactory(*server_class);
    if (!factory) return E_OUTOFMEMORY;
    HRESULT result = factory->QueryInterface(iid, object);
    factory->Release();
    return result;
}

}  // namespace opcsim
