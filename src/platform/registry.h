// The registry, read only, of this computer or of another one through the remote registry
// service. Texts come back as std::string built from the length the system returned and never
// from past the buffer: a value without its terminating zero, or longer than the buffer, is cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tagcfg::platform {

// An open key (HKEY on Windows); null stands for none.
struct RegistryKeyTag;
using RegistryKey = RegistryKeyTag *;

// HKEY_CLASSES_ROOT of this computer; predefined, so it is never closed.
RegistryKey classes_root();

// The local-machine root of another computer's registry (RegConnectRegistryA(computer,
// HKEY_LOCAL_MACHINE)), to be closed with close_key: null when the computer cannot be reached.
RegistryKey connect_remote_registry(const std::string &computer);

// RegOpenKeyExA(key, path, KEY_READ): null on failure.
RegistryKey open_key(RegistryKey key, const std::string &path);

// RegEnumKeyA: the name of subkey `index` read into `capacity` bytes; false when there is none.
bool enum_key(RegistryKey key, uint32_t index, size_t capacity, std::string &name);

// RegQueryValueA: the default value of the subkey (empty: of the key itself) read into `capacity`
// bytes, so at most capacity - 1 are kept; false when the subkey does not open.
bool query_value(RegistryKey key, const std::string &subkey, size_t capacity, std::string &value);

// RegCloseKey; null and the predefined classes root are left alone.
void close_key(RegistryKey key);

// The text in the first `returned` bytes of a buffer of `capacity` bytes: up to its first zero,
// and never more than capacity - 1 bytes.
inline std::string registry_text(const char *buffer, size_t returned, size_t capacity) {
    size_t limit = capacity == 0 ? 0 : capacity - 1;
    if (returned > limit) returned = limit;
    size_t length = 0;
    while (length < returned && buffer[length] != 0) ++length;
    return std::string(buffer, length);
}

}  // namespace tagcfg::platform
