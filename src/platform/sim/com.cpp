// In-memory class registry: ProgIDs registered by tests, and CLSID texts parsed as the system
// parses them (braced registry form only).
#include <cstdio>

#include "platform/com.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_state.h"

namespace tagcfg::platform {

namespace {

constexpr int32_t kClassString = static_cast<int32_t>(0x800401F3);  // CO_E_CLASSSTRING

std::u16string widen_ascii(const std::string &text) { return std::u16string(text.begin(), text.end()); }

int hex_value(char16_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `digits` hexadecimal digits at text[pos]; false when any is missing.
bool read_hex(const char16_t *text, size_t pos, int digits, uint32_t &value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        int v = hex_value(text[pos + i]);
        if (v < 0) return false;
        value = value << 4 | static_cast<uint32_t>(v);
    }
    return true;
}

bool parse_braced(const char16_t *text, Guid &out) {
    std::u16string s(text);
    if (s.size() != 38 || s[0] != '{' || s[37] != '}' || s[9] != '-' || s[14] != '-' || s[19] != '-' || s[24] != '-')
        return false;
    uint32_t v;
    Guid g;
    if (!read_hex(text, 1, 8, v)) return false;
    g.data1 = v;
    if (!read_hex(text, 10, 4, v)) return false;
    g.data2 = static_cast<uint16_t>(v);
    if (!read_hex(text, 15, 4, v)) return false;
    g.data3 = static_cast<uint16_t>(v);
    static const size_t byte_pos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!read_hex(text, byte_pos[i], 2, v)) return false;
        g.data4[i] = static_cast<uint8_t>(v);
    }
    out = g;
    return true;
}

}  // namespace

namespace sim {
void register_progid(const std::string &progid, const Guid &clsid) { state().progids[widen_ascii(progid)] = clsid; }
}  // namespace sim

bool operator==(const Guid &a, const Guid &b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.data4[i] != b.data4[i]) return false;
    return true;
}

int32_t clsid_from_progid(const char16_t *progid, Guid &clsid) {
    auto it = sim::state().progids.find(progid);
    if (it == sim::state().progids.end()) return kClassString;
    clsid = it->second;
    return 0;
}

int32_t clsid_from_string(const char16_t *text, Guid &clsid) {
    if (parse_braced(text, clsid)) return 0;
    // The system also accepts a registered ProgID here.
    return clsid_from_progid(text, clsid);
}

int string_from_guid(const Guid &clsid, char16_t *buffer, int capacity) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(clsid.data1), clsid.data2, clsid.data3, clsid.data4[0], clsid.data4[1],
                  clsid.data4[2], clsid.data4[3], clsid.data4[4], clsid.data4[5], clsid.data4[6], clsid.data4[7]);
    if (capacity < 39) return 0;
    for (int i = 0; i < 39; ++i) buffer[i] = static_cast<char16_t>(text[i]);
    return 39;
}

}  // namespace tagcfg::platform
