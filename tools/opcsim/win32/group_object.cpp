#include "group_object.h"

#include "address_space/item_group.h"
#include "item_variant.h"
#include "module.h"
#include "platform/win32/opc_interfaces.h"
#include "wide_text.h"

namespace opcsim {

namespace {

using tagcfg::opc::OPCHANDLE;
using tagcfg::opc::OPCITEMDEF;
using tagcfg::opc::OPCITEMRESULT;
using tagcfg::opc::OPCITEMSTATE;

// The blob every item result carries, asked for or not, as some servers hand one out anyway: a
// client that does not free it loses memory with each item.
constexpr DWORD kBlobSize = 16;

template <typename Element>
Element *task_array(DWORD count) {
    auto *array = static_cast<Element *>(CoTaskMemAlloc(count * sizeof(Element)));
    if (array) ZeroMemory(array, count * sizeof(Element));
    return array;
}

// Both arrays of a call's answer, or neither: when one cannot be had, the other is freed too.
template <typename First, typename Second>
bool allocate_answer(DWORD count, First **first, Second **second) {
    *first = task_array<First>(count);
    *second = task_array<Second>(count);
    if (*first && *second) return true;
    CoTaskMemFree(*first);
    CoTaskMemFree(*second);
    *first = nullptr;
    *second = nullptr;
    return false;
}

class GroupObject final : public tagcfg::opc::IOPCItemMgt, public tagcfg::opc::IOPCSyncIO {
public:
    GroupObject(std::shared_ptr<const AddressSpace> space, LONG born)
        : space_(std::move(space)), group_(*space_), born_(born) {
        object_created();
        count_group(true);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (is_dead(born_)) return RPC_E_DISCONNECTED;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, tagcfg::opc::kIidOpcItemMgt))
            *object = static_cast<IOPCItemMgt *>(this);
        else if (IsEqualIID(iid, tagcfg::opc::kIidOpcSyncIo)) *object = static_cast<IOPCSyncIO *>(this);
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

    // IOPCItemMgt
    HRESULT STDMETHODCALLTYPE AddItems(DWORD count, OPCITEMDEF *items, OPCITEMRESULT **results,
                                       HRESULT **errors) override {
        return find(count, items, results, errors, true);
    }
    HRESULT STDMETHODCALLTYPE ValidateItems(DWORD count, OPCITEMDEF *items, BOOL, OPCITEMRESULT **results,
                                            HRESULT **errors) override {
        return find(count, items, results, errors, false);
    }
    HRESULT STDMETHODCALLTYPE RemoveItems(DWORD count, OPCHANDLE *handles, HRESULT **errors) override {
        if (HRESULT refused = refuse(count, handles, errors)) return refused;
        if (!(*errors = task_array<HRESULT>(count))) return E_OUTOFMEMORY;
        bool all = true;
        for (DWORD i = 0; i < count; ++i) all = SUCCEEDED((*errors)[i] = group_.remove(handles[i])) && all;
        return all ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE SetActiveState(DWORD, OPCHANDLE *, BOOL, HRESULT **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetClientHandles(DWORD, OPCHANDLE *, OPCHANDLE *, HRESULT **) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetDatatypes(DWORD, OPCHANDLE *, VARTYPE *, HRESULT **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateEnumerator(REFIID, LPUNKNOWN *unknown) override {
        if (unknown) *unknown = nullptr;
        return E_NOTIMPL;
    }

    // IOPCSyncIO
    HRESULT STDMETHODCALLTYPE Read(DWORD source, DWORD count, OPCHANDLE *handles, OPCITEMSTATE **values,
                                   HRESULT **errors) override {
        if (values) *values = nullptr;
        if (!values) return E_INVALIDARG;
        if (HRESULT refused = refuse(count, handles, errors)) return refused;
        if (source != tagcfg::opc::kOpcDsCache && source != tagcfg::opc::kOpcDsDevice) return E_INVALIDARG;
        if (!allocate_answer(count, values, errors)) return E_OUTOFMEMORY;
        for (DWORD i = 0; i < count; ++i) {
            const AddressNode *leaf = nullptr;
            HRESULT &error = (*errors)[i] = group_.read(handles[i], &leaf);
            OPCITEMSTATE &state = (*values)[i];
            VariantInit(&state.vDataValue);
            if (!leaf) continue;
            if (FAILED(error = make_variant(leaf->state, state.vDataValue))) continue;
            state.wQuality = leaf->state.quality;
            state.ftTimeStamp = {static_cast<DWORD>(leaf->state.time), static_cast<DWORD>(leaf->state.time >> 32)};
        }
        for (DWORD i = 0; i < count; ++i)
            if (FAILED((*errors)[i])) return S_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(DWORD, OPCHANDLE *, VARIANT *, HRESULT **errors) override {
        if (errors) *errors = nullptr;
        return E_NOTIMPL;
    }

private:
    ~GroupObject() {
        count_group(false);
        object_destroyed();
    }

    // The result a call is refused with before it looks at the items, or S_OK; counts the call.
    HRESULT refuse(DWORD count, const void *items, HRESULT **errors) const {
        count_call();
        if (errors) *errors = nullptr;
        if (!errors || !items) return E_INVALIDARG;
        if (is_dead(born_)) return RPC_E_DISCONNECTED;
        if (count == 0) return E_INVALIDARG;
        return space_->items_fail ? E_FAIL : S_OK;
    }

    HRESULT find(DWORD count, OPCITEMDEF *items, OPCITEMRESULT **results, HRESULT **errors, bool add) {
        if (results) *results = nullptr;
        if (!results) return E_INVALIDARG;
        if (HRESULT refused = refuse(count, items, errors)) return refused;
        if (!allocate_answer(count, results, errors)) return E_OUTOFMEMORY;
        bool all = true;
        for (DWORD i = 0; i < count; ++i) {
            const AddressNode *leaf = nullptr;
            OPCITEMRESULT &result = (*results)[i];
            const std::string item_id = narrow(items[i].szItemID), path = narrow(items[i].szAccessPath);
            uint32_t handle = 0;
            HRESULT &error = (*errors)[i] =
                add ? group_.add(item_id, path, handle, &leaf) : group_.validate(item_id, path, &leaf);
            all = all && SUCCEEDED(error);
            if (!leaf) continue;
            result = {handle, leaf->state.type, 0, leaf->state.rights, kBlobSize, task_array<BYTE>(kBlobSize)};
            if (!result.pBlob) result.dwBlobSize = 0;
        }
        return all ? S_OK : S_FALSE;
    }

    volatile LONG refs_ = 1;
    std::shared_ptr<const AddressSpace> space_;
    ItemGroup group_;
    LONG born_;  // the life epoch of the server object that made it
};

}  // namespace

IUnknown *make_group_object(std::shared_ptr<const AddressSpace> space, LONG born) {
    try {
        return static_cast<tagcfg::opc::IOPCItemMgt *>(new GroupObject(std::move(space), born));
    } catch (...) {
        return nullptr;
    }
}

}  // namespace opcsim
