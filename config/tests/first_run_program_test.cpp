// The first-run wizard in the real program: started on a folder with
// ShowWelcome set, the program shows the wizard over its explorer; Finish
// with the defaults leaves the associations, the shortcuts read back from
// their files, the tray icon and the stored options, and the wizard does not
// come again; Cancel keeps it for the next start.
#include <gtest/gtest.h>
#include <windows.h>

#include <prsht.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/support/child_process.h"
#include "tests/support/dialog_script.h"

namespace {

const char kExe[] = VXP_APP_EXE;
const char kOptionsKey[] = "Software\\Velmorantix\\Velmorantix XP";
const char kWizardTitle[] = "Velmorantix XP configuration";

using test_support::Kill;
using test_support::Process;
using test_support::WaitExit;
using test_support::WaitFor;

void SetDword(const char* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kOptionsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    RegCloseKey(key);
}

DWORD GetDword(const char* name) {
    DWORD value = 0xDEADBEEF, size = 4, type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kOptionsKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
    }
    return value;
}

std::string ClassesDefault(const std::string& key) {
    char value[MAX_PATH] = "";
    LONG size = sizeof(value);
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS)
        return "<none>";
    return value;
}

std::string LinkPath(int csidl, const char* file) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    PathAppendA(path, file);
    return path;
}

// The link's target and arguments, read through the shell link object.
bool ReadLink(const std::string& path, std::string* target, std::string* arguments) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    bool ok = false;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            char text[MAX_PATH] = "";
            link->GetPath(text, MAX_PATH, nullptr, 0);
            *target = text;
            text[0] = '\0';
            link->GetArguments(text, MAX_PATH);
            *arguments = text;
            ok = true;
        }
        file->Release();
    }
    link->Release();
    return ok;
}

HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// A click on one of the wizard's buttons, posted as the user's own would be:
// a message sent from here is handled inside the wizard's wait for its next
// message, which only then sees that it has ended.
void Click(HWND wizard, int id) {
    PostMessageA(wizard, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(wizard, id)));
}

constexpr int kNextButton = 0x3024;
constexpr int kFinishButton = 0x3025;

// The wizard once its first page is up and its Next button set.
HWND Wizard() {
    HWND wizard = nullptr;
    WaitFor([&] {
        wizard = FindWindowA("#32770", kWizardTitle);
        return wizard != nullptr && IsWindowVisible(wizard) && CurrentPage(wizard) != nullptr &&
               IsWindowEnabled(GetDlgItem(wizard, kNextButton));
    });
    return wizard;
}

// The pixels of an icon, drawn at its own size into a 32-bit bitmap.
std::vector<uint32_t> IconPixels(HICON icon) {
    std::vector<uint32_t> pixels;
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info))
        return pixels;
    BITMAP bitmap{};
    GetObjectA(info.hbmMask, sizeof(bitmap), &bitmap);
    const int width = bitmap.bmWidth;
    const int height = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    pixels.assign(size_t(width) * size_t(height) * 2, 0);
    HDC dc = GetDC(nullptr);
    if (info.hbmColor)
        GetDIBits(dc, info.hbmColor, 0, UINT(height), pixels.data(), &format, DIB_RGB_COLORS);
    GetDIBits(dc, info.hbmMask, 0, UINT(height), pixels.data() + size_t(width) * size_t(height),
              &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

TEST(AssociationIcons, EachDefaultIconIndexNamesItsTypesIconInTheProgramFile) {
    // DefaultIcon "<program>,<n>" counts the program file's icons in resource
    // order, so index n must be the n-th icon: the type's own.
    const struct {
        const char* type;
        int index;
        int icon;
    } rows[] = {
        {"JPEG", 1, IDI_TYPE_JPEG},  {"BMP", 2, IDI_TYPE_BMP},    {"GIF", 3, IDI_TYPE_GIF},
        {"EMF", 4, IDI_TYPE_EMF},    {"ICO", 5, IDI_TYPE_ICO},    {"PCD", 6, IDI_TYPE_PCD},
        {"PNG", 7, IDI_TYPE_PNG},    {"PSD", 8, IDI_TYPE_PSD},    {"PSP", 9, IDI_TYPE_PSP},
        {"TIFF", 10, IDI_TYPE_TIFF}, {"WMF", 11, IDI_TYPE_WMF},   {"TGA", 12, IDI_TYPE_TGA},
        {"PCX", 13, IDI_TYPE_PCX},   {"WBMP", 14, IDI_TYPE_WBMP}, {"RAS", 15, IDI_TYPE_RAS},
    };
    HMODULE program = LoadLibraryExA(kExe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    const int size = GetSystemMetrics(SM_CXICON);
    std::vector<std::vector<uint32_t>> seen; // the types' icons differ, so a shift shows
    for (const auto& r : rows) {
        HICON extracted = nullptr;
        ASSERT_EQ(ExtractIconExA(kExe, r.index, &extracted, nullptr, 1), 1u) << r.type;
        HICON own = static_cast<HICON>(
            LoadImageA(program, MAKEINTRESOURCEA(r.icon), IMAGE_ICON, size, size, 0));
        ASSERT_NE(own, nullptr) << r.type;
        const std::vector<uint32_t> a = IconPixels(extracted), b = IconPixels(own);
        EXPECT_FALSE(a.empty()) << r.type;
        EXPECT_TRUE(a == b) << r.type << " is not icon " << r.index;
        for (const std::vector<uint32_t>& other : seen)
            EXPECT_FALSE(a == other) << r.type << " looks like another type's icon";
        seen.push_back(a);
        DestroyIcon(extracted);
        DestroyIcon(own);
    }
    FreeLibrary(program);
}

class FirstRunProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        StopRunningCopy();
        SHDeleteKeyA(HKEY_CURRENT_USER, kOptionsKey);
        SetDword("TrayIcon", 0);
        SetDword("ShowWelcome", 1);
        // What an earlier case made.
        SHDeleteKeyA(HKEY_CLASSES_ROOT, ".jpg");
        SHDeleteKeyA(HKEY_CLASSES_ROOT, ".png");
        DeleteFileA(LinkPath(CSIDL_DESKTOP, "Velmorantix XP.lnk").c_str());
        char folder[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, folder);
        PathRemoveBackslashA(folder); // a backslash before the closing quote escapes it
        folder_ = folder;
    }
    void TearDown() override {
        StopRunningCopy();
        Kill(program_);
        CoUninitialize();
    }
    static void StopRunningCopy() {
        Process p = test_support::Start(kExe, "/Shutdown");
        WaitExit(p, 15000);
        Kill(p);
    }
    std::string folder_;
    Process program_;
};

TEST_F(FirstRunProgram, FinishWithTheDefaultsIntegratesTheProgramAndTheWizardDoesNotComeBack) {
    // PNG files opened with another program before.
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, ".png", REG_SZ, "OtherApp.png", 12), ERROR_SUCCESS);
    program_ = test_support::Start(kExe, "\"" + folder_ + "\"");
    HWND wizard = Wizard();
    ASSERT_NE(wizard, nullptr) << "no wizard over the explorer";
    for (int step = 0; step < 3; ++step) {
        const HWND before = CurrentPage(wizard);
        Click(wizard, kNextButton);
        ASSERT_TRUE(WaitFor([&] { return CurrentPage(wizard) != before; })) << step;
        if (step == 0)
            testsupport::MaybeScreenshot(wizard, "program_wizard_formats");
    }
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(wizard, kFinishButton)); }));
    Click(wizard, kFinishButton);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(wizard); }));
    ASSERT_TRUE(WaitFor([] { return GetDword("ShowWelcome") == 0; }));
    EXPECT_EQ(GetDword("TrayIcon"), 1u);

    for (const char* extension : {".bmp", ".jpg", ".jpeg", ".png", ".tif", ".wbmp", ".wmf"})
        EXPECT_EQ(ClassesDefault(extension), std::string("Velmorantix.VelmorantixXP") + extension);
    const std::string command =
        ClassesDefault("Velmorantix.VelmorantixXP.png\\shell\\open\\command");
    EXPECT_NE(command.find("VelmorantixXP.exe\" \"%1\""), std::string::npos) << command;

    const struct {
        int csidl;
        const char* file;
        const char* arguments;
    } links[] = {
        {CSIDL_STARTUP, "Velmorantix XP.lnk", "/TrayIcon"},
        {CSIDL_DESKTOP, "Velmorantix XP.lnk", ""},
        {CSIDL_STARTMENU, "Velmorantix XP.lnk", ""},
        {CSIDL_APPDATA, "Microsoft\\Internet Explorer\\Quick Launch\\Launch Velmorantix XP.lnk",
         ""},
    };
    for (const auto& l : links) {
        std::string target, arguments;
        ASSERT_TRUE(ReadLink(LinkPath(l.csidl, l.file), &target, &arguments)) << l.file;
        EXPECT_NE(target.find("VelmorantixXP.exe"), std::string::npos) << target;
        EXPECT_EQ(arguments, l.arguments) << l.file;
    }

    // The next start goes straight to its folder.
    StopRunningCopy();
    EXPECT_GE(WaitExit(program_, 15000), 0);
    Kill(program_);
    program_ = test_support::Start(kExe, "\"" + folder_ + "\"");
    ASSERT_TRUE(WaitFor([] { return FindWindowA("MainFrame", nullptr) != nullptr; }));
    EXPECT_EQ(FindWindowA("#32770", kWizardTitle), nullptr);

    // Uninstalling gives every type back to what opened it before and takes
    // the shortcuts away.
    StopRunningCopy();
    EXPECT_GE(WaitExit(program_, 15000), 0);
    Process uninstall = test_support::Start(kExe, "/Uninstall");
    EXPECT_EQ(WaitExit(uninstall, 15000), 0);
    Kill(uninstall);
    EXPECT_EQ(ClassesDefault(".png"), "OtherApp.png");
    EXPECT_EQ(ClassesDefault(".png\\VelmorantixXPUndo"), "<none>");
    EXPECT_EQ(ClassesDefault(".jpg"), "<none>");
    for (const char* progId : {"Velmorantix.VelmorantixXP.png", "Velmorantix.VelmorantixXP.jpg"})
        EXPECT_EQ(ClassesDefault(progId), "<none>") << progId;
    for (const auto& l : links)
        EXPECT_FALSE(PathFileExistsA(LinkPath(l.csidl, l.file).c_str())) << l.file;
}

TEST_F(FirstRunProgram, CancelKeepsTheWizardForTheNextStart) {
    program_ = test_support::Start(kExe, "\"" + folder_ + "\"");
    HWND wizard = Wizard();
    ASSERT_NE(wizard, nullptr);
    Click(wizard, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(wizard); }));
    StopRunningCopy();
    WaitExit(program_, 15000);
    EXPECT_EQ(GetDword("ShowWelcome"), 1u);
    EXPECT_EQ(ClassesDefault(".jpg"), "<none>");
    EXPECT_FALSE(PathFileExistsA(LinkPath(CSIDL_DESKTOP, "Velmorantix XP.lnk").c_str()));
}

} // namespace
