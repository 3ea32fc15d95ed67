// Names cross the COM boundary as UTF-16; the address spaces hold them as UTF-8, as the fixture
// files are written.
#pragma once

#include <windows.h>

#include <string>

namespace opcsim {

std::wstring widen(const std::string &text);
std::string narrow(const wchar_t *text);  // null gives the empty text
// A copy in task memory for the caller to free with CoTaskMemFree; null when memory is short.
wchar_t *task_string(const std::wstring &text);

}  // namespace opcsim
