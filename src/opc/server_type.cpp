#include "opc/server_type.h"

#include "opc/opc_util.h"

namespace tagcfg {

namespace {

// {D5238CB9-AEBE-11D2-B5E1-00409524E73B}
const platform::Guid kSpecialClass = {0xD5238CB9, 0xAEBE, 0x11D2, {0xB5, 0xE1, 0x00, 0x40, 0x95, 0x24, 0xE7, 0x3B}};

}  // namespace

int server_type_of(const ServerConfig &config) {
    platform::Guid clsid;
    int32_t result;
    if (!config.clsid.empty()) result = clsid_from_text(config.clsid, clsid);
    else if (!config.progid.empty()) result = clsid_from_progid(config.progid, clsid);
    else return 0;
    return result == 0 && clsid == kSpecialClass ? 1 : 0;
}

}  // namespace tagcfg
