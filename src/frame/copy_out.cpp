#include "frame/copy_out.h"

#include <cstring>

#include "platform/text.h"

namespace tagcfg {

int copy_out(const char *text, char *buffer, int size) {
    if (!buffer || size < 1) return 0;
    buffer[0] = 0;
    if (!text) {
        buffer[size - 1] = 0;
        return 0;
    }
    const size_t room = static_cast<size_t>(size) - 1;
    size_t length = 0;
    while (length < room && text[length]) {
        // A double-byte character goes in whole or not at all.
        size_t width = platform::is_lead_byte(static_cast<unsigned char>(text[length])) && text[length + 1] ? 2 : 1;
        if (length + width > room) break;
        length += width;
    }
    std::memcpy(buffer, text, length);
    std::memset(buffer + length, 0, static_cast<size_t>(size) - length);
    return static_cast<int>(length);
}

}  // namespace tagcfg
