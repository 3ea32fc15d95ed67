// In-memory registries, one per computer, with key names compared without regard to case.
#include <cctype>

#include "platform/registry.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_state.h"

struct tagcfg::platform::RegistryKeyTag {
    std::string computer;  // "" for this computer
    std::string path;      // upper case, from the local machine root
};

namespace tagcfg::platform {

namespace {

using sim::SimRegistryKey;

const char kClasses[] = "SOFTWARE\\CLASSES";

std::string upper(const std::string &text) {
    std::string out = text;
    for (char &c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string join(const std::string &path, const std::string &sub) {
    if (sub.empty()) return path;
    return path.empty() ? upper(sub) : path + "\\" + upper(sub);
}

const SimRegistryKey *find(const RegistryKeyTag *key, const std::string &path) {
    auto computer = sim::state().registries.find(key->computer);
    if (computer == sim::state().registries.end()) return nullptr;
    auto found = computer->second.find(path);
    return found == computer->second.end() ? nullptr : &found->second;
}

}  // namespace

namespace sim {

void add_registry_key(const std::string &computer, const std::string &path, const std::string &default_value,
                      bool terminated) {
    auto &keys = state().registries[upper(computer)];
    std::string at;
    std::string rest = std::string("Software\\Classes\\") + path;
    for (size_t start = 0; start <= rest.size();) {
        size_t end = rest.find('\\', start);
        if (end == std::string::npos) end = rest.size();
        std::string name = rest.substr(start, end - start);
        at = join(at, name);
        if (!keys.count(at)) keys[at].name = name;
        start = end + 1;
    }
    keys[at].value = terminated ? default_value + '\0' : default_value;
}

void set_unreachable(const std::string &computer) { state().unreachable.insert(upper(computer)); }
void set_endless_keys(const std::string &computer) { state().endless_keys.insert(upper(computer)); }

}  // namespace sim

RegistryKey classes_root() {
    static RegistryKeyTag root{"", kClasses};
    return &root;
}

RegistryKey connect_remote_registry(const std::string &computer) {
    std::string name = upper(computer);
    if (sim::state().unreachable.count(name) || !sim::state().registries.count(name)) return nullptr;
    return new RegistryKeyTag{name, ""};
}

RegistryKey open_key(RegistryKey key, const std::string &path) {
    std::string full = join(key->path, path);
    if (!find(key, full)) return nullptr;
    return new RegistryKeyTag{key->computer, full};
}

bool enum_key(RegistryKey key, uint32_t index, size_t capacity, std::string &name) {
    ++sim::state().calls.enum_keys;
    auto computer = sim::state().registries.find(key->computer);
    if (computer == sim::state().registries.end()) return false;
    bool endless = key->path == kClasses && sim::state().endless_keys.count(key->computer);
    std::string prefix = key->path.empty() ? "" : key->path + "\\";
    uint32_t seen = 0;
    for (auto it = computer->second.lower_bound(prefix); it != computer->second.end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0) break;
        if (it->first.find('\\', prefix.size()) != std::string::npos) continue;
        if (seen++ != index) continue;
        // As the system does, a name that does not fit fails rather than being cut.
        if (it->second.name.size() + 1 > capacity) return false;
        name = it->second.name;
        return true;
    }
    if (!endless || index >= sim::kEndlessEnd) return false;
    name = "Key" + std::to_string(index - seen + 1);
    return true;
}

bool query_value(RegistryKey key, const std::string &subkey, size_t capacity, std::string &value) {
    const SimRegistryKey *found = find(key, join(key->path, subkey));
    if (!found) return false;
    value = registry_text(found->value.data(), found->value.size(), capacity);
    return true;
}

void close_key(RegistryKey key) {
    if (key != classes_root()) delete key;
}

}  // namespace tagcfg::platform
