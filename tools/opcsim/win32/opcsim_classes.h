// The server classes that opcsim.dll registers, shared by the DLL and the tests that create them.
// Each class serves the address space embedded from tools/opcsim/spaces under its resource name.
#pragma once

#include <cstring>

namespace opcsim {

struct ServerClass {
    const char *progid;
    const char *clsid;        // braced registry form
    const char *description;  // null: the ProgID key has no default value
    const char *space;        // name of the RCDATA resource holding the address space
    bool opc;                 // registered with the "OPC" subkey that marks an OPC server
};

// The class the host treats specially (server type 1).
constexpr const char kSpecialClsid[] = "{D5238CB9-AEBE-11D2-B5E1-00409524E73B}";

inline constexpr ServerClass kServerClasses[] = {
    {"OpcSim.Hierarchical.1", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A000001}", "OpcSim hierarchical server", "HIERARCHICAL",
     true},
    {"OpcSim.Flat.1", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A000002}", "OpcSim flat server", "FLAT", true},
    {"OpcSim.NoBrowse.1", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A000003}", "OpcSim server without browsing", "NO_BROWSE",
     true},
    {"OpcSim.UpForever.1", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A000004}", "OpcSim server that never reaches the top",
     "UP_FOREVER", true},
    {"OpcSim.NullName.1", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A000005}", "OpcSim server with null names", "NULL_NAME", true},
    {"OpcSim.Large.1", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A000006}", "OpcSim large server", "LARGE", true},
    {"OpcSim.Special.1", kSpecialClsid, "OpcSim special server", "SPECIAL", true},
    {"OpcSim.NotOpc.1", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A000007}", "OpcSim class that is no OPC server", "HIERARCHICAL",
     false},
    {"OpcSim.NoDescription.1", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A000008}", nullptr, "HIERARCHICAL", true},
    {"OpcSim.Cyclic.1", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A000009}", "OpcSim server with a link to its own folder",
     "CYCLIC", true},
    {"OpcSim.Endless.1", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A00000A}", "OpcSim server whose leaves never end", "ENDLESS",
     true},
    {"OpcSim.Devices.1", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A00000B}", "OpcSim server of devices that are folders too",
     "DEVICES", true},
    {"OpcSim.NoGroups.1", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A00000C}", "OpcSim server without groups", "NO_GROUPS", true},
};

inline const ServerClass *server_class(const char *progid) {
    for (const ServerClass &c : kServerClasses)
        if (std::strcmp(c.progid, progid) == 0) return &c;
    return nullptr;
}

}  // namespace opcsim
