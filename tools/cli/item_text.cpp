#include "item_text.h"

#include <cstdio>

#include "opc/private_group.h"

namespace tagcfg::cli {

std::string item_error_text(int32_t error) {
    if (error == kOpcUnknownItemId || error == kOpcInvalidItemId) return "not in the server's address space";
    if (error == kOpcUnknownPath) return "access path not known to the server";
    char text[48];
    std::snprintf(text, sizeof text, "the server answered 0x%08X", static_cast<unsigned>(error));
    return text;
}

}  // namespace tagcfg::cli
