#include "acquire/wia_acquisition.h"

#include <objbase.h>

#include "acquire/wia_transfer.h"
#include "app/app_globals.h"

namespace {

HRESULT SystemDeviceManager(IWiaDevMgr** manager) {
    return ::CoCreateInstance(CLSID_WiaDevMgr, nullptr, CLSCTX_LOCAL_SERVER, IID_IWiaDevMgr,
                              reinterpret_cast<void**>(manager));
}

WiaDeviceManagerFactory g_factory = SystemDeviceManager;

void CannotConnect() {
    ShowMessageBox("Unable to connect to device.", kProductName, MB_OK | MB_ICONINFORMATION);
}

} // namespace

void SetWiaDeviceManagerFactory(WiaDeviceManagerFactory factory) {
    g_factory = factory ? factory : SystemDeviceManager;
}

HRESULT CreateWiaDeviceManager(IWiaDevMgr** manager) {
    *manager = nullptr;
    const HRESULT result = g_factory(manager);
    if (SUCCEEDED(result) && !*manager)
        return E_NOINTERFACE;
    return result;
}

std::vector<std::string> AcquireFromWia(HWND owner, const CAppOptions& options) {
    std::vector<std::string> written;
    IWiaDevMgr* manager = nullptr;
    if (FAILED(CreateWiaDeviceManager(&manager))) {
        CannotConnect();
        return written;
    }
    BSTR device = nullptr;
    IWiaItem* root = nullptr;
    const HRESULT selected = manager->SelectDeviceDlg(owner, 0, 0, &device, &root);
    if (device)
        ::SysFreeString(device);
    if (selected != S_OK || !root) {
        if (root)
            root->Release();
        manager->Release();
        CannotConnect();
        return written;
    }
    LONG count = 0;
    IWiaItem** items = nullptr;
    if (root->DeviceDlg(owner, 0, 0, &count, &items) == S_OK) {
        CTransferProgressDialog dialog(options);
        for (LONG i = 0; items && i < count; ++i) {
            IStream* stream = nullptr;
            // An item that cannot cross to the worker is left out.
            if (items[i] &&
                SUCCEEDED(::CoMarshalInterThreadInterfaceInStream(IID_IWiaItem, items[i], &stream)))
                dialog.streams.push_back(stream);
        }
        dialog.DoModal(::GetActiveWindow());
        written = dialog.written;
        for (LONG i = 0; items && i < count; ++i)
            if (items[i])
                items[i]->Release();
    }
    if (items)
        ::CoTaskMemFree(items);
    root->Release();
    manager->Release();
    return written;
}
