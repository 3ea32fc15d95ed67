// The OPC Data Access and OPC Common custom interfaces the library uses, declared from their
// published method order and identifiers.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <comcat.h>  // IEnumGUID, which IOPCServerList hands out

namespace tagcfg::opc {

using OPCHANDLE = DWORD;

// {39C13A4D-011E-11D0-9675-0020AFD8ADB3}
constexpr GUID kIidOpcServer = {0x39C13A4D, 0x011E, 0x11D0, {0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3}};
// {39C13A4F-011E-11D0-9675-0020AFD8ADB3}
constexpr GUID kIidOpcBrowseServerAddressSpace = {
    0x39C13A4F, 0x011E, 0x11D0, {0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3}};

// {39C13A54-011E-11D0-9675-0020AFD8ADB3}
constexpr GUID kIidOpcItemMgt = {0x39C13A54, 0x011E, 0x11D0, {0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3}};
// {39C13A52-011E-11D0-9675-0020AFD8ADB3}
constexpr GUID kIidOpcSyncIo = {0x39C13A52, 0x011E, 0x11D0, {0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3}};

enum OpcNamespaceType { kOpcNsHierarchial = 1, kOpcNsFlat = 2 };
enum OpcDataSource { kOpcDsCache = 1, kOpcDsDevice = 2 };
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

struct OPCITEMDEF {
    LPWSTR szAccessPath;
    LPWSTR szItemID;
    BOOL bActive;
    OPCHANDLE hClient;
    DWORD dwBlobSize;
    BYTE *pBlob;
    VARTYPE vtRequestedDataType;
    WORD wReserved;
};

struct OPCITEMRESULT {
    OPCHANDLE hServer;
    VARTYPE vtCanonicalDataType;
    WORD wReserved;
    DWORD dwAccessRights;
    DWORD dwBlobSize;
    BYTE *pBlob;
};

struct OPCITEMSTATE {
    OPCHANDLE hClient;
    FILETIME ftTimeStamp;
    WORD wQuality;
    WORD wReserved;
    VARIANT vDataValue;
};

// The group's item management; the library never enumerates items or changes their state.
struct IOPCItemMgt : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddItems(DWORD count, OPCITEMDEF *items, OPCITEMRESULT **results,
                                               HRESULT **errors) = 0;
    virtual HRESULT STDMETHODCALLTYPE ValidateItems(DWORD count, OPCITEMDEF *items, BOOL blob_update,
                                                    OPCITEMRESULT **results, HRESULT **errors) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveItems(DWORD count, OPCHANDLE *server_handles, HRESULT **errors) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetActiveState(DWORD count, OPCHANDLE *server_handles, BOOL active,
                                                     HRESULT **errors) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetClientHandles(DWORD count, OPCHANDLE *server_handles,
                                                       OPCHANDLE *client_handles, HRESULT **errors) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDatatypes(DWORD count, OPCHANDLE *server_handles, VARTYPE *requested_types,
                                                   HRESULT **errors) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateEnumerator(REFIID riid, LPUNKNOWN *unknown) = 0;
};

struct IOPCSyncIO : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Read(DWORD source, DWORD count, OPCHANDLE *server_handles, OPCITEMSTATE **values,
                                           HRESULT **errors) = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(DWORD count, OPCHANDLE *server_handles, VARIANT *values,
                                            HRESULT **errors) = 0;
};

struct IOPCBrowseServerAddressSpace : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryOrganization(DWORD *namespace_type) = 0;
    virtual HRESULT STDMETHODCALLTYPE ChangeBrowsePosition(DWORD direction, LPCWSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE BrowseOPCItemIDs(DWORD browse_type, LPCWSTR filter, VARTYPE data_type,
                                                       DWORD access_rights, IEnumString **names) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetItemID(LPWSTR item_data_id, LPWSTR *item_id) = 0;
    virtual HRESULT STDMETHODCALLTYPE BrowseAccessPaths(LPCWSTR item_id, IEnumString **access_paths) = 0;
};

// The server browser (OPCEnum) and its category list.
// {13486D51-4821-11D2-A494-3CB306C10000}
constexpr GUID kClsidOpcServerList = {0x13486D51, 0x4821, 0x11D2, {0xA4, 0x94, 0x3C, 0xB3, 0x06, 0xC1, 0x00, 0x00}};
// {13486D50-4821-11D2-A494-3CB306C10000}
constexpr GUID kIidOpcServerList = {0x13486D50, 0x4821, 0x11D2, {0xA4, 0x94, 0x3C, 0xB3, 0x06, 0xC1, 0x00, 0x00}};
// {9DD0B56C-AD9E-43EE-8305-487F3188BF7A}
constexpr GUID kIidOpcServerList2 = {0x9DD0B56C, 0xAD9E, 0x43EE, {0x83, 0x05, 0x48, 0x7F, 0x31, 0x88, 0xBF, 0x7A}};
// {55C382C8-21C7-4E88-96C1-BECFB1E3F483}
constexpr GUID kIidOpcEnumGuid = {0x55C382C8, 0x21C7, 0x4E88, {0x96, 0xC1, 0xBE, 0xCF, 0xB1, 0xE3, 0xF4, 0x83}};
// The categories of OPC Data Access 1.0, 2.0 and 3.0 servers.
// {63D5F430-CFE4-11D1-B2C8-0060083BA1FB}, {63D5F432-CFE4-11D1-B2C8-0060083BA1FB},
// {CC603642-66D7-48F1-B69A-B625E73652D7}
constexpr GUID kCatidOpcDaServers[] = {
    {0x63D5F430, 0xCFE4, 0x11D1, {0xB2, 0xC8, 0x00, 0x60, 0x08, 0x3B, 0xA1, 0xFB}},
    {0x63D5F432, 0xCFE4, 0x11D1, {0xB2, 0xC8, 0x00, 0x60, 0x08, 0x3B, 0xA1, 0xFB}},
    {0xCC603642, 0x66D7, 0x48F1, {0xB6, 0x9A, 0xB6, 0x25, 0xE7, 0x36, 0x52, 0xD7}},
};

struct IOPCServerList : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG implemented_count, CATID implemented[],
                                                              ULONG required_count, CATID required[],
                                                              IEnumGUID **classes) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR *progid, LPOLESTR *user_type) = 0;
    virtual HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR progid, LPCLSID clsid) = 0;
};

// IEnumGUID's methods under an interface of its own.
struct IOPCEnumGUID : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, GUID *guids, ULONG *fetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IOPCEnumGUID **copy) = 0;
};

struct IOPCServerList2 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG implemented_count, CATID implemented[],
                                                              ULONG required_count, CATID required[],
                                                              IOPCEnumGUID **classes) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR *progid, LPOLESTR *user_type,
                                                      LPOLESTR *version_independent_progid) = 0;
    virtual HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR progid, LPCLSID clsid) = 0;
};

}  // namespace tagcfg::opc
