#include <windows.h>
#include <winnetwk.h>

#include <memory>
#include <vector>

#include "platform/network.h"

namespace tagcfg::platform {

namespace {

constexpr DWORD kBufferBytes = 4096;

class Win32NetworkEnumeration : public NetworkEnumeration {
public:
    explicit Win32NetworkEnumeration(HANDLE handle)
        : handle_(handle), buffer_((kBufferBytes + sizeof(NETRESOURCEA) - 1) / sizeof(NETRESOURCEA)) {}
    ~Win32NetworkEnumeration() override { WNetCloseEnum(handle_); }
    Win32NetworkEnumeration(const Win32NetworkEnumeration &) = delete;
    Win32NetworkEnumeration &operator=(const Win32NetworkEnumeration &) = delete;

    bool next(std::vector<NetworkResource> &entries) override {
        entries.clear();
        DWORD count = static_cast<DWORD>(-1);
        DWORD size = kBufferBytes;
        if (WNetEnumResourceA(handle_, &count, buffer_.data(), &size) != NO_ERROR) return false;
        for (DWORD i = 0; i < count && i < buffer_.size(); ++i) {
            const NETRESOURCEA &r = buffer_[i];
            entries.push_back({r.dwScope, r.dwType, r.dwDisplayType, r.dwUsage, r.lpRemoteName, r.lpProvider});
        }
        return true;
    }

private:
    HANDLE handle_;                     // owned: closed by the destructor
    std::vector<NETRESOURCEA> buffer_;  // aligned for the entries at its start
};

}  // namespace

std::unique_ptr<NetworkEnumeration> open_network_enumeration(const NetworkResource *container) {
    NETRESOURCEA resource = {};
    if (container) {
        resource.dwScope = container->scope;
        resource.dwType = container->type;
        resource.dwDisplayType = container->display_type;
        resource.dwUsage = container->usage;
        resource.lpRemoteName = const_cast<char *>(container->remote_name);
        resource.lpProvider = const_cast<char *>(container->provider);
    }
    HANDLE handle = nullptr;
    DWORD result = WNetOpenEnumA(container ? RESOURCE_GLOBALNET : RESOURCE_CONTEXT, RESOURCETYPE_ANY, 0,
                                 container ? &resource : nullptr, &handle);
    if (result != NO_ERROR) return nullptr;
    return std::make_unique<Win32NetworkEnumeration>(handle);
}

}  // namespace tagcfg::platform
