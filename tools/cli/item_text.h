// How the host program prints what a server says of an item: its data type, access rights and
// the failures it gives.
#pragma once

#include <cstdint>
#include <string>

namespace tagcfg::cli {

// The VARTYPE as COM names it: "VT_R4", "VT_ARRAY|VT_I2"; one without a name as its number.
std::string vartype_name(uint16_t type);

// "read", "write", "read/write", or "none".
std::string rights_text(uint32_t rights);

// Why a server refused an item: "not in the server's address space", "access path not known to
// the server", or the result itself ("the server answered 0xC0040006").
std::string item_error_text(int32_t error);

}  // namespace tagcfg::cli
