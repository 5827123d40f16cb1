// The WIA command with a stand-in device manager in place of the system's:
// what a failed or cancelled device choice shows, a cancelled item choice,
// and the items of the device dialog handed to the Transfering dialog; under
// Wine, whose device manager has no devices, the system's answer.
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>
#include <wia.h>

#include <cstring>
#include <string>
#include <vector>

#include "acquire/logic/wia_formats.h"
#include "acquire/tests/fake_wia_item.h"
#include "acquire/wia_acquisition.h"
#include "app/options.h"
#include "tests/support/dialog_script.h"

namespace {

using testsupport::DialogScript;
using testsupport::FakeItem;
using testsupport::ItemScript;

GUID JpegFormat() {
    for (size_t i = 0; i < WiaNamedFormatCount(); ++i)
        if (std::strcmp(WiaNamedFormatAt(i).name, "JPEG") == 0) {
            GUID id;
            std::memcpy(&id, &WiaNamedFormatAt(i).id, sizeof id);
            return id;
        }
    return GUID{};
}

// The device's root item: its device dialog answers as scripted.
class FakeRoot : public FakeItem {
public:
    FakeRoot(HRESULT answer, std::vector<FakeItem*> items)
        : FakeItem(ItemScript{}), m_answer(answer), m_items(std::move(items)) {}
    HRESULT STDMETHODCALLTYPE DeviceDlg(HWND, LONG, LONG, LONG* count, IWiaItem*** items) override {
        *count = 0;
        *items = nullptr;
        if (m_answer != S_OK)
            return m_answer;
        *count = static_cast<LONG>(m_items.size());
        *items = static_cast<IWiaItem**>(::CoTaskMemAlloc(sizeof(IWiaItem*) * m_items.size()));
        for (size_t i = 0; i < m_items.size(); ++i) {
            m_items[i]->AddRef();
            (*items)[i] = m_items[i];
        }
        return S_OK;
    }

private:
    HRESULT m_answer;
    std::vector<FakeItem*> m_items;
};

class FakeManager : public IWiaDevMgr {
public:
    FakeManager(HRESULT selectAnswer, FakeRoot* root) : m_select(selectAnswer), m_root(root) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWiaDevMgr)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; }
    LONG References() const { return m_references; }

    HRESULT STDMETHODCALLTYPE SelectDeviceDlg(HWND, LONG, LONG, BSTR* device,
                                              IWiaItem** root) override {
        *device = nullptr;
        *root = nullptr;
        if (m_select != S_OK)
            return m_select;
        *device = ::SysAllocString(L"stand-in camera");
        m_root->AddRef();
        *root = m_root;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumDeviceInfo(LONG, IEnumWIA_DEV_INFO**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateDevice(BSTR, IWiaItem**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectDeviceDlgID(HWND, LONG, LONG, BSTR*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetImageDlg(HWND, LONG, LONG, LONG, IWiaItem*, BSTR, GUID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RegisterEventCallbackProgram(LONG, BSTR, const GUID*, BSTR, BSTR,
                                                           BSTR, BSTR) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RegisterEventCallbackInterface(LONG, BSTR, const GUID*,
                                                             IWiaEventCallback*,
                                                             IUnknown**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RegisterEventCallbackCLSID(LONG, BSTR, const GUID*, const GUID*, BSTR,
                                                         BSTR, BSTR) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AddDeviceDlg(HWND, LONG) override { return E_NOTIMPL; }

private:
    HRESULT m_select;
    FakeRoot* m_root;
    LONG m_references = 0;
};

FakeManager* g_manager = nullptr;

HRESULT StandInFactory(IWiaDevMgr** manager) {
    if (!g_manager)
        return REGDB_E_CLASSNOTREG;
    g_manager->AddRef();
    *manager = g_manager;
    return S_OK;
}

std::string NewFolder() {
    char base[MAX_PATH];
    ::GetTempPathA(sizeof base, base);
    std::string folder =
        std::string(base) + "wia-command-" + std::to_string(::GetCurrentProcessId()) + "\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"S0001.jpg", "S0002.jpg"})
        ::DeleteFileA((folder + name).c_str());
    return folder;
}

class WiaAcquisition : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override {
        SetWiaDeviceManagerFactory(nullptr);
        g_manager = nullptr;
        ::CoUninitialize();
    }
};

TEST_F(WiaAcquisition, TheCommandAnswersEachDeviceAndItemChoice) {
    struct Case {
        const char* name;
        bool manager;         // a device manager can be made
        HRESULT selectAnswer; // of the device choice
        HRESULT itemsAnswer;  // of the item choice
        bool cannotConnect;   // "Unable to connect to device." shown
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {"no device manager", false, S_OK, S_OK, true, {}},
        {"the device choice cancelled", true, S_FALSE, S_OK, true, {}},
        {"the device choice failing", true, E_FAIL, S_OK, true, {}},
        {"the item choice cancelled", true, S_OK, S_FALSE, false, {}},
        {"two items chosen", true, S_OK, S_OK, false, {"S0001.jpg", "S0002.jpg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = NewFolder();
        CAppOptions options;
        lstrcpyA(options.outputSettingFilenamePath, folder.c_str());
        lstrcpyA(options.outputSettingFilenamePrefix, "S");
        options.outputSettingPaddingZero = 4;
        options.outputSettingSequenceStartAt = 1;
        std::vector<FakeItem*> items;
        for (int i = 0; i < 2; ++i) {
            ItemScript script;
            script.format = JpegFormat();
            script.bytes = "picture " + std::to_string(i);
            items.push_back(new FakeItem(script));
        }
        auto* root = new FakeRoot(c.itemsAnswer, items);
        FakeManager manager(c.selectAnswer, root);
        g_manager = c.manager ? &manager : nullptr;
        SetWiaDeviceManagerFactory(StandInFactory);
        DialogScript script("Transfering", [](HWND) {});
        const std::vector<std::string> written = AcquireFromWia(NULL, options);
        std::vector<std::string> expected;
        for (const std::string& name : c.written)
            expected.push_back(folder + name);
        EXPECT_EQ(expected, written);
        ASSERT_EQ(c.cannotConnect ? 1u : 0u, script.boxes.size());
        if (c.cannotConnect) {
            EXPECT_EQ("Unable to connect to device.", script.boxes[0].text);
            EXPECT_EQ("Velmorantix XP", script.boxes[0].caption);
            EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), script.boxes[0].icon);
        }
        // Everything the command was given is given back.
        EXPECT_EQ(0, manager.References());
        EXPECT_EQ(1, root->References());
        for (FakeItem* item : items) {
            EXPECT_EQ(1, item->References());
            item->Release();
        }
        root->Release();
    }
}

TEST_F(WiaAcquisition, WithTheSystemsDeviceManagerAndNoDeviceItCannotConnect) {
    SetWiaDeviceManagerFactory(nullptr);
    CAppOptions options;
    DialogScript script("Transfering", [](HWND) {});
    EXPECT_TRUE(AcquireFromWia(NULL, options).empty());
    ASSERT_EQ(1u, script.boxes.size());
    EXPECT_EQ("Unable to connect to device.", script.boxes[0].text);
}

} // namespace
