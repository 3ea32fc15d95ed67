// How the host program prints what a server says of an item.
#pragma once

#include <cstdint>
#include <string>

namespace tagcfg::cli {

// Why a server refused an item: "not in the server's address space", "access path not known to
// the server", or the result itself ("the server answered 0xC0040006").
std::string item_error_text(int32_t error);

}  // namespace tagcfg::cli
