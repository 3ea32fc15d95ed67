// The OPC Data Access custom interfaces the library uses, declared from their published method
// order and interface identifiers.
#pragma once

#include <objbase.h>
#include <windows.h>

namespace tagcfg::opc {

using OPCHANDLE = DWORD;

// {39C13A4D-011E-11D0-9675-0020AFD8ADB3}
constexpr GUID kIidOpcServer = {0x39C13A4D, 0x011E, 0x11D0, {0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3}};
// {39C13A4F-011E-11D0-9675-0020AFD8ADB3}
constexpr GUID kIidOpcBrowseServerAddressSpace = {
    0x39C13A4F, 0x011E, 0x11D0, {0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3}};

enum OpcNamespaceType { kOpcNsHierarchial = 1, kOpcNsFlat = 2 };
enum OpcBrowseDirection { kOpcBrowseUp = 1, kOpcBrowseDown = 2, kOpcBrowseTo = 3 };
enum OpcBrowseType { kOpcBranch = 1, kOpcLeaf = 2, kOpcFlat = 3 };

// OPCSERVERSTATUS is only passed by pointer here; the library never asks for it.
struct OpcServerStatus;

struct IOPCServer : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddGroup(LPCWSTR name, BOOL active, DWORD requested_update_rate,
                                               OPCHANDLE client_group, LONG *time_bias, FLOAT *percent_deadband,
                                               DWORD lcid, OPCHANDLE *server_group, DWORD *revised_update_rate,
                                               REFIID riid, LPUNKNOWN *unknown) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT error, LCID locale, LPWSTR *text) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetGroupByName(LPCWSTR name, REFIID riid, LPUNKNOWN *unknown) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStatus(OpcServerStatus **status) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveGroup(OPCHANDLE server_group, BOOL force) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateGroupEnumerator(DWORD scope, REFIID riid, LPUNKNOWN *unknown) = 0;
};

struct IOPCBrowseServerAddressSpace : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryOrganization(DWORD *namespace_type) = 0;
    virtual HRESULT STDMETHODCALLTYPE ChangeBrowsePosition(DWORD direction, LPCWSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE BrowseOPCItemIDs(DWORD browse_type, LPCWSTR filter, VARTYPE data_type,
                                                       DWORD access_rights, IEnumString **names) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetItemID(LPWSTR item_data_id, LPWSTR *item_id) = 0;
    virtual HRESULT STDMETHODCALLTYPE BrowseAccessPaths(LPCWSTR item_id, IEnumString **access_paths) = 0;
};

}  // namespace tagcfg::opc
