#include "opc/server_catalog.h"

#include <vector>

#include "opc/connect.h"
#include "opc/opc_util.h"
#include "platform/registry.h"
#include "platform/server_browser.h"

namespace tagcfg {

namespace {

constexpr size_t kNameText = 260;  // key names and registry texts
constexpr size_t kClsidText = 80;

// How many names one walk reads before it gives up: a registry or a browser that keeps answering
// must not hold the caller for ever. What was read by then is kept. A computer has a few hundred
// OPC servers at most, so the browser's bound is lower: each class it lists is held in memory.
constexpr uint32_t kMostKeys = 1000000;
constexpr size_t kMostBrowsedClasses = 100000;

// A key this walk opened, closed when the walk leaves it.
class OpenKey {
public:
    explicit OpenKey(platform::RegistryKey key) : key_(key) {}
    ~OpenKey() { platform::close_key(key_); }
    OpenKey(const OpenKey &) = delete;
    OpenKey &operator=(const OpenKey &) = delete;
    platform::RegistryKey get() const { return key_; }

private:
    platform::RegistryKey key_;
};

bool is_local(const std::string *computer) { return !computer || is_local_host(*computer); }

std::string narrow(const std::u16string &text) {
    std::string out;
    to_narrow(text.c_str(), text.size(), out);
    return out;
}

}  // namespace

CatalogResult registry_servers(const std::string *computer, const std::function<void(FoundServer)> &found) {
    bool local = is_local(computer);
    OpenKey remote(local ? nullptr : platform::connect_remote_registry(*computer));
    if (!local && !remote.get()) return CatalogResult::unreachable;
    OpenKey remote_classes(local ? nullptr : platform::open_key(remote.get(), "Software\\Classes"));
    if (!local && !remote_classes.get()) return CatalogResult::unreachable;
    platform::RegistryKey root = local ? platform::classes_root() : remote_classes.get();

    std::string progid;
    for (uint32_t index = 0; index < kMostKeys && platform::enum_key(root, index, kNameText, progid); ++index) {
        OpenKey key(platform::open_key(root, progid));
        std::string text;
        // Only keys with an "OPC" subkey are OPC servers; nothing else is read from the others.
        if (!key.get() || !platform::query_value(key.get(), "OPC", kNameText, text)) continue;
        FoundServer server;
        server.progid = progid;
        platform::query_value(root, progid, kNameText, server.description);  // stays empty when unread
        std::string clsid;
        if (platform::query_value(key.get(), "CLSID", kClsidText, clsid) && clsid_from_text(clsid, server.clsid) < 0)
            server.clsid = platform::Guid();
        found(std::move(server));
    }
    return CatalogResult::found;
}

CatalogResult browser_servers(const std::string *computer, const std::function<void(FoundServer)> &found) {
    bool local = is_local(computer);
    std::u16string host;
    if (!local) to_wide(computer->c_str(), computer->size(), host);
    // An empty name would ask this computer's browser instead of the one named.
    if (!local && host.empty()) return CatalogResult::unreachable;
    std::vector<platform::BrowsedClass> classes;
    if (platform::list_browser_classes(local ? nullptr : host.c_str(), kMostBrowsedClasses, classes) < 0)
        return CatalogResult::unreachable;
    for (const platform::BrowsedClass &browsed : classes)
        if (!browsed.progid.empty()) found({narrow(browsed.progid), browsed.clsid, narrow(browsed.description)});
    return CatalogResult::found;
}

}  // namespace tagcfg
