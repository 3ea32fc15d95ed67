// IUnknown for a COM object that offers one interface besides IUnknown. The reference count
// starts at 1 for the creator, and every live object keeps the DLL loaded.
#pragma once

#include <windows.h>

#include "module.h"

namespace opcsim {

template <typename Interface, const IID *kInterfaceId>
class SingleInterfaceObject : public Interface {
public:
    SingleInterfaceObject() { object_created(); }
    SingleInterfaceObject(const SingleInterfaceObject &) = delete;
    SingleInterfaceObject &operator=(const SingleInterfaceObject &) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, *kInterfaceId)) {
            *object = static_cast<Interface *>(this);
            this->AddRef();
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

protected:
    // Virtual: Release deletes the most derived object.
    virtual ~SingleInterfaceObject() { object_destroyed(); }

private:
    volatile LONG refs_ = 1;
};

}  // namespace opcsim
