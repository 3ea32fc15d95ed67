// Narrow and wide text, and class identifiers as text. Wide text lives only for one COM call.
#pragma once

#include <cstdint>
#include <string>

#include "platform/com.h"

namespace tagcfg {

// Both convert in the ANSI code page; a failed conversion gives the empty text.
void to_wide(const char *text, size_t bytes, std::u16string &out);
void to_narrow(const char16_t *text, size_t chars, std::string &out);

// 0 on success (every success code folds into 0), else the negative platform result.
int32_t clsid_from_progid(const std::string &progid, platform::Guid &clsid);
int32_t clsid_from_text(const std::string &text, platform::Guid &clsid);

// The braced 38-character text; 0, or E_INVALIDARG (out unchanged) when the platform fails.
int32_t clsid_to_text(const platform::Guid &clsid, std::string &out);

void free_task_memory(void *memory);

}  // namespace tagcfg
