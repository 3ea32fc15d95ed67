// A stand-in for the OPC server browser (OPCEnum's server list object): IOPCServerList2 and
// IOPCServerList over the classes of opcsim_classes.h, those with the "OPC" subkey being the OPC
// Data Access servers. It takes the browser's CLSID, so it is registered only where asked
// (opcsim_register_server_browser), never by DllRegisterServer: on a real computer it would hide
// the real browser.
#pragma once

#include <objbase.h>

namespace opcsim {

bool is_server_browser_class(REFCLSID clsid);
// CoCreateInstance's work: makes the browser and asks it for the interface.
HRESULT create_server_browser(REFIID iid, void **object);

}  // namespace opcsim
