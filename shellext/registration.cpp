// Registration of the class, its application id, its type library and the
// shell's handler entries, written out in code. Keys shared with other
// servers and handlers (AppID, CLSID, the ShellEx trees, the approved list)
// are created when missing but never removed; everything below them that
// this library owns is removed whole.
#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "shellext/dovrexa_ids.h"
#include "shellext/module.h"

using namespace dovrexa;

namespace {

// Sets `name` (null: the default value) of root\subKey to `data` as
// REG_SZ, creating the key.
HRESULT SetString(HKEY root, const char* subKey, const char* name, const char* data) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                              &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(rc);
    rc = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                        DWORD(std::strlen(data) + 1));
    RegCloseKey(key);
    return HRESULT_FROM_WIN32(rc);
}

// A key with nothing in it (the "Programmable" marker).
HRESULT CreateEmptyKey(HKEY root, const char* subKey) {
    HKEY key = nullptr;
    const LONG rc = RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                    nullptr, &key, nullptr);
    if (rc == ERROR_SUCCESS)
        RegCloseKey(key);
    return HRESULT_FROM_WIN32(rc);
}

// Removes root\subKey with everything below it; a key that is already gone
// is no failure.
HRESULT DeleteTree(HKEY root, const char* subKey) {
    const DWORD rc = SHDeleteKeyA(root, subKey);
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND)
        return S_OK;
    return HRESULT_FROM_WIN32(rc);
}

HRESULT DeleteValue(HKEY root, const char* subKey, const char* name) {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(root, subKey, 0, KEY_SET_VALUE, &key);
    if (rc == ERROR_FILE_NOT_FOUND)
        return S_OK;
    if (rc != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(rc);
    rc = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(rc);
}

struct Path {
    char text[300];
};

Path Join(const char* a, const char* b) {
    Path p;
    lstrcpynA(p.text, a, sizeof(p.text));
    const size_t used = std::strlen(p.text);
    lstrcpynA(p.text + used, "\\", int(sizeof(p.text) - used));
    lstrcpynA(p.text + used + 1, b, int(sizeof(p.text) - used - 1));
    return p;
}

const Path kClassKey = Join("CLSID", kClsidText);
const Path kAppIdKey = Join("AppID", kAppIdText);
const char kAppIdNameKey[] = "AppID\\Dovrexa.DLL";
const char* const kHandlerParents[] = {"*\\ShellEx\\ContextMenuHandlers",
                                       "Folder\\ShellEx\\ContextMenuHandlers"};

#define RETURN_IF_FAILED(expr)                                                                     \
    do {                                                                                           \
        const HRESULT hr_ = (expr);                                                                \
        if (FAILED(hr_))                                                                           \
            return hr_;                                                                            \
    } while (0)

HRESULT RegisterAppId() {
    RETURN_IF_FAILED(SetString(HKEY_CLASSES_ROOT, kAppIdKey.text, nullptr, "Dovrexa"));
    return SetString(HKEY_CLASSES_ROOT, kAppIdNameKey, "AppID", kAppIdText);
}

HRESULT UnregisterAppId() {
    RETURN_IF_FAILED(DeleteTree(HKEY_CLASSES_ROOT, kAppIdKey.text));
    return DeleteTree(HKEY_CLASSES_ROOT, kAppIdNameKey);
}

HRESULT RegisterTypeLibrary() {
    wchar_t path[MAX_PATH];
    if (!GetModulePathW(path, MAX_PATH))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    ITypeLib* typeLib = nullptr;
    HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &typeLib);
    if (FAILED(hr))
        return hr;
    // Registering the library also registers the dual interface with the
    // universal marshaler, which is all the marshaling it needs.
    hr = RegisterTypeLib(typeLib, path, nullptr);
    typeLib->Release();
    return hr;
}

HRESULT UnregisterTypeLibrary() {
    // Nothing to take away when the library is not registered.
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, Join("TypeLib", kTypeLibIdText).text, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return S_OK;
    RegCloseKey(key);
    ITypeLib* typeLib = nullptr;
    HRESULT hr = LoadModuleTypeLib(&typeLib);
    if (FAILED(hr))
        return hr;
    TLIBATTR* attr = nullptr;
    hr = typeLib->GetLibAttr(&attr);
    if (SUCCEEDED(hr)) {
        hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid,
                               attr->syskind);
        // Unregistering what is not registered is no failure.
        if (hr == TYPE_E_REGISTRYACCESS || hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND))
            hr = S_OK;
        typeLib->ReleaseTLibAttr(attr);
    }
    typeLib->Release();
    return hr;
}

HRESULT RegisterClassKeys() {
    char module[MAX_PATH];
    if (!GetModulePath(module, MAX_PATH))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);

    RETURN_IF_FAILED(SetString(HKEY_CLASSES_ROOT, kProgId, nullptr, kClassDescription));
    RETURN_IF_FAILED(
        SetString(HKEY_CLASSES_ROOT, Join(kProgId, "CLSID").text, nullptr, kClsidText));
    RETURN_IF_FAILED(
        SetString(HKEY_CLASSES_ROOT, kVersionIndependentProgId, nullptr, kClassDescription));
    RETURN_IF_FAILED(SetString(HKEY_CLASSES_ROOT, Join(kVersionIndependentProgId, "CLSID").text,
                               nullptr, kClsidText));
    RETURN_IF_FAILED(SetString(HKEY_CLASSES_ROOT, Join(kVersionIndependentProgId, "CurVer").text,
                               nullptr, kProgId));

    // The class key is replaced whole, so nothing of an older registration
    // under another path or threading model is left behind.
    RETURN_IF_FAILED(DeleteTree(HKEY_CLASSES_ROOT, kClassKey.text));
    RETURN_IF_FAILED(SetString(HKEY_CLASSES_ROOT, kClassKey.text, nullptr, kClassDescription));
    RETURN_IF_FAILED(SetString(HKEY_CLASSES_ROOT, kClassKey.text, "AppID", kAppIdText));
    RETURN_IF_FAILED(
        SetString(HKEY_CLASSES_ROOT, Join(kClassKey.text, "ProgID").text, nullptr, kProgId));
    RETURN_IF_FAILED(SetString(HKEY_CLASSES_ROOT,
                               Join(kClassKey.text, "VersionIndependentProgID").text, nullptr,
                               kVersionIndependentProgId));
    RETURN_IF_FAILED(CreateEmptyKey(HKEY_CLASSES_ROOT, Join(kClassKey.text, "Programmable").text));
    const Path inproc = Join(kClassKey.text, "InprocServer32");
    RETURN_IF_FAILED(SetString(HKEY_CLASSES_ROOT, inproc.text, nullptr, module));
    RETURN_IF_FAILED(SetString(HKEY_CLASSES_ROOT, inproc.text, "ThreadingModel", "Apartment"));
    RETURN_IF_FAILED(SetString(HKEY_CLASSES_ROOT, Join(kClassKey.text, "TypeLib").text, nullptr,
                               kTypeLibIdText));

    for (const char* parent : kHandlerParents) {
        const Path handler = Join(parent, kHandlerName);
        RETURN_IF_FAILED(DeleteTree(HKEY_CLASSES_ROOT, handler.text));
        RETURN_IF_FAILED(SetString(HKEY_CLASSES_ROOT, handler.text, nullptr, kClsidText));
    }
    return SetString(HKEY_LOCAL_MACHINE, kApprovedKey, kClsidText, kApprovedName);
}

HRESULT UnregisterClassKeys() {
    RETURN_IF_FAILED(DeleteTree(HKEY_CLASSES_ROOT, kProgId));
    RETURN_IF_FAILED(DeleteTree(HKEY_CLASSES_ROOT, kVersionIndependentProgId));
    RETURN_IF_FAILED(DeleteTree(HKEY_CLASSES_ROOT, kClassKey.text));
    for (const char* parent : kHandlerParents)
        RETURN_IF_FAILED(DeleteTree(HKEY_CLASSES_ROOT, Join(parent, kHandlerName).text));
    return DeleteValue(HKEY_LOCAL_MACHINE, kApprovedKey, kClsidText);
}

} // namespace

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    RETURN_IF_FAILED(RegisterAppId());
    RETURN_IF_FAILED(RegisterClassKeys());
    return RegisterTypeLibrary();
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    RETURN_IF_FAILED(UnregisterClassKeys());
    RETURN_IF_FAILED(UnregisterTypeLibrary());
    return UnregisterAppId();
}
