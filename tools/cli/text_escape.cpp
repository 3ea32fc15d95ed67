#include "text_escape.h"

#include <algorithm>

namespace tagcfg::cli {

namespace {

bool is_control(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

}  // namespace

std::string quote_if_needed(const std::string &text) {
    const bool plain = !text.empty() && text.front() != ' ' && text.back() != ' ' &&
                       std::none_of(text.begin(), text.end(), [](char c) { return is_control(c) || c == '"'; });
    if (plain) return text;
    static const char kHex[] = "0123456789ABCDEF";
    std::string quoted = "\"";
    for (char c : text) {
        switch (c) {
        case '\\': quoted += "\\\\"; break;
        case '"': quoted += "\\\""; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (!is_control(c)) {
                quoted += c;
                break;
            }
            quoted += "\\x";
            quoted += kHex[static_cast<unsigned char>(c) >> 4];
            quoted += kHex[static_cast<unsigned char>(c) & 0xF];
        }
    }
    return quoted + "\"";
}

}  // namespace tagcfg::cli
