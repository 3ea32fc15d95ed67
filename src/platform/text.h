// Code-page services: what the library needs to know about the process's ANSI code page.
#pragma once

#include <string>

namespace tagcfg::platform {

// True when the byte starts a double-byte character in the ANSI code page.
bool is_lead_byte(unsigned char byte);

// Case-insensitive comparison as the system's own (lstrcmpiA): <0, 0 or >0.
int compare_no_case(const char *a, const char *b);

// A key for hashing texts without regard to case: compare_no_case(a, b) == 0 exactly when
// fold_case(a) == fold_case(b). Only for equality; the key need not be readable text and says
// nothing about order. The text ends at its first zero byte, as it does for compare_no_case.
std::string fold_case(const std::string &text);

// MultiByteToWideChar / WideCharToMultiByte on the ANSI code page with no flags. A capacity of 0
// asks for the length needed. Both return the number of units written (or needed), 0 on failure.
int multi_byte_to_wide(const char *text, int bytes, char16_t *out, int capacity);
int wide_to_multi_byte(const char16_t *text, int chars, char *out, int capacity);

}  // namespace tagcfg::platform
