#include "text_escape.h"

#include <algorithm>

namespace tagcfg::cli {

namespace {

bool is_control(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// Appends the byte, as a C escape when it is a control byte, or also a backslash or a quote.
void append_escaped(std::string &out, char c, bool quotes_too) {
    static const char kHex[] = "0123456789abcdef";
    switch (c) {
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    case '\\':
    case '"':
        if (quotes_too) out += '\\';
        out += c;
        return;
    default:
        if (!is_control(c)) {
            out += c;
            return;
        }
        out += "\\x";
        out += kHex[static_cast<unsigned char>(c) >> 4];
        out += kHex[static_cast<unsigned char>(c) & 0xF];
    }
}

}  // namespace

std::string shown(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) append_escaped(out, c, false);
    return out;
}

std::string quote_if_needed(const std::string &text) {
    const bool plain = !text.empty() && text.front() != ' ' && text.back() != ' ' &&
                       std::none_of(text.begin(), text.end(), [](char c) { return is_control(c) || c == '"'; });
    if (plain) return text;
    std::string quoted = "\"";
    for (const char c : text) append_escaped(quoted, c, true);
    return quoted + "\"";
}

}  // namespace tagcfg::cli
