#include "wide_text.h"

#include <objbase.h>

#include <cstring>

namespace opcsim {

std::wstring widen(const std::string &text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

std::string narrow(const wchar_t *text) {
    if (!text || !*text) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

wchar_t *task_string(const std::wstring &text) {
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto *out = static_cast<wchar_t *>(CoTaskMemAlloc(bytes));
    if (out) std::memcpy(out, text.c_str(), bytes);
    return out;
}

}  // namespace opcsim
