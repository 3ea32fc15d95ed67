// The in-memory ANSI code page: single-byte (bytes are their own code points) unless tests make it
// double-byte, in which case a lead byte and its trail byte form one character (lead << 8 | trail).
#include <cctype>

#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_state.h"
#include "platform/text.h"

namespace tagcfg::platform {
namespace sim {

SimState &state() {
    static SimState s;
    return s;
}

void set_lead_byte_ranges(std::vector<std::pair<unsigned char, unsigned char>> ranges) {
    state().lead_ranges = std::move(ranges);
}

std::vector<std::pair<unsigned char, unsigned char>> code_page_932_lead_bytes() { return {{0x81, 0x9F}, {0xE0, 0xFC}}; }

void reset() { state() = SimState{}; }

}  // namespace sim

bool is_lead_byte(unsigned char byte) {
    for (const auto &range : sim::state().lead_ranges)
        if (byte >= range.first && byte <= range.second) return true;
    return false;
}

namespace {

// Next character of a narrow text as one number; advances past it.
unsigned next_char(const unsigned char *&p) {
    unsigned c = *p++;
    if (is_lead_byte(static_cast<unsigned char>(c)) && *p) c = c << 8 | *p++;
    return c;
}

unsigned fold(unsigned c) { return c < 0x80 ? static_cast<unsigned>(std::toupper(static_cast<int>(c))) : c; }

}  // namespace

int compare_no_case(const char *a, const char *b) {
    auto pa = reinterpret_cast<const unsigned char *>(a);
    auto pb = reinterpret_cast<const unsigned char *>(b);
    while (*pa || *pb) {
        unsigned ca = fold(next_char(pa)), cb = fold(next_char(pb));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return 0;
}

std::string fold_case(const std::string &text) {
    std::string key;
    key.reserve(text.size());
    auto p = reinterpret_cast<const unsigned char *>(text.c_str());
    while (*p) {
        unsigned c = fold(next_char(p));
        if (c > 0xFF) key += static_cast<char>(c >> 8);
        key += static_cast<char>(c & 0xFF);
    }
    return key;
}

int multi_byte_to_wide(const char *text, int bytes, char16_t *out, int capacity) {
    int written = 0;
    for (int i = 0; i < bytes; ++written) {
        auto c = static_cast<unsigned char>(text[i++]);
        char16_t wide = c;
        if (is_lead_byte(c) && i < bytes) wide = static_cast<char16_t>(c << 8 | static_cast<unsigned char>(text[i++]));
        if (capacity == 0) continue;
        if (written >= capacity) return 0;  // as the system: too small a buffer fails
        out[written] = wide;
    }
    return written;
}

int wide_to_multi_byte(const char16_t *text, int chars, char *out, int capacity) {
    int written = 0;
    for (int i = 0; i < chars; ++i) {
        char16_t c = text[i];
        bool pair = c > 0xFF;
        int need = pair ? 2 : 1;
        if (capacity != 0) {
            if (written + need > capacity) return 0;
            if (pair) out[written] = static_cast<char>(c >> 8);
            out[written + need - 1] = static_cast<char>(c & 0xFF);
        }
        written += need;
    }
    return written;
}

}  // namespace tagcfg::platform
