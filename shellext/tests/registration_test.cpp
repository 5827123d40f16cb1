// Registering and unregistering the shell extension with the system's own
// regsvr32: every key and value appears with its exact data, and
// unregistering takes away what was added and nothing that others own.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <vector>

#include <string>

#include "registry_probe.h"
#include "tests/support/child_process.h"

namespace {

const std::string kDll = probe::Backslashed(VXP_DOVREXA_DLL);
const std::string kClsid = "{EB54AA93-27B6-452E-8EE7-ABDCB4229837}";
const std::string kAppId = "{7B3C0CE6-E5B7-4657-A1A4-03099834C66C}";
const std::string kLibId = "{97ED3760-958B-46E2-ACA5-0FB86E5F95BB}";
const std::string kIid = "{099AB0AB-FD20-4981-AB57-19A0D218E33D}";
const std::string kApproved =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
#ifdef _WIN64
const char kTypeLibPlatform[] = "win64";
#else
const char kTypeLibPlatform[] = "win32";
#endif

long Regsvr32(const std::string& switches) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string exe = std::string(system) + "\\regsvr32.exe";
    test_support::Process p = test_support::Start(exe.c_str(), switches + " \"" + kDll + "\"");
    const long code = test_support::WaitExit(p, 60000);
    test_support::Kill(p);
    return code;
}

// The path the module was registered under, as the loader reports it.
std::string LoadedModulePath() {
    HMODULE module = LoadLibraryA(kDll.c_str());
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    FreeLibrary(module);
    return path;
}

struct Expected {
    HKEY root;
    std::string key;
    const char* name; // null: the default value
    std::string data;
};

std::vector<Expected> RegisteredValues() {
    const std::string cls = "CLSID\\" + kClsid;
    return {
        {HKEY_CLASSES_ROOT, "AppID\\" + kAppId, nullptr, "Dovrexa"},
        {HKEY_CLASSES_ROOT, "AppID\\Dovrexa.DLL", "AppID", kAppId},
        {HKEY_CLASSES_ROOT, "Dovrexa.DovrexaShEx.1", nullptr, "DovrexaShEx Class"},
        {HKEY_CLASSES_ROOT, "Dovrexa.DovrexaShEx.1\\CLSID", nullptr, kClsid},
        {HKEY_CLASSES_ROOT, "Dovrexa.DovrexaShEx", nullptr, "DovrexaShEx Class"},
        {HKEY_CLASSES_ROOT, "Dovrexa.DovrexaShEx\\CLSID", nullptr, kClsid},
        {HKEY_CLASSES_ROOT, "Dovrexa.DovrexaShEx\\CurVer", nullptr, "Dovrexa.DovrexaShEx.1"},
        {HKEY_CLASSES_ROOT, cls, nullptr, "DovrexaShEx Class"},
        {HKEY_CLASSES_ROOT, cls, "AppID", kAppId},
        {HKEY_CLASSES_ROOT, cls + "\\ProgID", nullptr, "Dovrexa.DovrexaShEx.1"},
        {HKEY_CLASSES_ROOT, cls + "\\VersionIndependentProgID", nullptr, "Dovrexa.DovrexaShEx"},
        {HKEY_CLASSES_ROOT, cls + "\\InprocServer32", nullptr, LoadedModulePath()},
        {HKEY_CLASSES_ROOT, cls + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {HKEY_CLASSES_ROOT, cls + "\\TypeLib", nullptr, kLibId},
        {HKEY_CLASSES_ROOT, "*\\ShellEx\\ContextMenuHandlers\\VelmorantixXPShlExt", nullptr,
         kClsid},
        {HKEY_CLASSES_ROOT, "Folder\\ShellEx\\ContextMenuHandlers\\VelmorantixXPShlExt", nullptr,
         kClsid},
        {HKEY_LOCAL_MACHINE, kApproved, kClsid.c_str(), "Velmorantix XP"},
        {HKEY_CLASSES_ROOT, "TypeLib\\" + kLibId + "\\1.0\\0\\" + kTypeLibPlatform, nullptr,
         LoadedModulePath()},
        // The dual interface is marshaled by the universal marshaler.
        {HKEY_CLASSES_ROOT, "Interface\\" + kIid + "\\ProxyStubClsid32", nullptr,
         "{00020424-0000-0000-C000-000000000046}"},
        {HKEY_CLASSES_ROOT, "Interface\\" + kIid + "\\TypeLib", nullptr, kLibId},
    };
}

// Keys that are ours alone and go on unregistration.
const char* const kOwnedKeys[] = {
    "AppID\\{7B3C0CE6-E5B7-4657-A1A4-03099834C66C}",
    "AppID\\Dovrexa.DLL",
    "Dovrexa.DovrexaShEx.1",
    "Dovrexa.DovrexaShEx",
    "CLSID\\{EB54AA93-27B6-452E-8EE7-ABDCB4229837}",
    "*\\ShellEx\\ContextMenuHandlers\\VelmorantixXPShlExt",
    "Folder\\ShellEx\\ContextMenuHandlers\\VelmorantixXPShlExt",
    "TypeLib\\{97ED3760-958B-46E2-ACA5-0FB86E5F95BB}",
    "Interface\\{099AB0AB-FD20-4981-AB57-19A0D218E33D}",
};

// Keys shared with other servers and handlers, which must stay.
const char* const kSharedKeys[] = {
    "AppID",
    "CLSID",
    "*\\ShellEx\\ContextMenuHandlers",
    "Folder\\ShellEx\\ContextMenuHandlers",
    "*\\ShellEx\\ContextMenuHandlers\\OtherHandler",
};

} // namespace

TEST(Registration, RegisteringWritesEveryKeyThenUnregisteringRemovesOnlyOurs) {
    // Another program's handler next to ours, and a stale key inside our class
    // key that a new registration must not keep.
    ASSERT_TRUE(probe::SetString(HKEY_CLASSES_ROOT, "*\\ShellEx\\ContextMenuHandlers\\OtherHandler",
                                 nullptr, "{11111111-2222-3333-4444-555555555555}"));
    ASSERT_TRUE(probe::SetString(HKEY_CLASSES_ROOT, "CLSID\\" + kClsid + "\\LocalServer32", nullptr,
                                 "C:\\old\\server.exe"));

    ASSERT_EQ(Regsvr32("/s"), 0);
    for (const Expected& e : RegisteredValues())
        EXPECT_EQ(probe::String(e.root, e.key, e.name), e.data)
            << e.key << " " << (e.name ? e.name : "(default)");
    const std::string cls = "CLSID\\" + kClsid;
    EXPECT_EQ(probe::Subkeys(HKEY_CLASSES_ROOT, cls),
              (std::set<std::string>{"InprocServer32", "ProgID", "Programmable", "TypeLib",
                                     "VersionIndependentProgID"}));
    EXPECT_EQ(probe::Values(HKEY_CLASSES_ROOT, cls), (std::set<std::string>{"", "AppID"}));
    EXPECT_TRUE(probe::Subkeys(HKEY_CLASSES_ROOT, cls + "\\Programmable").empty());
    EXPECT_TRUE(probe::Values(HKEY_CLASSES_ROOT, cls + "\\Programmable").empty());

    // Registering again changes nothing.
    ASSERT_EQ(Regsvr32("/s"), 0);
    for (const Expected& e : RegisteredValues())
        EXPECT_EQ(probe::String(e.root, e.key, e.name), e.data) << e.key;

    ASSERT_EQ(Regsvr32("/s /u"), 0);
    for (const char* key : kOwnedKeys)
        EXPECT_FALSE(probe::KeyExists(HKEY_CLASSES_ROOT, key)) << key;
    for (const char* key : kSharedKeys)
        EXPECT_TRUE(probe::KeyExists(HKEY_CLASSES_ROOT, key)) << key;
    EXPECT_TRUE(probe::KeyExists(HKEY_LOCAL_MACHINE, kApproved));
    EXPECT_EQ(probe::String(HKEY_LOCAL_MACHINE, kApproved, kClsid.c_str()), "<missing>");
    EXPECT_EQ(probe::String(HKEY_CLASSES_ROOT, "*\\ShellEx\\ContextMenuHandlers\\OtherHandler"),
              "{11111111-2222-3333-4444-555555555555}");

    // Unregistering what is not registered is no failure.
    EXPECT_EQ(Regsvr32("/s /u"), 0);
}

TEST(Registration, TheTypeLibraryDescribesTheCoclassAndItsDualInterface) {
    std::wstring path(kDll.begin(), kDll.end());
    ITypeLib* lib = nullptr;
    ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib), S_OK);
    BSTR name = nullptr, doc = nullptr;
    ASSERT_EQ(lib->GetDocumentation(-1, &name, &doc, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"DovrexaLib");
    EXPECT_STREQ(doc, L"Dovrexa 1.0 Type Library");
    SysFreeString(name);
    SysFreeString(doc);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    lib->ReleaseTLibAttr(attr);

    struct Case {
        const char* guid;
        TYPEKIND kind;
        const wchar_t* name;
        const wchar_t* help;
    } cases[] = {
        {"{EB54AA93-27B6-452E-8EE7-ABDCB4229837}", TKIND_COCLASS, L"DovrexaShEx",
         L"DovrexaShEx Class"},
        {"{099AB0AB-FD20-4981-AB57-19A0D218E33D}", TKIND_DISPATCH, L"IDovrexaShEx",
         L"IDovrexaShEx Interface"},
    };
    for (const Case& c : cases) {
        GUID guid;
        std::wstring text(c.guid, c.guid + strlen(c.guid));
        ASSERT_EQ(CLSIDFromString(text.c_str(), &guid), S_OK);
        ITypeInfo* info = nullptr;
        ASSERT_EQ(lib->GetTypeInfoOfGuid(guid, &info), S_OK) << c.guid;
        TYPEATTR* ta = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&ta), S_OK);
        EXPECT_EQ(ta->typekind, c.kind) << c.guid;
        if (c.kind == TKIND_DISPATCH) {
            EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FDUAL);
        }
        info->ReleaseTypeAttr(ta);
        ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, &doc, nullptr, nullptr), S_OK);
        EXPECT_STREQ(name, c.name);
        EXPECT_STREQ(doc, c.help);
        SysFreeString(name);
        SysFreeString(doc);
        info->Release();
    }
    lib->Release();
}
