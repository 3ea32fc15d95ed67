// DllGetClassObject's work: one class factory per request, for the classes of opcsim_classes.h and
// the server browser's stand-in.
#pragma once

#include <objbase.h>

namespace opcsim {

HRESULT get_class_object(REFCLSID clsid, REFIID iid, void **object);

}  // namespace opcsim
