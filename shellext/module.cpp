// The library's entry points: the class factory COM asks for, the unload
// answer, and the process attach that loads the menu bitmap.
#include "shellext/module.h"

#include <new>

#include "shellext/context_menu_handler.h"
#include "shellext/dovrexa_ids.h"
#include "shellext/dovrexa_resource.h"

namespace dovrexa {

HINSTANCE g_module = nullptr;
HBITMAP g_menuBitmap = nullptr;
MenuSwitches g_switches;

namespace {

LONG g_lockCount = 0;

class CClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is static; its references do not keep the module, only
    // LockServer does, as COM expects.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        CDovrexaShEx* object = new (std::nothrow) CDovrexaShEx;
        if (!object)
            return E_OUTOFMEMORY;
        const HRESULT hr = object->QueryInterface(riid, out);
        object->Release(); // the reference the object was born with
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }
};

CClassFactory g_classFactory;

} // namespace

void LockModule() {
    InterlockedIncrement(&g_lockCount);
}

void UnlockModule() {
    InterlockedDecrement(&g_lockCount);
}

LONG ModuleLockCount() {
    return InterlockedCompareExchange(&g_lockCount, 0, 0);
}

bool GetModulePath(char* path, DWORD size) {
    const DWORD n = GetModuleFileNameA(g_module, path, size);
    return n > 0 && n < size;
}

bool GetModulePathW(wchar_t* path, DWORD size) {
    const DWORD n = GetModuleFileNameW(g_module, path, size);
    return n > 0 && n < size;
}

HRESULT LoadModuleTypeLib(ITypeLib** typeLib) {
    *typeLib = nullptr;
    wchar_t path[MAX_PATH];
    if (!GetModulePathW(path, MAX_PATH))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    return LoadTypeLibEx(path, REGKIND_NONE, typeLib);
}

} // namespace dovrexa

using namespace dovrexa;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_module = instance;
        // Threads of the host come and go often; nothing here needs them.
        DisableThreadLibraryCalls(instance);
        g_menuBitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_MENU_ITEM));
        break;
    case DLL_PROCESS_DETACH:
        if (g_menuBitmap) {
            DeleteObject(g_menuBitmap);
            g_menuBitmap = nullptr;
        }
        break;
    default:
        break;
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, kClsidDovrexaShEx))
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_classFactory.QueryInterface(riid, out);
}
