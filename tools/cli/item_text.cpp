#include "item_text.h"

#include <cstdio>
#include <iterator>

#include "opc/private_group.h"
#include "platform/opc.h"

namespace tagcfg::cli {

namespace {

const char *const kTypeNames[] = {"VT_EMPTY",   "VT_NULL",    "VT_I2",      "VT_I4",       "VT_R4",    "VT_R8",
                                  "VT_CY",      "VT_DATE",    "VT_BSTR",    "VT_DISPATCH", "VT_ERROR", "VT_BOOL",
                                  "VT_VARIANT", "VT_UNKNOWN", "VT_DECIMAL", nullptr,       "VT_I1",    "VT_UI1",
                                  "VT_UI2",     "VT_UI4",     "VT_I8",      "VT_UI8",      "VT_INT",   "VT_UINT"};

}  // namespace

std::string vartype_name(uint16_t type) {
    const uint16_t element = type & ~platform::kVtArrayBit;
    std::string name =
        element < std::size(kTypeNames) && kTypeNames[element] ? kTypeNames[element] : "VT_" + std::to_string(element);
    return (type & platform::kVtArrayBit) ? "VT_ARRAY|" + name : name;
}

std::string rights_text(uint32_t rights) {
    const bool read = rights & platform::kOpcReadable, write = rights & platform::kOpcWriteable;
    return read && write ? "read/write" : read ? "read" : write ? "write" : "none";
}

std::string item_error_text(int32_t error) {
    if (error == kOpcUnknownItemId || error == kOpcInvalidItemId) return "not in the server's address space";
    if (error == kOpcUnknownPath) return "access path not known to the server";
    char text[48];
    std::snprintf(text, sizeof text, "the server answered 0x%08X", static_cast<unsigned>(error));
    return text;
}

}  // namespace tagcfg::cli
