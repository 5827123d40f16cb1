// The shell extension loaded the way the shell loads it: the class id read
// from the handler key, CoCreateInstance, IShellExtInit::Initialize with a
// data object of dropped files, QueryContextMenu on a real menu and
// InvokeCommand, which starts a stand-in program that records its command
// line.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "registry_probe.h"
#include "tests/support/child_process.h"

namespace {

const std::string kDll = probe::Backslashed(VXP_DOVREXA_DLL);
const char kContextMenuKey[] = "Software\\Velmorantix\\Velmorantix XP\\ContextMenu";
const char kInstallKey[] = "SOFTWARE\\Velmorantix\\Velmorantix XP";
constexpr UINT kFirstId = 100;

// A data object that offers only a CF_HDROP list of the given names, as the
// shell hands a selection to a context-menu handler.
class CDropData final : public IDataObject {
public:
    explicit CDropData(const std::vector<std::string>& names) {
        size_t chars = 1;
        for (const std::string& n : names)
            chars += n.size() + 1;
        drop_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars);
        auto* header = static_cast<DROPFILES*>(GlobalLock(drop_));
        header->pFiles = sizeof(DROPFILES);
        char* p = reinterpret_cast<char*>(header + 1);
        for (const std::string& n : names) {
            memcpy(p, n.c_str(), n.size() + 1);
            p += n.size() + 1;
        }
        GlobalUnlock(drop_);
    }
    ~CDropData() { GlobalFree(drop_); }

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; } // lives on the test's stack

    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK)
            return DV_E_FORMATETC;
        const SIZE_T size = GlobalSize(drop_);
        HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
        memcpy(GlobalLock(copy), GlobalLock(drop_), size);
        GlobalUnlock(copy);
        GlobalUnlock(drop_);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* f) override {
        return f->cfFormat == CF_HDROP && (f->tymed & TYMED_HGLOBAL) &&
                       f->dwAspect == DVASPECT_CONTENT
                   ? S_OK
                   : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    HGLOBAL drop_ = nullptr;
    ULONG refs_ = 1;
};

template <typename T> struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p)
            p->Release();
    }
    T* operator->() const { return p; }
};

std::string g_root; // the fixture folder, without a blank of its own
std::string g_log;  // where the stand-in program writes its command line

std::string In(const std::string& relative) {
    return g_root + "\\" + relative;
}

void SetSwitches(const char* bits) { // browse, submenu, view, print, e-mail
    const char* names[] = {"DisplayBrowse", "ImageContextMenuItemsInSubfolder", "DisplayView",
                           "DisplayPrint", "DisplayEmail"};
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(probe::SetDword(HKEY_CURRENT_USER, kContextMenuKey, names[i], bits[i] == '1'));
}

// The class the shell would create: the one its handler key names.
CLSID HandlerClass() {
    const std::string text =
        probe::String(HKEY_CLASSES_ROOT, "*\\ShellEx\\ContextMenuHandlers\\VelmorantixXPShlExt");
    std::wstring wide(text.begin(), text.end());
    CLSID clsid = {};
    EXPECT_EQ(CLSIDFromString(wide.c_str(), &clsid), S_OK) << text;
    return clsid;
}

// Creates and initialises a handler for the data object; null on failure,
// with the HRESULT of Initialize in `hr`.
IContextMenu* CreateHandler(IDataObject* data, HRESULT* hr) {
    IShellExtInit* init = nullptr;
    *hr = CoCreateInstance(HandlerClass(), nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                           reinterpret_cast<void**>(&init));
    if (FAILED(*hr))
        return nullptr;
    *hr = init->Initialize(nullptr, data, nullptr);
    IContextMenu* menu = nullptr;
    if (SUCCEEDED(*hr))
        init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu));
    init->Release();
    return menu;
}

IContextMenu* CreateHandler(const std::vector<std::string>& names, HRESULT* hr) {
    CDropData data(names);
    return CreateHandler(&data, hr);
}

// "Open|Velmorantix XP{View#0|Print#1}|Edit": texts, our ids as offsets from
// the first id, pop-ups with their items in braces. `allHaveBitmap` is
// cleared when one of our items lacks the bitmap.
std::string Describe(HMENU menu, bool* allHaveBitmap) {
    std::string out;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[128] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS;
        info.dwTypeData = text;
        info.cch = sizeof(text);
        GetMenuItemInfoA(menu, UINT(i), TRUE, &info);
        out += std::string(i ? "|" : "") + text;
        const bool ours = info.hSubMenu || info.wID >= kFirstId;
        if (ours && !info.hbmpUnchecked)
            *allHaveBitmap = false;
        if (info.hSubMenu)
            out += "{" + Describe(info.hSubMenu, allHaveBitmap) + "}";
        else if (info.wID >= kFirstId)
            out += "#" + std::to_string(info.wID - kFirstId);
    }
    return out;
}

std::string ReadLog() {
    std::ifstream in(g_log, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Invokes command `offset`; the recorded command line, or "<hr 0x...>" when
// the handler refused.
std::string Invoke(IContextMenu* handler, LPCSTR verb) {
    DeleteFileA(g_log.c_str());
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    const HRESULT hr = handler->InvokeCommand(&info);
    if (hr != S_OK) {
        char text[32];
        wsprintfA(text, "<hr 0x%08lX>", hr);
        return text;
    }
    if (!test_support::WaitFor([] { return PathFileExistsA(g_log.c_str()) != FALSE; }, 30000))
        return "<the program did not start>";
    return ReadLog();
}

// Builds the handler's menu for a selection under the switches, so that the
// next Invoke uses them.
HRESULT Query(IContextMenu* handler, HMENU menu, UINT flags = CMF_NORMAL) {
    return handler->QueryContextMenu(menu, 1, kFirstId, kFirstId + 50, flags);
}

HMENU HostMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 1, "Open");
    AppendMenuA(menu, MF_STRING, 2, "Edit");
    return menu;
}

void MakeFile(const std::string& path) {
    std::ofstream(path, std::ios::binary) << "x";
}

class ShellHost : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        char system[MAX_PATH];
        GetSystemDirectoryA(system, MAX_PATH);
        test_support::Process p = test_support::Start(
            (std::string(system) + "\\regsvr32.exe").c_str(), "/s \"" + kDll + "\"");
        ASSERT_EQ(test_support::WaitExit(p, 60000), 0);
        test_support::Kill(p);

        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        g_root = std::string(temp) + "dovrexa-host";
        SHCreateDirectoryExA(nullptr, In("a b").c_str(), nullptr);
        SHCreateDirectoryExA(nullptr, In("my pics").c_str(), nullptr);
        MakeFile(In("a b\\1.jpg"));
        MakeFile(In("a b\\2.jpg"));
        MakeFile(In("plain.png"));
        MakeFile(In("notes.txt"));
        g_log = In("command-line.txt");
        SetEnvironmentVariableA("VXP_STUB_LOG", g_log.c_str());
        ASSERT_TRUE(probe::SetString(HKEY_LOCAL_MACHINE, kInstallKey, "InstallPath",
                                     probe::Backslashed(VXP_STUB_DIR)));
    }
    static void TearDownTestSuite() { CoUninitialize(); }
};

} // namespace

TEST_F(ShellHost, EachSelectionAndSwitchSetGetsItsMenuAndThreeReservedIds) {
    struct Case {
        std::vector<std::string> selection;
        const char* switches;
        const char* menu;
    } cases[] = {
        {{"a b\\1.jpg", "a b\\2.jpg"},
         "11111",
         "Open|Velmorantix XP{View#0|Print#1|E-mail#2}|Edit"},
        {{"a b\\1.jpg"}, "11011", "Open|Velmorantix XP{Print#0|E-mail#1}|Edit"},
        {{"a b\\1.jpg"}, "11000", "Open|Velmorantix XP{}|Edit"},
        {{"a b\\1.jpg"}, "10000", "Open|Edit"},
        {{"a b\\1.jpg"},
         "10111",
         "Open|View with Velmorantix XP#0|Print with Velmorantix XP#1|E-mail with Velmorantix "
         "XP#2|Edit"},
        {{"a b\\1.jpg"},
         "00110",
         "Open|View with Velmorantix XP#0|Print with Velmorantix XP#1|Edit"},
        {{"my pics", "a b\\1.jpg"}, "11111", "Open|Browse with Velmorantix XP#0|Edit"},
        {{"my pics"}, "01111", "Open|Edit"},
        {{"a b\\1.jpg", "my pics", "notes.txt"},
         "11111",
         "Open|Velmorantix XP{View#0|Print#1|E-mail#2}|Edit"},
    };
    for (const Case& c : cases) {
        SetSwitches(c.switches);
        std::vector<std::string> names;
        for (const std::string& n : c.selection)
            names.push_back(In(n));
        HRESULT hr;
        ComPtr<IContextMenu> handler{CreateHandler(names, &hr)};
        ASSERT_EQ(hr, S_OK) << c.menu;
        HMENU menu = HostMenu();
        EXPECT_EQ(Query(handler.p, menu), HRESULT(3)) << c.switches << " " << c.menu;
        bool bitmaps = true;
        EXPECT_EQ(Describe(menu, &bitmaps), c.menu) << c.switches;
        EXPECT_TRUE(bitmaps) << c.menu;
        DestroyMenu(menu);
    }
}

TEST_F(ShellHost, DefaultOnlyMenusGetNothing) {
    SetSwitches("11111");
    HRESULT hr;
    ComPtr<IContextMenu> handler{CreateHandler({In("a b\\1.jpg")}, &hr)};
    ASSERT_EQ(hr, S_OK);
    HMENU menu = HostMenu();
    EXPECT_EQ(Query(handler.p, menu, CMF_DEFAULTONLY), S_OK);
    EXPECT_EQ(GetMenuItemCount(menu), 2);
    DestroyMenu(menu);
}

TEST_F(ShellHost, InitializeRefusesSelectionsWithoutImagesOrFoldersAndSkipsOverlongNames) {
    HRESULT hr;
    ComPtr<IContextMenu> none{CreateHandler({In("notes.txt"), In("other.doc")}, &hr)};
    EXPECT_EQ(hr, E_INVALIDARG);
    EXPECT_EQ(none.p, nullptr);

    // 300 characters would be cut to 259 by the system and name another file.
    const std::string overlong = In(std::string(300 - g_root.size() - 5, 'n') + ".jpg");
    ComPtr<IContextMenu> only{CreateHandler({overlong}, &hr)};
    EXPECT_EQ(hr, E_INVALIDARG);

    SetSwitches("11111");
    ComPtr<IContextMenu> handler{CreateHandler({overlong, In("plain.png")}, &hr)};
    ASSERT_EQ(hr, S_OK);
    HMENU menu = HostMenu();
    Query(handler.p, menu);
    EXPECT_EQ(Invoke(handler.p, MAKEINTRESOURCEA(0)), " " + In("plain.png"));
    DestroyMenu(menu);
}

TEST_F(ShellHost, InvokingStartsTheProgramWithTheCommandLineOfTheChosenItem) {
    const std::string one = "\"" + In("a b\\1.jpg") + "\"", two = "\"" + In("a b\\2.jpg") + "\"";
    struct Case {
        std::vector<std::string> selection;
        const char* switches;
        UINT offset;
        std::string line;
    } cases[] = {
        {{"a b\\1.jpg", "a b\\2.jpg"}, "11111", 1, " /print " + one + " " + two},
        {{"a b\\1.jpg", "a b\\2.jpg"}, "11111", 0, " " + one + " " + two},
        {{"a b\\1.jpg", "a b\\2.jpg"}, "11111", 2, " /email " + one + " " + two},
        {{"a b\\1.jpg"}, "11011", 0, " /print " + one},
        {{"a b\\1.jpg"}, "11011", 1, " /email " + one},
        {{"a b\\1.jpg"}, "11011", 2, "<hr 0x80070057>"},
        {{"a b\\1.jpg"}, "11111", 3, "<hr 0x80070057>"},
        {{"my pics"}, "11111", 0, " \"" + In("my pics") + "\""},
        {{"my pics", "a b\\1.jpg"}, "11111", 1, "<hr 0x80070057>"},
        {{"a b\\1.jpg", "my pics", "plain.png"},
         "10111",
         1,
         " /print " + one + " " + In("plain.png")},
    };
    for (const Case& c : cases) {
        SetSwitches(c.switches);
        std::vector<std::string> names;
        for (const std::string& n : c.selection)
            names.push_back(In(n));
        HRESULT hr;
        ComPtr<IContextMenu> handler{CreateHandler(names, &hr)};
        ASSERT_EQ(hr, S_OK);
        HMENU menu = HostMenu();
        Query(handler.p, menu);
        EXPECT_EQ(Invoke(handler.p, MAKEINTRESOURCEA(c.offset)), c.line)
            << c.switches << " offset " << c.offset;
        DestroyMenu(menu);
    }
}

TEST_F(ShellHost, ASelectionFromTheShellFolderDataObjectInvokesAlike) {
    SetSwitches("11111");
    ComPtr<IShellFolder> desktop;
    ASSERT_EQ(SHGetDesktopFolder(&desktop.p), S_OK);
    std::wstring folderPath;
    for (char ch : In("a b"))
        folderPath += wchar_t(ch);
    LPITEMIDLIST folderIdl = nullptr;
    ASSERT_EQ(
        desktop->ParseDisplayName(nullptr, nullptr, &folderPath[0], nullptr, &folderIdl, nullptr),
        S_OK);
    ComPtr<IShellFolder> folder;
    ASSERT_EQ(desktop->BindToObject(folderIdl, nullptr, IID_IShellFolder,
                                    reinterpret_cast<void**>(&folder.p)),
              S_OK);
    CoTaskMemFree(folderIdl);
    LPITEMIDLIST items[2] = {};
    wchar_t names[2][8] = {L"1.jpg", L"2.jpg"};
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(folder->ParseDisplayName(nullptr, nullptr, names[i], nullptr, &items[i], nullptr),
                  S_OK);
    ComPtr<IDataObject> data;
    ASSERT_EQ(folder->GetUIObjectOf(nullptr, 2, const_cast<LPCITEMIDLIST*>(items), IID_IDataObject,
                                    nullptr, reinterpret_cast<void**>(&data.p)),
              S_OK);
    for (LPITEMIDLIST item : items)
        CoTaskMemFree(item);

    HRESULT hr;
    ComPtr<IContextMenu> handler{CreateHandler(data.p, &hr)};
    ASSERT_EQ(hr, S_OK);
    HMENU menu = HostMenu();
    EXPECT_EQ(Query(handler.p, menu), HRESULT(3));
    EXPECT_EQ(Invoke(handler.p, MAKEINTRESOURCEA(1)),
              " /print \"" + In("a b\\1.jpg") + "\" \"" + In("a b\\2.jpg") + "\"");
    DestroyMenu(menu);
}

TEST_F(ShellHost, StringVerbsAndAMissingInstallPathStartNothing) {
    SetSwitches("11111");
    HRESULT hr;
    ComPtr<IContextMenu> handler{CreateHandler({In("a b\\1.jpg")}, &hr)};
    ASSERT_EQ(hr, S_OK);
    HMENU menu = HostMenu();
    Query(handler.p, menu);
    for (const char* verb : {"open", "print", "\x01"})
        EXPECT_EQ(Invoke(handler.p, verb), "<hr 0x80070057>") << verb;
    EXPECT_FALSE(PathFileExistsA(g_log.c_str()));

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    RegDeleteValueA(key, "InstallPath");
    RegCloseKey(key);
    EXPECT_EQ(Invoke(handler.p, MAKEINTRESOURCEA(0)), "<hr 0x80070057>");
    EXPECT_FALSE(PathFileExistsA(g_log.c_str()));
    ASSERT_TRUE(probe::SetString(HKEY_LOCAL_MACHINE, kInstallKey, "InstallPath",
                                 probe::Backslashed(VXP_STUB_DIR)));
    EXPECT_EQ(Invoke(handler.p, MAKEINTRESOURCEA(0)), " \"" + In("a b\\1.jpg") + "\"");
    DestroyMenu(menu);
}

TEST_F(ShellHost, AHugeSelectionPassesTheWholePathsThatFitTheCommandLine) {
    SetSwitches("11111");
    std::vector<std::string> names;
    for (int i = 0; i < 200; ++i) {
        char number[8];
        wsprintfA(number, "%03d", i);
        names.push_back(In(number + std::string(255 - g_root.size() - 1 - 3 - 4, 'p') + ".jpg"));
    }
    HRESULT hr;
    ComPtr<IContextMenu> handler{CreateHandler(names, &hr)};
    ASSERT_EQ(hr, S_OK);
    HMENU menu = HostMenu();
    Query(handler.p, menu);
    // Each name takes a blank and 255 characters; 127 of them stay below
    // the 32767-character limit.
    std::string expected;
    for (int i = 0; i < 127; ++i)
        expected += " " + names[size_t(i)];
    EXPECT_EQ(Invoke(handler.p, MAKEINTRESOURCEA(0)), expected);
    DestroyMenu(menu);
}

TEST_F(ShellHost, CommandStringsGiveOnlyHelpTexts) {
    struct Case {
        const char* selection;
        const char* switches;
        UINT command;
        UINT flags;
        HRESULT hr;
        const char* text;
    } cases[] = {
        {"a b\\1.jpg", "11111", 0, GCS_HELPTEXTA, S_OK, "View with Velmorantix XP"},
        {"a b\\1.jpg", "11111", 0, GCS_HELPTEXTW, S_OK, "View with Velmorantix XP"},
        {"a b\\1.jpg", "11011", 0, GCS_HELPTEXTW, S_OK, "Print with Velmorantix XP"},
        {"a b\\1.jpg", "11111", 1, GCS_HELPTEXTA, S_OK, ""},
        {"my pics", "11111", 2, GCS_HELPTEXTA, S_OK, "Browse with Velmorantix XP"},
        {"a b\\1.jpg", "11111", 0, GCS_VERBA, E_INVALIDARG, ""},
        {"a b\\1.jpg", "11111", 0, GCS_VERBW, E_INVALIDARG, ""},
        {"a b\\1.jpg", "11111", 0, GCS_VALIDATEA, E_INVALIDARG, ""},
    };
    for (const Case& c : cases) {
        SetSwitches(c.switches);
        HRESULT hr;
        ComPtr<IContextMenu> handler{CreateHandler({In(c.selection)}, &hr)};
        ASSERT_EQ(hr, S_OK);
        HMENU menu = HostMenu();
        Query(handler.p, menu);
        DestroyMenu(menu);
        wchar_t buffer[64] = {};
        EXPECT_EQ(handler->GetCommandString(c.command, c.flags, nullptr,
                                            reinterpret_cast<char*>(buffer), 64),
                  c.hr)
            << c.switches << " " << c.flags;
        if (c.hr != S_OK)
            continue;
        std::string got = (c.flags & GCS_UNICODE) ? std::string(buffer, buffer + lstrlenW(buffer))
                                                  : std::string(reinterpret_cast<char*>(buffer));
        EXPECT_EQ(got, c.text) << c.switches << " " << c.flags;
    }
    // A buffer too small gets the text cut short, still terminated.
    SetSwitches("11111");
    HRESULT hr;
    ComPtr<IContextMenu> handler{CreateHandler({In("a b\\1.jpg")}, &hr)};
    HMENU menu = HostMenu();
    Query(handler.p, menu);
    DestroyMenu(menu);
    char small[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(handler->GetCommandString(0, GCS_HELPTEXTA, nullptr, small, 5), S_OK);
    EXPECT_STREQ(small, "View");
}

TEST_F(ShellHost, TheModuleMayUnloadOnlyWhenNoHandlerOrLockIsLeft) {
    HMODULE module = GetModuleHandleA("Dovrexa.dll");
    if (!module) { // not loaded yet when this case runs first
        HRESULT hr;
        ComPtr<IContextMenu> warm{CreateHandler({In("plain.png")}, &hr)};
        module = GetModuleHandleA("Dovrexa.dll");
    }
    ASSERT_NE(module, nullptr);
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    using GetClass = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto canUnload = reinterpret_cast<CanUnload>(GetProcAddress(module, "DllCanUnloadNow"));
    auto getClass = reinterpret_cast<GetClass>(GetProcAddress(module, "DllGetClassObject"));
    ASSERT_TRUE(canUnload && getClass);
    EXPECT_EQ(canUnload(), S_OK);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClass(HandlerClass(), IID_IClassFactory, reinterpret_cast<void**>(&factory.p)),
              S_OK);
    IUnknown* object = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&object)),
              S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    object->Release();
    EXPECT_EQ(canUnload(), S_OK);
    factory->LockServer(TRUE);
    EXPECT_EQ(canUnload(), S_FALSE);
    factory->LockServer(FALSE);
    EXPECT_EQ(canUnload(), S_OK);

    IUnknown* aggregated = nullptr;
    EXPECT_EQ(
        factory->CreateInstance(factory.p, IID_IUnknown, reinterpret_cast<void**>(&aggregated)),
        CLASS_E_NOAGGREGATION);
    const CLSID other = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
    void* none = nullptr;
    EXPECT_EQ(getClass(other, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
}

TEST_F(ShellHost, TheHandlerAnswersAsItsDualInterface) {
    HRESULT hr;
    ComPtr<IContextMenu> handler{CreateHandler({In("plain.png")}, &hr)};
    ASSERT_EQ(hr, S_OK);
    const IID iid = {0x099AB0AB, 0xFD20, 0x4981, {0xAB, 0x57, 0x19, 0xA0, 0xD2, 0x18, 0xE3, 0x3D}};
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(handler->QueryInterface(iid, reinterpret_cast<void**>(&dispatch.p)), S_OK);
    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(dispatch->GetTypeInfo(0, 0, &info.p), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, iid));
    info->ReleaseTypeAttr(attr);
    wchar_t name[] = L"Anything";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
}
