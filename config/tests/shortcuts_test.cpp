// The four shortcuts: made in their shell folders, read back through the
// shell link object, deleted, and untouched when the folder query fails.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "config/shortcuts.h"

namespace {

struct Row {
    const char* what;
    BOOL (*exists)();
    HRESULT (*create)();
    void (*remove)();
    int csidl;
    const char* file;
    const char* arguments;
    const char* description;
};

const Row kRows[] = {
    {"start-up", StartupShortcutExists, CreateStartupShortcut, DeleteStartupShortcut, CSIDL_STARTUP,
     "Velmorantix XP.lnk", "/TrayIcon", "Velmorantix XP Tray Icon"},
    {"desktop", DesktopShortcutExists, CreateDesktopShortcut, DeleteDesktopShortcut, CSIDL_DESKTOP,
     "Velmorantix XP.lnk", "", "Velmorantix XP Image Management Software"},
    {"start menu", StartMenuShortcutExists, CreateStartMenuShortcut, DeleteStartMenuShortcut,
     CSIDL_STARTMENU, "Velmorantix XP.lnk", "", "Velmorantix XP Image Management Software"},
    {"quick launch", QuickLaunchShortcutExists, CreateQuickLaunchShortcut,
     DeleteQuickLaunchShortcut, CSIDL_APPDATA,
     "Microsoft\\Internet Explorer\\Quick Launch\\Launch Velmorantix XP.lnk", "", ""},
};

std::string PathOf(const Row& r) {
    char path[MAX_PATH];
    SHGetFolderPathA(nullptr, r.csidl, nullptr, 0, path);
    PathAppendA(path, r.file);
    return path;
}

HRESULT WINAPI FailingFolderQuery(HWND, int, HANDLE, DWORD, LPSTR) {
    return E_FAIL;
}

} // namespace

TEST(Shortcuts, EachIsMadeReadBackAndDeletedAndNothingHappensWithoutItsFolder) {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    ASSERT_TRUE(LoadShFolder());
    g_applicationState.SetProgramPathFromModule();
    for (const Row& r : kRows) {
        r.remove();
        EXPECT_FALSE(r.exists()) << r.what;
        ASSERT_EQ(r.create(), S_OK) << r.what; // quick launch: its folder is made first
        EXPECT_TRUE(r.exists()) << r.what;

        IShellLinkA* link = nullptr;
        ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)),
                  S_OK);
        IPersistFile* file = nullptr;
        ASSERT_EQ(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
        const std::string path = PathOf(r);
        std::wstring wide(path.begin(), path.end());
        ASSERT_EQ(file->Load(wide.c_str(), STGM_READ), S_OK) << r.what;
        char text[MAX_PATH] = {};
        link->GetPath(text, MAX_PATH, nullptr, 0);
        EXPECT_STRCASEEQ(text, g_applicationState.ProgramPath()) << r.what;
        text[0] = '\0';
        link->GetArguments(text, MAX_PATH);
        EXPECT_STREQ(text, r.arguments) << r.what;
        text[0] = '\0';
        link->GetDescription(text, MAX_PATH);
        EXPECT_STREQ(text, r.description) << r.what;
        file->Release();
        link->Release();
    }

    // Without its folder none is found, made or deleted.
    const PFN_SHGetFolderPathA real = g_pfnSHGetFolderPath;
    g_pfnSHGetFolderPath = FailingFolderQuery;
    for (const Row& r : kRows) {
        EXPECT_FALSE(r.exists()) << r.what;
        EXPECT_EQ(r.create(), E_FAIL) << r.what;
        r.remove();
        EXPECT_TRUE(PathFileExistsA(PathOf(r).c_str())) << r.what;
    }
    g_pfnSHGetFolderPath = real;

    for (const Row& r : kRows) {
        r.remove();
        EXPECT_FALSE(r.exists()) << r.what;
    }
    CoUninitialize();
}
