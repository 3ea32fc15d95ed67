// DllRegisterServer and DllUnregisterServer: each class under HKCR\CLSID with its in-process
// server path, and its ProgID key with the "CLSID" subkey and (for OPC servers) the "OPC" subkey
// by which server browsers recognise OPC servers.
#include <objbase.h>
#include <olectl.h>
#include <windows.h>

#include <string>

#include "module.h"
#include "opcsim_classes.h"
#include "platform/win32/opc_interfaces.h"
#include "wide_text.h"

namespace {

// Creates the key; sets its value when one is given (null name: the default value).
bool write_key(const std::wstring &path, const wchar_t *name = nullptr, const std::wstring *value = nullptr) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = true;
    if (value) {
        const DWORD characters = static_cast<DWORD>(value->size()) + 1;  // with the terminator
        ok = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value->c_str()),
                            static_cast<DWORD>(characters * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return ok;
}

bool register_class(const opcsim::ServerClass &c, const std::wstring &dll_path) {
    const std::wstring clsid = opcsim::widen(c.clsid), progid = opcsim::widen(c.progid);
    // "Both": objects live in the creating thread's apartment, whichever kind it is, since no
    // proxies exist for the OPC interfaces in a test prefix.
    const std::wstring both = L"Both";
    const std::wstring class_key = L"CLSID\\" + clsid;
    std::wstring description;
    if (c.description) description = opcsim::widen(c.description);
    const std::wstring *described = c.description ? &description : nullptr;
    return write_key(class_key, nullptr, described) && write_key(class_key + L"\\InprocServer32", nullptr, &dll_path) &&
           write_key(class_key + L"\\InprocServer32", L"ThreadingModel", &both) &&
           write_key(class_key + L"\\ProgID", nullptr, &progid) && write_key(progid, nullptr, described) &&
           write_key(progid + L"\\CLSID", nullptr, &clsid) && (!c.opc || write_key(progid + L"\\OPC"));
}

bool remove_key(const std::wstring &path) {
    LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

// This DLL's path, empty when it does not fit.
std::wstring dll_path() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(opcsim::module_handle(), path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(path, length);
}

}  // namespace

STDAPI DllRegisterServer() {
    try {
        const std::wstring dll_path = ::dll_path();
        if (dll_path.empty()) return SELFREG_E_CLASS;
        for (const opcsim::ServerClass &c : opcsim::kServerClasses)
            if (!register_class(c, dll_path)) return SELFREG_E_CLASS;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    bool ok = true;
    try {
        for (const opcsim::ServerClass &c : opcsim::kServerClasses) {
            ok = remove_key(L"CLSID\\" + opcsim::widen(c.clsid)) && ok;
            ok = remove_key(opcsim::widen(c.progid)) && ok;
        }
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return ok ? S_OK : SELFREG_E_CLASS;
}

// The server browser's stand-in, for test prefixes only (see server_browser.h). It is left out of
// DllUnregisterServer for the same reason: the key may be a real browser's.
extern "C" HRESULT opcsim_register_server_browser() {
    wchar_t clsid[40];
    if (!StringFromGUID2(tagcfg::opc::kClsidOpcServerList, clsid, 40)) return E_UNEXPECTED;
    try {
        const std::wstring dll_path = ::dll_path(), both = L"Both", name = L"OpcSim server browser";
        const std::wstring class_key = std::wstring(L"CLSID\\") + clsid;
        if (dll_path.empty()) return SELFREG_E_CLASS;
        return write_key(class_key, nullptr, &name) && write_key(class_key + L"\\InprocServer32", nullptr, &dll_path) &&
                       write_key(class_key + L"\\InprocServer32", L"ThreadingModel", &both)
                   ? S_OK
                   : SELFREG_E_CLASS;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
