#include <objbase.h>
#include <windows.h>

#include <cstring>

#include "platform/com.h"

namespace tagcfg::platform {

namespace {

static_assert(sizeof(Guid) == sizeof(GUID), "Guid mirrors GUID");

GUID to_native(const Guid &g) {
    GUID out;
    std::memcpy(&out, static_cast<const void *>(&g), sizeof out);
    return out;
}

Guid from_native(const GUID &g) {
    Guid out;
    std::memcpy(static_cast<void *>(&out), &g, sizeof out);
    return out;
}

}  // namespace

bool operator==(const Guid &a, const Guid &b) { return IsEqualGUID(to_native(a), to_native(b)) != 0; }

void release_server_object(ServerObject *object) {
    if (object) reinterpret_cast<IUnknown *>(object)->Release();
}

int32_t clsid_from_progid(const char16_t *progid, Guid &clsid) {
    CLSID out;
    HRESULT result = CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(progid), &out);
    if (SUCCEEDED(result)) clsid = from_native(out);
    return result;
}

int32_t clsid_from_string(const char16_t *text, Guid &clsid) {
    CLSID out;
    HRESULT result = CLSIDFromString(reinterpret_cast<LPCOLESTR>(text), &out);
    if (SUCCEEDED(result)) clsid = from_native(out);
    return result;
}

int string_from_guid(const Guid &clsid, char16_t *buffer, int capacity) {
    return StringFromGUID2(to_native(clsid), reinterpret_cast<LPOLESTR>(buffer), capacity);
}

void free_task_memory(void *memory) { CoTaskMemFree(memory); }

}  // namespace tagcfg::platform
