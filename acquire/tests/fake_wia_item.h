// A stand-in WIA device item for tests: IWiaItem for the hand-over between
// apartments (it aggregates the free-threaded marshaler, so a marshalled
// stream gives the other apartment the same object) and IWiaDataTransfer,
// whose banded transfer sends a scripted header, bands of data, a status
// and the termination.
#pragma once

#include <objbase.h>
#include <windows.h>
#include <wia.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace testsupport {

struct ItemScript {
    GUID format;
    std::string bytes;
    LONG announced = -1;      // the header's total; -1: the real size
    HRESULT result = S_OK;    // what the transfer answers, with no messages on failure
    bool pressCancel = false; // the user presses Cancel while the item arrives
    bool waitForLook = false; // the item waits until the dialog has been looked at
};

// One device item: IWiaItem for the hand-over, IWiaDataTransfer for the data.
class FakeItem : public IWiaItem, public IWiaDataTransfer {
public:
    explicit FakeItem(ItemScript script) : m_script(std::move(script)) {
        ::CoCreateFreeThreadedMarshaler(static_cast<IWiaItem*>(this), &m_marshaler);
    }
    virtual ~FakeItem() {
        if (m_marshaler)
            m_marshaler->Release();
    }
    static inline HWND s_dialog = NULL;   // the Transfering dialog, for its Cancel
    static inline HANDLE s_looked = NULL; // set once the dialog has been looked at
    int transfers = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWiaItem)) {
            *object = static_cast<IWiaItem*>(this);
        } else if (IsEqualIID(iid, IID_IWiaDataTransfer)) {
            *object = static_cast<IWiaDataTransfer*>(this);
        } else if (IsEqualIID(iid, IID_IMarshal) && m_marshaler) {
            return m_marshaler->QueryInterface(iid, object);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&m_references); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    LONG References() const { return m_references; }

    // IWiaDataTransfer
    HRESULT STDMETHODCALLTYPE idtGetData(LPSTGMEDIUM, IWiaDataCallback*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE idtGetBandedData(PWIA_DATA_TRANSFER_INFO info,
                                               IWiaDataCallback* callback) override {
        ++transfers;
        if (m_script.waitForLook)
            ::WaitForSingleObject(s_looked, 10000);
        if (!info || info->ulSize != 28 || !info->bDoubleBuffer || !callback)
            return E_INVALIDARG;
        if (FAILED(m_script.result))
            return m_script.result;
        WIA_DATA_CALLBACK_HEADER header{};
        header.lSize = sizeof header;
        header.guidFormatID = m_script.format;
        header.lBufferSize =
            m_script.announced >= 0 ? m_script.announced : static_cast<LONG>(m_script.bytes.size());
        if (callback->BandedDataCallback(IT_MSG_DATA_HEADER, IT_STATUS_TRANSFER_FROM_DEVICE, 0, 0,
                                         sizeof header, 0, 0,
                                         reinterpret_cast<BYTE*>(&header)) != S_OK)
            return S_FALSE;
        // Chunks of 7 bytes, so that an item arrives in several bands.
        std::vector<BYTE> band(7);
        for (size_t offset = 0; offset < m_script.bytes.size(); offset += band.size()) {
            const size_t length = std::min(band.size(), m_script.bytes.size() - offset);
            std::memcpy(band.data(), m_script.bytes.data() + offset, length);
            if (callback->BandedDataCallback(IT_MSG_DATA, IT_STATUS_TRANSFER_TO_CLIENT, 50,
                                             static_cast<LONG>(offset), static_cast<LONG>(length),
                                             0, 0, band.data()) != S_OK)
                return S_FALSE;
            if (offset == 0 && m_script.pressCancel)
                ::SendMessageA(s_dialog, WM_COMMAND, MAKEWPARAM(IDC_TRANSFER_CANCEL, BN_CLICKED),
                               0);
        }
        if (callback->BandedDataCallback(IT_MSG_STATUS, IT_STATUS_TRANSFER_TO_CLIENT, 100, 0, 0, 0,
                                         0, nullptr) != S_OK)
            return S_FALSE;
        callback->BandedDataCallback(IT_MSG_TERMINATION, IT_STATUS_TRANSFER_TO_CLIENT, 100, 0, 0, 0,
                                     0, nullptr);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE idtQueryGetData(WIA_FORMAT_INFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE idtEnumWIA_FORMAT_INFO(IEnumWIA_FORMAT_INFO**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE idtGetExtendedTransferInfo(PWIA_EXTENDED_TRANSFER_INFO) override {
        return E_NOTIMPL;
    }

    // IWiaItem: only the hand-over is used.
    HRESULT STDMETHODCALLTYPE GetItemType(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AnalyzeItem(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumChildItems(IEnumWiaItem**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteItem(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateChildItem(LONG, BSTR, BSTR, IWiaItem**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumRegisterEventInfo(LONG, const GUID*,
                                                    IEnumWIA_DEV_CAPS**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindItemByName(LONG, BSTR, IWiaItem**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeviceDlg(HWND, LONG, LONG, LONG*, IWiaItem***) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeviceCommand(LONG, const GUID*, IWiaItem**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetRootItem(IWiaItem**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDeviceCapabilities(LONG, IEnumWIA_DEV_CAPS**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DumpItemData(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DumpDrvItemData(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DumpTreeItemData(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Diagnostic(ULONG, BYTE*) override { return E_NOTIMPL; }

private:
    ItemScript m_script;
    IUnknown* m_marshaler = nullptr;
    LONG m_references = 1;
};

} // namespace testsupport
