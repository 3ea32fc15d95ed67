#include <windows.h>

#include "platform/text.h"

namespace tagcfg::platform {

bool is_lead_byte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

int compare_no_case(const char *a, const char *b) { return lstrcmpiA(a, b); }

// lstrcmpiA is a linguistic comparison (CompareStringA with NORM_IGNORECASE), not a plain
// upper-casing: it also equates expansions such as "\xC6" and "AE" and passes over characters
// without weight. Upper-casing with CharUpperBuffA or LCMAP_UPPERCASE would keep those apart, so
// the key is the sort key of the same comparison, whose byte equality is its equality.
std::string fold_case(const std::string &text) {
    const char *source = text.c_str();
    int size = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, source, -1, nullptr, 0);
    if (size <= 0) return text;
    std::string key(static_cast<size_t>(size), '\0');
    size = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, source, -1, &key[0], size);
    key.resize(size > 0 ? static_cast<size_t>(size) : 0);
    return key;
}

int multi_byte_to_wide(const char *text, int bytes, char16_t *out, int capacity) {
    return MultiByteToWideChar(CP_ACP, 0, text, bytes, reinterpret_cast<wchar_t *>(out), capacity);
}

int wide_to_multi_byte(const char16_t *text, int chars, char *out, int capacity) {
    return WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t *>(text), chars, out, capacity, nullptr,
                               nullptr);
}

}  // namespace tagcfg::platform
