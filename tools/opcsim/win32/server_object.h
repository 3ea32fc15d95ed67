// The OPC server object: IOPCServer (private groups; its other methods answer E_NOTIMPL) and
// IOPCBrowseServerAddressSpace over the class's address space.
#pragma once

#include <objbase.h>

#include "opcsim_classes.h"

namespace opcsim {

// CoCreateInstance's work for one class: makes the object and asks it for the interface.
HRESULT create_server_object(const ServerClass &server_class, REFIID iid, void **object);

}  // namespace opcsim
