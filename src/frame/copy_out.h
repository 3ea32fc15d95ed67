#pragma once

#include <string>

namespace tagcfg {

// Hands a text to a caller's buffer of `size` bytes: the buffer always ends up zero-terminated,
// the text is cut to at most size - 1 bytes without splitting a double-byte character, the bytes
// behind it are zeroed, and the result is the length now in the buffer. A null text stands for a
// failure: only the first and the last byte are zeroed, and the bytes between stay as the caller
// left them. A null buffer or a size below 1 has no byte that may be written: the result is 0.
int copy_out(const char *text, char *buffer, int size);
inline int copy_out(const std::string &text, char *buffer, int size) { return copy_out(text.c_str(), buffer, size); }

}  // namespace tagcfg
