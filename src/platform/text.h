// Code-page services: what the library needs to know about the process's ANSI code page.
#pragma once

namespace tagcfg::platform {

// True when the byte starts a double-byte character in the ANSI code page.
bool is_lead_byte(unsigned char byte);

// Case-insensitive comparison as the system's own (lstrcmpiA): <0, 0 or >0.
int compare_no_case(const char *a, const char *b);

// MultiByteToWideChar / WideCharToMultiByte on the ANSI code page with no flags. A capacity of 0
// asks for the length needed. Both return the number of units written (or needed), 0 on failure.
int multi_byte_to_wide(const char *text, int bytes, char16_t *out, int capacity);
int wide_to_multi_byte(const char16_t *text, int chars, char *out, int capacity);

}  // namespace tagcfg::platform
