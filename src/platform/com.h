// COM services: class identifiers and the lifetime of server objects. COM types themselves stay
// behind this seam.
#pragma once

#include <cstdint>

namespace tagcfg::platform {

struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};
};

bool operator==(const Guid &a, const Guid &b);
inline bool operator!=(const Guid &a, const Guid &b) { return !(a == b); }

// A server object held through its IOPCServer interface; opaque outside the platform.
struct ServerObject;

// IUnknown::Release on the held interface.
void release_server_object(ServerObject *object);

// CLSIDFromProgID and CLSIDFromString on zero-terminated wide text: the platform's HRESULT.
int32_t clsid_from_progid(const char16_t *progid, Guid &clsid);
int32_t clsid_from_string(const char16_t *text, Guid &clsid);

// StringFromGUID2: characters written including the terminator, 0 on failure.
int string_from_guid(const Guid &clsid, char16_t *buffer, int capacity);

// CoTaskMemFree.
void free_task_memory(void *memory);

}  // namespace tagcfg::platform
