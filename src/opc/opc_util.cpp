#include "opc/opc_util.h"

#include "platform/text.h"

namespace tagcfg {

namespace {

constexpr int32_t kInvalidArg = static_cast<int32_t>(0x80070057);

int32_t fold_success(int32_t result) { return result < 0 ? result : 0; }

}  // namespace

void to_wide(const char *text, size_t bytes, std::u16string &out) {
    out.assign(bytes, u'\0');
    int n = bytes ? platform::multi_byte_to_wide(text, static_cast<int>(bytes), &out[0], static_cast<int>(bytes)) : 0;
    out.resize(static_cast<size_t>(n));
}

void to_narrow(const char16_t *text, size_t chars, std::string &out) {
    out.clear();
    if (!chars) return;
    // Ask the code page how much room the text needs: a character may take more than two bytes.
    int needed = platform::wide_to_multi_byte(text, static_cast<int>(chars), nullptr, 0);
    if (needed <= 0) return;
    out.assign(static_cast<size_t>(needed), '\0');
    int n = platform::wide_to_multi_byte(text, static_cast<int>(chars), &out[0], needed);
    out.resize(static_cast<size_t>(n > 0 ? n : 0));
}

int32_t clsid_from_progid(const std::string &progid, platform::Guid &clsid) {
    std::u16string wide;
    to_wide(progid.c_str(), progid.size(), wide);
    return fold_success(platform::clsid_from_progid(wide.c_str(), clsid));
}

int32_t clsid_from_text(const std::string &text, platform::Guid &clsid) {
    std::u16string wide;
    to_wide(text.c_str(), text.size(), wide);
    return fold_success(platform::clsid_from_string(wide.c_str(), clsid));
}

int32_t clsid_to_text(const platform::Guid &clsid, std::string &out) {
    char16_t buffer[80];
    if (platform::string_from_guid(clsid, buffer, 80) == 0) return kInvalidArg;
    std::u16string wide(buffer);
    to_narrow(wide.c_str(), wide.size(), out);
    return 0;
}

void free_task_memory(void *memory) {
    if (memory) platform::free_task_memory(memory);
}

}  // namespace tagcfg
