// Enumeration of the Windows network: networks, domains and workgroups, computers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace tagcfg::platform {

// RESOURCEDISPLAYTYPE_* values of an entry.
constexpr uint32_t kDisplayGeneric = 0;
constexpr uint32_t kDisplayDomain = 1;
constexpr uint32_t kDisplayServer = 2;
constexpr uint32_t kDisplayShare = 3;
constexpr uint32_t kDisplayNetwork = 6;
constexpr uint32_t kDisplayRoot = 7;

// One NETRESOURCEA as the enumeration returned it. The local name and the comment are never
// needed, so they are not carried; the texts are borrowed (null stays null).
struct NetworkResource {
    uint32_t scope = 0;
    uint32_t type = 0;
    uint32_t display_type = 0;
    uint32_t usage = 0;
    const char *remote_name = nullptr;
    const char *provider = nullptr;
};

// An open enumeration (WNetOpenEnumA); destroying it closes it (WNetCloseEnum).
class NetworkEnumeration {
public:
    virtual ~NetworkEnumeration() = default;
    // WNetEnumResourceA into a 4096-byte buffer, as many entries as fit: false when there are no
    // more or it fails. The entries' texts stay valid until the next call.
    virtual bool next(std::vector<NetworkResource> &entries) = 0;
};

// Opens the enumeration of a container (RESOURCE_GLOBALNET) or, with null, of this computer's
// own neighbourhood (RESOURCE_CONTEXT); any resource type, any usage. Null when it fails.
std::unique_ptr<NetworkEnumeration> open_network_enumeration(const NetworkResource *container);

}  // namespace tagcfg::platform
