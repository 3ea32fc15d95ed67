#include "embedded_spaces.h"

#include <windows.h>

#include <map>
#include <string>

#include "module.h"

namespace opcsim {

namespace {

// Objects may be created from any apartment; parsing happens once per space.
SRWLOCK g_lock = SRWLOCK_INIT;
std::map<std::string, std::shared_ptr<const AddressSpace>> g_spaces;

bool read_resource(const char *name, std::string &text) {
    HRSRC found = FindResourceA(module_handle(), name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module_handle(), found) : nullptr;
    const void *bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return false;
    text.assign(static_cast<const char *>(bytes), SizeofResource(module_handle(), found));
    return true;
}

std::shared_ptr<const AddressSpace> parse(const char *name) {
    std::string text;
    auto space = std::make_shared<AddressSpace>();
    if (!read_resource(name, text) || !parse_address_space(text, *space)) return nullptr;
    return space;
}

}  // namespace

std::shared_ptr<const AddressSpace> embedded_space(const char *resource_name) {
    AcquireSRWLockExclusive(&g_lock);
    std::shared_ptr<const AddressSpace> space;
    try {
        auto &entry = g_spaces[resource_name];
        if (!entry) entry = parse(resource_name);
        space = entry;
    } catch (...) {
        space = nullptr;
    }
    ReleaseSRWLockExclusive(&g_lock);
    return space;
}

}  // namespace opcsim
