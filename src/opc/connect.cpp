#include "opc/connect.h"

#include "opc/opc_util.h"
#include "platform/opc.h"
#include "platform/text.h"

namespace tagcfg {

namespace {

constexpr size_t kLongestHostName = 255;

constexpr int32_t kDisconnected = static_cast<int32_t>(0x80010108);       // RPC_E_DISCONNECTED
constexpr int32_t kServerDied = static_cast<int32_t>(0x80010007);         // RPC_E_SERVER_DIED
constexpr int32_t kServerDiedDne = static_cast<int32_t>(0x80010012);      // RPC_E_SERVER_DIED_DNE
constexpr int32_t kServerUnavailable = static_cast<int32_t>(0x800706BA);  // RPC_S_SERVER_UNAVAILABLE

}  // namespace

bool is_dead_object_result(int32_t result) {
    return result == kDisconnected || result == kServerDied || result == kServerDiedDne || result == kServerUnavailable;
}

bool is_local_host(const std::string &hostname) {
    return hostname.empty() || platform::compare_no_case(hostname.c_str(), platform::computer_name().c_str()) == 0;
}

bool connect_server(ServerConfig &config) {
    if (config.server_object) return true;
    platform::Guid clsid;
    int32_t resolved;
    if (!config.clsid.empty()) resolved = clsid_from_text(config.clsid, clsid);
    else if (!config.progid.empty()) resolved = clsid_from_progid(config.progid, clsid);
    else return false;
    if (resolved < 0) return false;

    platform::ServerObject *server = nullptr;
    int32_t result;
    if (is_local_host(config.hostname)) {
        result = platform::create_local_server(clsid, &server);
    } else {
        std::u16string host;
        to_wide(config.hostname.c_str(), config.hostname.size(), host);
        // The system takes at most 255 characters of a computer name.
        if (host.empty() || host.size() > kLongestHostName) return false;
        result = platform::create_remote_server(clsid, host.c_str(), &server);
    }
    if (result < 0) {
        // A failed call must not leave a half-made object behind.
        platform::release_server_object(server);
        return false;
    }
    config.server_object = server;
    return server != nullptr;
}

}  // namespace tagcfg
