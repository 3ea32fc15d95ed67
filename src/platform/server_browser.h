// A computer's OPC server browser (the server list object of the OPC Core Components), the way
// to find OPC servers on a computer whose remote registry is off.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/com.h"

namespace tagcfg::platform {

// A class the browser lists. The ProgID is empty when the browser gives none.
struct BrowsedClass {
    Guid clsid;
    std::u16string progid;
    std::u16string description;
};

// The classes of the OPC Data Access 1.0, 2.0 and 3.0 categories, with their ProgIDs and
// descriptions, in the browser's order: at most `limit` of them, so that an enumeration that never
// ends cannot hold the caller. A null host is this computer; any other is asked remotely, never
// answered by this computer's browser. The result is the platform's HRESULT: a failure when the
// browser could not be created or asked. An enumeration that breaks off ends the list.
int32_t list_browser_classes(const char16_t *host, size_t limit, std::vector<BrowsedClass> &classes);

}  // namespace tagcfg::platform
