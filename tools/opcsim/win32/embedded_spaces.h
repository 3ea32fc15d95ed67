// The address spaces compiled into the DLL as RCDATA resources from tools/opcsim/spaces.
#pragma once

#include <memory>

#include "address_space/address_space.h"

namespace opcsim {

// The space under that resource name, parsed on first use and shared by every server object
// made from it; null when the resource is missing or its description is not understood.
std::shared_ptr<const AddressSpace> embedded_space(const char *resource_name);

}  // namespace opcsim
