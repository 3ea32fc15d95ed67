// A private group of an OPC server object through COM. Every array a call hands out is freed here
// once the call succeeded (with each OPCITEMRESULT's blob and each OPCITEMSTATE's value); after a
// failed call nothing it handed out is looked at.
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <cstring>

#include "platform/opc.h"
#include "platform/win32/opc_interfaces.h"

namespace tagcfg::platform {

namespace {

using opc::OPCHANDLE;

static_assert(kVtArrayBit == VT_ARRAY && kOpcDsDevice == opc::kOpcDsDevice, "the portable values are COM's own");

// What a call that succeeded without its arrays gives each item.
constexpr HRESULT kNoAnswer = E_UNEXPECTED;

// The scalar's value in the field its type fills; a type the library does not take apart is kept
// with its type only.
void take_scalar(VARTYPE type, const void *data, ValueElement &element) {
    element.type = type;
    switch (type) {
    case VT_I1: element.integer = static_cast<int64_t>(*static_cast<const int8_t *>(data)); break;
    case VT_I2: element.integer = *static_cast<const SHORT *>(data); break;
    case VT_I4:
    case VT_INT:
    case VT_ERROR: element.integer = *static_cast<const LONG *>(data); break;
    case VT_I8: element.integer = *static_cast<const LONGLONG *>(data); break;
    case VT_CY: element.integer = static_cast<const CY *>(data)->int64; break;
    case VT_BOOL: element.integer = *static_cast<const VARIANT_BOOL *>(data) ? -1 : 0; break;
    case VT_UI1: element.unsigned_integer = *static_cast<const BYTE *>(data); break;
    case VT_UI2: element.unsigned_integer = *static_cast<const USHORT *>(data); break;
    case VT_UI4:
    case VT_UINT: element.unsigned_integer = *static_cast<const ULONG *>(data); break;
    case VT_UI8: element.unsigned_integer = *static_cast<const ULONGLONG *>(data); break;
    case VT_R4: element.real = *static_cast<const FLOAT *>(data); break;
    case VT_R8:
    case VT_DATE: element.real = *static_cast<const DOUBLE *>(data); break;
    case VT_BSTR: {
        const BSTR text = *static_cast<const BSTR *>(data);
        if (text) element.text.assign(reinterpret_cast<const char16_t *>(text), SysStringLen(text));
        break;
    }
    default: break;
    }
}

// Where a VARIANT of a scalar type keeps its value.
const void *scalar_data(const VARIANT &variant) { return &variant.llVal; }

void take_element(const VARIANT &variant, ValueElement &element) {
    if (variant.vt & (VT_ARRAY | VT_BYREF)) element.type = variant.vt;  // nested: named, not taken apart
    else take_scalar(variant.vt, scalar_data(variant), element);
}

// A one-dimensional array's elements; any other array is kept with its type only.
void take_array(const VARIANT &variant, ItemValue &value) {
    SAFEARRAY *array = variant.parray;
    LONG low = 0, high = -1;
    if (!array || SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &low)) ||
        FAILED(SafeArrayGetUBound(array, 1, &high)))
        return;
    void *data = nullptr;
    if (high < low || FAILED(SafeArrayAccessData(array, &data))) return;
    const VARTYPE element_type = variant.vt & ~VT_ARRAY;
    const UINT size = SafeArrayGetElemsize(array);
    for (LONG i = 0; i <= high - low; ++i) {
        const void *at = static_cast<const BYTE *>(data) + static_cast<size_t>(i) * size;
        value.elements.emplace_back();
        if (element_type == VT_VARIANT) take_element(*static_cast<const VARIANT *>(at), value.elements.back());
        else take_scalar(element_type, at, value.elements.back());
    }
    SafeArrayUnaccessData(array);
}

ItemValue value_of(const VARIANT &variant) {
    ItemValue value;
    value.type = variant.vt;
    if (variant.vt & VT_BYREF) return value;
    if (variant.vt & VT_ARRAY) take_array(variant, value);
    else if (variant.vt != VT_EMPTY && variant.vt != VT_NULL) {
        value.elements.emplace_back();
        take_scalar(variant.vt, scalar_data(variant), value.elements.back());
    }
    return value;
}

class ComItemGroup : public ItemGroup {
public:
    explicit ComItemGroup(opc::IOPCItemMgt *items) : items_(items) {}
    ~ComItemGroup() override { items_->Release(); }

    int32_t validate_items(const std::vector<ItemDefinition> &items, std::vector<ItemResult> &results) override {
        return find(items, results, true);
    }
    int32_t add_items(const std::vector<ItemDefinition> &items, std::vector<ItemResult> &results) override {
        return find(items, results, false);
    }
    int32_t remove_items(const std::vector<uint32_t> &handles, std::vector<int32_t> &errors) override {
        std::vector<OPCHANDLE> server_handles(handles.begin(), handles.end());
        HRESULT *item_errors = nullptr;
        const HRESULT result =
            items_->RemoveItems(static_cast<DWORD>(handles.size()), server_handles.data(), &item_errors);
        if (FAILED(result)) return result;
        errors.assign(handles.size(), kNoAnswer);
        if (item_errors) std::memcpy(errors.data(), item_errors, handles.size() * sizeof(HRESULT));
        CoTaskMemFree(item_errors);
        return result;
    }
    int32_t read_from_device(const std::vector<uint32_t> &handles, std::vector<ItemState> &states) override {
        void *sync = nullptr;
        HRESULT result = items_->QueryInterface(opc::kIidOpcSyncIo, &sync);
        if (!sync) return FAILED(result) ? result : E_NOINTERFACE;
        std::vector<OPCHANDLE> server_handles(handles.begin(), handles.end());
        opc::OPCITEMSTATE *values = nullptr;
        HRESULT *errors = nullptr;
        result = static_cast<opc::IOPCSyncIO *>(sync)->Read(opc::kOpcDsDevice, static_cast<DWORD>(handles.size()),
                                                            server_handles.data(), &values, &errors);
        static_cast<opc::IOPCSyncIO *>(sync)->Release();
        if (FAILED(result)) return result;
        states.assign(handles.size(), ItemState());
        for (size_t i = 0; i < handles.size(); ++i) {
            ItemState &state = states[i];
            state.error = errors && values ? errors[i] : kNoAnswer;
            if (!values) continue;
            if (SUCCEEDED(state.error)) {
                state.value = value_of(values[i].vDataValue);
                state.quality = values[i].wQuality;
                state.timestamp = static_cast<uint64_t>(values[i].ftTimeStamp.dwHighDateTime) << 32 |
                                  values[i].ftTimeStamp.dwLowDateTime;
            }
            VariantClear(&values[i].vDataValue);
        }
        CoTaskMemFree(values);
        CoTaskMemFree(errors);
        return result;
    }

private:
    // ValidateItems or AddItems: every item inactive, VT_EMPTY asked for, no blob.
    int32_t find(const std::vector<ItemDefinition> &items, std::vector<ItemResult> &out, bool validate) {
        std::vector<opc::OPCITEMDEF> defined(items.size());
        for (size_t i = 0; i < items.size(); ++i) {
            // The server only reads the texts, though the structure's pointers are not const.
            defined[i].szItemID = const_cast<LPWSTR>(reinterpret_cast<LPCWSTR>(items[i].item_id.c_str()));
            defined[i].szAccessPath = const_cast<LPWSTR>(reinterpret_cast<LPCWSTR>(items[i].access_path.c_str()));
            defined[i].hClient = static_cast<OPCHANDLE>(i);
            defined[i].vtRequestedDataType = VT_EMPTY;
        }
        opc::OPCITEMRESULT *results = nullptr;
        HRESULT *errors = nullptr;
        const DWORD count = static_cast<DWORD>(items.size());
        const HRESULT result = validate ? items_->ValidateItems(count, defined.data(), FALSE, &results, &errors)
                                        : items_->AddItems(count, defined.data(), &results, &errors);
        if (FAILED(result)) return result;
        out.assign(items.size(), ItemResult());
        for (size_t i = 0; i < items.size(); ++i) {
            out[i].error = errors && results ? errors[i] : kNoAnswer;
            if (!results) continue;
            if (SUCCEEDED(out[i].error))
                out[i] = {out[i].error, results[i].hServer, results[i].vtCanonicalDataType, results[i].dwAccessRights};
            CoTaskMemFree(results[i].pBlob);  // handed out even when no blob was asked for
        }
        CoTaskMemFree(results);
        CoTaskMemFree(errors);
        return result;
    }

    opc::IOPCItemMgt *items_;  // owned: one reference
};

}  // namespace

std::unique_ptr<ItemGroup> add_group(ServerObject *server, uint32_t *handle, int32_t *result) {
    *handle = 0;
    *result = E_NOINTERFACE;
    if (!server) return nullptr;
    OPCHANDLE server_group = 0;
    DWORD revised_rate = 0;
    IUnknown *items = nullptr;
    *result = reinterpret_cast<opc::IOPCServer *>(server)->AddGroup(
        L"", FALSE, 0, 0, nullptr, nullptr, 0, &server_group, &revised_rate, opc::kIidOpcItemMgt, &items);
    if (FAILED(*result)) return nullptr;
    *handle = server_group;
    if (!items) return nullptr;
    return std::make_unique<ComItemGroup>(reinterpret_cast<opc::IOPCItemMgt *>(items));
}

int32_t remove_group(ServerObject *server, uint32_t handle) {
    if (!server) return E_POINTER;
    return reinterpret_cast<opc::IOPCServer *>(server)->RemoveGroup(handle, FALSE);
}

}  // namespace tagcfg::platform
