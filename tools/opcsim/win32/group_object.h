// The OPC group object: IOPCItemMgt and IOPCSyncIO over one private group of a server object.
#pragma once

#include <objbase.h>

#include <memory>

#include "address_space/address_space.h"

namespace opcsim {

// A new group holding one reference for its server object; null when memory is short. It answers
// RPC_E_DISCONNECTED once objects of its life epoch are killed.
IUnknown *make_group_object(std::shared_ptr<const AddressSpace> space, LONG born);

}  // namespace opcsim
