#include <windows.h>

#include <vector>

#include "platform/registry.h"

namespace tagcfg::platform {

namespace {

HKEY hkey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }
RegistryKey key_of(HKEY key) { return reinterpret_cast<RegistryKey>(key); }

// A value that does not fit is read whole into a larger buffer and then cut, so that no value
// is lost only for being long; beyond this size it is not read at all.
constexpr LONG kLongestValue = 1 << 20;

}  // namespace

RegistryKey classes_root() { return key_of(HKEY_CLASSES_ROOT); }

RegistryKey connect_remote_registry(const std::string &computer) {
    HKEY remote = nullptr;
    if (RegConnectRegistryA(computer.c_str(), HKEY_LOCAL_MACHINE, &remote) != ERROR_SUCCESS) return nullptr;
    return key_of(remote);
}

RegistryKey open_key(RegistryKey key, const std::string &path) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(hkey(key), path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return nullptr;
    return key_of(opened);
}

bool enum_key(RegistryKey key, uint32_t index, size_t capacity, std::string &name) {
    std::vector<char> buffer(capacity ? capacity : 1, 0);
    if (RegEnumKeyA(hkey(key), index, buffer.data(), static_cast<DWORD>(buffer.size())) != ERROR_SUCCESS) return false;
    name = registry_text(buffer.data(), buffer.size(), buffer.size());
    return true;
}

bool query_value(RegistryKey key, const std::string &subkey, size_t capacity, std::string &value) {
    std::vector<char> buffer(capacity ? capacity : 1, 0);
    for (int attempt = 0; attempt < 3; ++attempt) {
        LONG size = static_cast<LONG>(buffer.size());
        LONG result = RegQueryValueA(hkey(key), subkey.empty() ? nullptr : subkey.c_str(), buffer.data(), &size);
        if (result == ERROR_SUCCESS) {
            size_t returned = size < 0 ? 0 : static_cast<size_t>(size);
            if (returned > buffer.size()) returned = buffer.size();
            value = registry_text(buffer.data(), returned, capacity);
            return true;
        }
        // The value may have grown between the calls: try again with what it needs now.
        if (result != ERROR_MORE_DATA || size <= static_cast<LONG>(buffer.size()) || size > kLongestValue) return false;
        buffer.assign(static_cast<size_t>(size), 0);
    }
    return false;
}

void close_key(RegistryKey key) {
    if (key && hkey(key) != HKEY_CLASSES_ROOT) RegCloseKey(hkey(key));
}

}  // namespace tagcfg::platform
