#include "item_variant.h"

#include <oleauto.h>

#include "wide_text.h"

namespace opcsim {

namespace {

// Writes one element where a VARIANT of that type, or an array's element, keeps it.
HRESULT put_scalar(VARTYPE type, const Scalar &scalar, void *at) {
    switch (type) {
    case VT_I1: *static_cast<signed char *>(at) = static_cast<signed char>(scalar.integer); break;
    case VT_I2: *static_cast<SHORT *>(at) = static_cast<SHORT>(scalar.integer); break;
    case VT_I4:
    case VT_INT:
    case VT_ERROR: *static_cast<LONG *>(at) = static_cast<LONG>(scalar.integer); break;
    case VT_I8: *static_cast<LONGLONG *>(at) = scalar.integer; break;
    case VT_CY: static_cast<CY *>(at)->int64 = scalar.integer; break;
    case VT_BOOL: *static_cast<VARIANT_BOOL *>(at) = scalar.integer ? VARIANT_TRUE : VARIANT_FALSE; break;
    case VT_UI1: *static_cast<BYTE *>(at) = static_cast<BYTE>(scalar.unsigned_integer); break;
    case VT_UI2: *static_cast<USHORT *>(at) = static_cast<USHORT>(scalar.unsigned_integer); break;
    case VT_UI4:
    case VT_UINT: *static_cast<ULONG *>(at) = static_cast<ULONG>(scalar.unsigned_integer); break;
    case VT_UI8: *static_cast<ULONGLONG *>(at) = scalar.unsigned_integer; break;
    case VT_R4: *static_cast<FLOAT *>(at) = static_cast<FLOAT>(scalar.real); break;
    case VT_R8:
    case VT_DATE: *static_cast<DOUBLE *>(at) = scalar.real; break;
    case VT_BSTR: {
        const std::wstring text = widen(scalar.text);
        BSTR copy = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
        if (!copy) return E_OUTOFMEMORY;
        *static_cast<BSTR *>(at) = copy;
        break;
    }
    default: return DISP_E_BADVARTYPE;
    }
    return S_OK;
}

}  // namespace

HRESULT make_variant(const ItemState &state, VARIANT &variant) {
    VariantInit(&variant);
    if (state.type == VT_EMPTY) return S_OK;
    const VARTYPE element_type = state.type & ~VT_ARRAY;
    if (!(state.type & VT_ARRAY)) {
        const HRESULT result = put_scalar(element_type, state.elements.at(0), &variant.llVal);
        if (SUCCEEDED(result)) variant.vt = state.type;
        return result;
    }
    SAFEARRAY *array = SafeArrayCreateVector(element_type, 0, static_cast<ULONG>(state.elements.size()));
    if (!array) return E_OUTOFMEMORY;
    variant.vt = state.type;
    variant.parray = array;  // from here VariantClear frees whatever was put in
    void *data = nullptr;
    HRESULT result = SafeArrayAccessData(array, &data);
    for (size_t i = 0; SUCCEEDED(result) && i < state.elements.size(); ++i)
        result =
            put_scalar(element_type, state.elements[i], static_cast<BYTE *>(data) + i * SafeArrayGetElemsize(array));
    if (data) SafeArrayUnaccessData(array);
    if (FAILED(result)) VariantClear(&variant);
    return result;
}

}  // namespace opcsim
