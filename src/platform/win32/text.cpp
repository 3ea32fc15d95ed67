#include <windows.h>

#include "platform/text.h"

namespace tagcfg::platform {

bool is_lead_byte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

int compare_no_case(const char *a, const char *b) { return lstrcmpiA(a, b); }

int multi_byte_to_wide(const char *text, int bytes, char16_t *out, int capacity) {
    return MultiByteToWideChar(CP_ACP, 0, text, bytes, reinterpret_cast<wchar_t *>(out), capacity);
}

int wide_to_multi_byte(const char16_t *text, int chars, char *out, int capacity) {
    return WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t *>(text), chars, out, capacity, nullptr,
                               nullptr);
}

}  // namespace tagcfg::platform
