// Controls of the in-memory platform that native tests and tools set up directly.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/com.h"

namespace tagcfg::platform::sim {

// Makes the ANSI code page double-byte with these inclusive lead-byte ranges (for example
// {{0x81, 0x9F}, {0xE0, 0xFC}} as code page 932 has them); an empty list makes it single-byte.
void set_lead_byte_ranges(std::vector<std::pair<unsigned char, unsigned char>> ranges);

// The lead-byte ranges of code page 932.
std::vector<std::pair<unsigned char, unsigned char>> code_page_932_lead_bytes();

// Registers a ProgID for clsid_from_progid (and, as on Windows, for clsid_from_string).
void register_progid(const std::string &progid, const Guid &clsid);

// Back to a single-byte code page and an empty registry.
void reset();

}  // namespace tagcfg::platform::sim
