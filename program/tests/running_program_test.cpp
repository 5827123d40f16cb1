// Black-box tests of the running program: each starts VelmorantixXP.exe as a
// separate process, finds its windows, sends them messages and checks exit
// codes, files and registry values. The tests run in a Wine prefix of their
// own (see app/CMakeLists.txt) and reset the program's key and data folder
// before each case.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/program_driver.h"
#include "resources/resource.h"

namespace {

using namespace program_driver;

const char kExe[] = VXP_APP_EXE;
const char kStiKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\StillImage\\Registered "
                       "Applications";

std::string DataFolder() {
    char path[MAX_PATH];
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path);
    return std::string(path) + "\\Velmorantix\\Velmorantix XP";
}

class RunningProgram : public ProgramCase {
protected:
    RunningProgram() : ProgramCase(kExe) {}
    void SetUp() override {
        StopRunningCopy();
        SHDeleteKeyA(HKEY_CURRENT_USER, kOptionsKey);
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kOptionsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        DWORD off = 0;
        RegSetValueExA(key, "TrayIcon", 0, REG_DWORD, reinterpret_cast<BYTE*>(&off), 4);
        RegCloseKey(key);
        folder_ = DataFolder();
        for (const char* f : {"VelmorantixXP.tdb", "Thumbnail.tdb", "Thumbnail.lock"})
            DeleteFileA((folder_ + "\\" + f).c_str());
    }
    // Starts the first copy and waits until its explorer shows.
    Process& LaunchRunningCopy(const std::string& args = "") {
        Process& p = Launch(args);
        EXPECT_TRUE(WaitFor([] { return !TopLevel("HiddenWnd").empty(); }));
        return p;
    }

    std::string folder_;
};

TEST_F(RunningProgram, FirstStartOpensHiddenWindowExplorerAndDatabases) {
    Process& a = LaunchRunningCopy();
    ASSERT_TRUE(WaitFor([] { return VisibleMainFrame() != nullptr; }));

    std::vector<HWND> hidden = TopLevel("HiddenWnd");
    ASSERT_EQ(hidden.size(), 1u);
    char title[64] = {};
    GetWindowTextA(hidden[0], title, sizeof(title));
    EXPECT_STREQ(title, "Hidden");
    EXPECT_TRUE(GetWindowLongPtrA(hidden[0], GWL_STYLE) & WS_DISABLED);
    EXPECT_FALSE(IsWindowVisible(hidden[0]));
    GetWindowTextA(VisibleMainFrame(), title, sizeof(title));
    // The product name, then the folder the tree selected.
    EXPECT_EQ(std::string(title).rfind("Velmorantix XP", 0), 0u) << title;
    EXPECT_TRUE(Exists(folder_ + "\\VelmorantixXP.tdb"));
    EXPECT_TRUE(Exists(folder_ + "\\Thumbnail.tdb"));

    // The switch in any letter case ends the running copy with code 0.
    Process& stop = Launch("/sHuTdOwN");
    EXPECT_EQ(WaitExit(stop, 10000), 0);
    EXPECT_EQ(WaitExit(a, 10000), 0);
    // With nothing running it ends at once.
    Process& again = Launch("/SHUTDOWN");
    EXPECT_EQ(WaitExit(again, 5000), 0);
}

TEST_F(RunningProgram, SecondStartHandsOverAndEnds) {
    Process& a = LaunchRunningCopy();
    ASSERT_TRUE(WaitFor([] { return VisibleMainFrame() != nullptr; }));
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);

    for (std::string args : {std::string("\"") + windows + "\"", std::string()}) {
        SCOPED_TRACE(args);
        const auto start = std::chrono::steady_clock::now();
        Process& b = Launch(args);
        EXPECT_EQ(WaitExit(b, 5000), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(TopLevel("HiddenWnd").size(), 1u);
        EXPECT_EQ(TopLevel("MainFrame").size(), 1u);
        EXPECT_EQ(GetForegroundWindow(), VisibleMainFrame());
    }
    EXPECT_EQ(WaitExit(a, 0), -1); // still the running copy
}

TEST_F(RunningProgram, SimultaneousStartsLeaveOneRunningCopy) {
    std::vector<Process*> batch;
    for (int i = 0; i < 10; ++i)
        batch.push_back(&Launch(""));
    int exitedZero = 0, running = 0;
    for (Process* p : batch) {
        const long code = WaitExit(*p, 20000);
        if (code == 0)
            ++exitedZero;
        else if (code == -1)
            ++running;
        else
            ADD_FAILURE() << "exit code " << code;
    }
    EXPECT_EQ(running, 1);
    EXPECT_EQ(exitedZero, 9);
    EXPECT_EQ(TopLevel("HiddenWnd").size(), 1u);
}

TEST_F(RunningProgram, HiddenWindowAnswersTrayAndHandOverMessages) {
    Process& a = LaunchRunningCopy("/TrayIcon C:\\");
    HWND hidden = TopLevel("HiddenWnd").at(0);
    const UINT trayNotify = RegisterWindowMessageA("TrayIconNotify");
    const UINT foreground = RegisterWindowMessageA("VelmorantixXPGetForegroundHandle");
    // "/TrayIcon" opens no window, and the further argument is ignored.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(TopLevel("MainFrame").size(), 0u);

    // Hand-over texts from another process are bounded: unterminated data or a
    // text of 260 characters or more is ignored.
    std::string unterminated(300, 'x');
    COPYDATASTRUCT bad{0, DWORD(unterminated.size()), &unterminated[0]};
    EXPECT_EQ(SendMessageA(hidden, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&bad)), 1);
    std::string tooLong(270, 'y');
    COPYDATASTRUCT longText{0, DWORD(tooLong.size() + 1), &tooLong[0]};
    EXPECT_EQ(SendMessageA(hidden, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&longText)), 1);
    EXPECT_EQ(TopLevel("MainFrame").size(), 0u);

    // A left click on the tray icon opens the explorer.
    SendMessageA(hidden, trayNotify, 0, WM_LBUTTONDOWN);
    HWND frame = VisibleMainFrame();
    ASSERT_NE(frame, nullptr);
    // Closing it hides nothing away: with no viewer it is destroyed, and the
    // tray icon keeps the process.
    SendMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(TopLevel("MainFrame").size(), 0u);
    EXPECT_EQ(WaitExit(a, 500), -1);

    // A hand-over with no data shows the explorer and answers it as foreground.
    COPYDATASTRUCT none{0, 0, nullptr};
    EXPECT_EQ(SendMessageA(hidden, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&none)), 1);
    frame = VisibleMainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(hidden, foreground, 0, 0)), frame);

    // Exit from the tray menu with the explorer visible: the icon goes, the
    // process stays until the explorer closes.
    SendMessageA(hidden, WM_COMMAND, 8, 0);
    EXPECT_EQ(WaitExit(a, 500), -1);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitExit(a, 10000), 0);
}

TEST_F(RunningProgram, QuitRequestsEndTheRunningCopy) {
    {
        Process& a = LaunchRunningCopy("/TrayIcon");
        HWND hidden = TopLevel("HiddenWnd").at(0);
        PostMessageA(hidden, WM_COMMAND, 8, 0); // tray Exit with no window open
        EXPECT_EQ(WaitExit(a, 10000), 0);
    }
    {
        Process& a = LaunchRunningCopy();
        ASSERT_TRUE(WaitFor([] { return VisibleMainFrame() != nullptr; }));
        HWND hidden = TopLevel("HiddenWnd").at(0);
        COPYDATASTRUCT quit{100, 0, nullptr};
        EXPECT_EQ(SendMessageA(hidden, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&quit)), 1);
        EXPECT_EQ(WaitExit(a, 10000), 0);
    }
}

TEST_F(RunningProgram, InstallAndUninstallRoundTrip) {
    // A first run creates both databases.
    LaunchRunningCopy();
    StopRunningCopy();
    ASSERT_TRUE(Exists(folder_ + "\\Thumbnail.tdb"));

    Process& install = Launch("/iNsTaLl");
    EXPECT_EQ(WaitExit(install, 15000), 0);
    char data[1024] = {};
    DWORD size = sizeof(data);
    ASSERT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, kStiKey, "Velmorantix XP", RRF_RT_REG_SZ, nullptr,
                           data, &size),
              ERROR_SUCCESS);
    std::string command = data;
    EXPECT_NE(command.find("VelmorantixXP.exe"), std::string::npos) << command;
    EXPECT_NE(command.find(" /Acquire"), std::string::npos) << command;

    struct Shortcut {
        int csidl;
        const char* sub;
        const char* name;
    };
    const Shortcut shortcuts[] = {
        {CSIDL_DESKTOPDIRECTORY, "", "Velmorantix XP.lnk"},
        {CSIDL_STARTUP, "", "Velmorantix XP.lnk"},
        {CSIDL_STARTMENU, "", "Velmorantix XP.lnk"},
        {CSIDL_APPDATA, "\\Microsoft\\Internet Explorer\\Quick Launch",
         "Launch Velmorantix XP.lnk"},
    };
    std::vector<std::string> links;
    for (const Shortcut& s : shortcuts) {
        char path[MAX_PATH];
        ASSERT_EQ(SHGetFolderPathA(nullptr, s.csidl | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK);
        std::string dir = std::string(path) + s.sub;
        SHCreateDirectoryExA(nullptr, dir.c_str(), nullptr);
        links.push_back(dir + "\\" + s.name);
        WriteAll(links.back(), "link");
        ASSERT_TRUE(Exists(links.back()));
    }

    Process& uninstall = Launch("/Uninstall");
    EXPECT_EQ(WaitExit(uninstall, 15000), 0);
    size = sizeof(data);
    EXPECT_NE(RegGetValueA(HKEY_LOCAL_MACHINE, kStiKey, "Velmorantix XP", RRF_RT_REG_SZ, nullptr,
                           data, &size),
              ERROR_SUCCESS);
    EXPECT_FALSE(Exists(folder_ + "\\Thumbnail.tdb"));
    EXPECT_TRUE(Exists(folder_ + "\\VelmorantixXP.tdb"));
    for (const std::string& link : links)
        EXPECT_FALSE(Exists(link)) << link;
}

TEST_F(RunningProgram, DeleteThumbnailDatabaseAsksAndReports) {
    std::string text;
    {
        Process& p = Launch("/DeleteThumbnailDB");
        HWND box = FindMessageBox("Velmorantix XP", &text);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(text, "Thumbnail database does not exists.");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(WaitExit(p, 10000), 0);
    }
    const std::string thumbs = folder_ + "\\Thumbnail.tdb";
    WriteAll(thumbs, "x");
    Process& p = Launch("/deletethumbnaildb");
    HWND box = FindMessageBox("Velmorantix XP", &text);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text, "Are you sure you want to delete the thumbnail database at '" + thumbs +
                        "'?\n\nPlease make sure Velmorantix XP and the tray icon is not running "
                        "before clicking 'Yes'.");
    PostMessageA(box, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    box = FindMessageBox("Velmorantix XP", &text);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text, "Thumbnail database has been deleted.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitExit(p, 10000), 0);
    EXPECT_FALSE(Exists(thumbs));
}

// One stored value of the options key: its type and bytes; type 0 when absent.
struct Stored {
    DWORD type = 0;
    std::string bytes;
};
Stored ReadOption(const char* name) {
    Stored v;
    char data[1024];
    DWORD size = sizeof(data);
    if (RegGetValueA(HKEY_CURRENT_USER, kOptionsKey, name, RRF_RT_ANY | RRF_NOEXPAND, &v.type, data,
                     &size) == ERROR_SUCCESS)
        v.bytes.assign(data, size);
    else
        v.type = 0;
    return v;
}
Stored Number(DWORD n) {
    return Stored{REG_DWORD, std::string(reinterpret_cast<const char*>(&n), 4)};
}
Stored Text(const std::string& text) {
    return Stored{REG_SZ, std::string(text.c_str(), text.size() + 1)};
}
void Preset(const char* name, const Stored& value) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kOptionsKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, value.type, reinterpret_cast<const BYTE*>(value.bytes.data()),
                   DWORD(value.bytes.size()));
    RegCloseKey(key);
}
DWORD CountOptions() {
    DWORD count = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kOptionsKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                         nullptr, nullptr, nullptr);
        RegCloseKey(key);
    }
    return count;
}
std::string MyPictures() {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_MYPICTURES, nullptr, 0, path);
    return path;
}

TEST_F(RunningProgram, ShutDownSavesEveryOptionWithItsDefault) {
    Process& a = LaunchRunningCopy();
    ASSERT_TRUE(WaitFor([] { return VisibleMainFrame() != nullptr; }));
    StopRunningCopy();
    EXPECT_EQ(WaitExit(a, 10000), 0);

    // The unit tests of the options hold the whole table; here the real
    // program shows that it saved all of them with the shell's folders.
    EXPECT_EQ(CountOptions(), 71u);
    const std::pair<const char*, Stored> expected[] = {
        {"TrayIcon", Number(0)}, // as preset by SetUp
        {"SlideShowDelay", Number(0x1388)},
        {"ViewerBackgroundClr", Number(0xC09E7D)},
        {"ExplorerThumbnailWidth", Number(100)},
        {"SortBy", Number(1)},
        {"JPEGQuality", Number(75)},
        {"FolderPreviewFrameColor", Number(0xE1FFFF)},
        {"OutuptSettingFilenamePrefix", Text("PHOTO")},
        {"ExplorerHomeFolder", Text(MyPictures())},
        {"ExplorerMyCollectionsFolder", Text(MyPictures())},
        {"OutuptSettingFilenamePath", Text(MyPictures())},
    };
    for (const auto& e : expected) {
        const Stored v = ReadOption(e.first);
        EXPECT_EQ(v.type, e.second.type) << e.first;
        EXPECT_EQ(v.bytes, e.second.bytes) << e.first;
    }
    for (const char* loadOnly : {"Halftone", "ShowWelcome", "ExplorerPreload",
                                 "ExplorerCacheBehind", "ViewerPreload", "ViewerCacheBehind"})
        EXPECT_EQ(ReadOption(loadOnly).type, 0u) << loadOnly;
}

TEST_F(RunningProgram, PresetOptionsComeBackClamped) {
    const DWORD three = 3;
    const std::string binaryThree(reinterpret_cast<const char*>(&three), sizeof three);
    struct Case {
        const char* name;
        Stored preset;
        Stored saved;
    };
    const Case cases[] = {
        {"ExplorerThumbnailWidth", Number(500), Number(200)},
        {"ExplorerThumbnailHeight", Number(10), Number(50)},
        {"SlideShowDelay", Number(50), Number(100)},
        {"OutuptSettingEncoderType", Number(9), Number(7)},
        {"SortBy", Number(0), Number(1)},
        {"ViewerMouseWheel", Number(7), Number(2)},
        {"ViewerRepeat", Number(0xFFFFFFFFu), Number(0)},         // true only for exactly 1
        {"ViewerLeft", Number(0xFFFFFF9Cu), Number(0xFFFFFF9Cu)}, // signed: -100 stays
        // Values of the wrong type count as missing and come back as defaults.
        {"SortOrder", Text("2"), Number(1)},
        {"JPEGQuality", Stored{REG_BINARY, binaryThree}, Number(75)},
        {"OutuptSettingFilenamePrefix", Number(5), Text("PHOTO")},
        {"ExplorerHomeFolder", Text("C:\\no such folder"), Text(MyPictures())},
    };
    for (const Case& c : cases)
        Preset(c.name, c.preset);

    Process& a = LaunchRunningCopy();
    ASSERT_TRUE(WaitFor([] { return VisibleMainFrame() != nullptr; }));
    StopRunningCopy();
    EXPECT_EQ(WaitExit(a, 10000), 0);

    for (const Case& c : cases) {
        const Stored v = ReadOption(c.name);
        EXPECT_EQ(v.type, c.saved.type) << c.name;
        EXPECT_EQ(v.bytes, c.saved.bytes) << c.name;
    }
}

TEST_F(RunningProgram, DamagedMainDatabaseFailsAndIsKept) {
    std::string damaged;
    for (int i = 0; i < 4096; ++i)
        damaged.push_back(char((i * 7919 + 13) & 0xFF));
    const std::string mainDb = folder_ + "\\VelmorantixXP.tdb";
    SHCreateDirectoryExA(nullptr, folder_.c_str(), nullptr);
    WriteAll(mainDb, damaged);

    Process& p = Launch("");
    std::string text;
    HWND box = FindMessageBox("Failed!", &text);
    ASSERT_NE(box, nullptr);
    // The box's static text drops the trailing line break.
    EXPECT_EQ(text.rfind("Load database failed!  Database file " + mainDb + " maybe corrupted", 0),
              0u)
        << text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitExit(p, 10000), 1);
    EXPECT_TRUE(TopLevel("HiddenWnd").empty());
    EXPECT_EQ(ReadAll(mainDb), damaged);
}

// --- the explorer window ---------------------------------------------------------

// A folder of three small 24-bit bitmaps, the first one pure red.
std::string MakePictureFolder(const char* name) {
    const std::string folder = FreshTempFolder(name);
    const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 0, 255), RGB(0, 160, 0)};
    const char* names[] = {"a.bmp", "b.bmp", "c.bmp"};
    for (int i = 0; i < 3; ++i)
        WriteAll(folder + "\\" + names[i], BmpFile(64, 48, colours[i]));
    return folder;
}

BOOL CALLBACK FindToolbar(HWND hwnd, LPARAM lp) {
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpA(cls, TOOLBARCLASSNAMEA) == 0 && SendMessageA(hwnd, TB_BUTTONCOUNT, 0, 0) == 26) {
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
    }
    return TRUE;
}

TEST_F(RunningProgram, TheExplorerOpensOnAFolderWithItsBarsPanesAndFirstImageShown) {
    const std::string folder = MakePictureFolder("vxp-explorer-start");
    Launch(Quoted(folder));
    HWND frame = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (frame = VisibleMainFrame()) != nullptr; }));
    EXPECT_TRUE(WaitFor([&] { return WindowText(frame) == "Velmorantix XP - vxp-explorer-start"; }))
        << WindowText(frame);

    for (int id : {10001, 10002, 10003, 10004, 10005})
        EXPECT_NE(nullptr, FindInExplorer(frame, id)) << id;
    EXPECT_EQ("Contents", WindowText(FindInExplorer(frame, 10002)));
    char paneClass[64] = "";
    GetClassNameA(FindInExplorer(frame, 10004), paneClass, sizeof(paneClass));
    EXPECT_STREQ("CInfoPane", paneClass) << "the information pane is the Properties pane's client";

    HWND rebar = GetDlgItem(frame, 59392);
    ASSERT_NE(nullptr, rebar);
    EXPECT_EQ(3, SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
    for (int band = 0; band < 3; ++band)
        EXPECT_EQ(band, SendMessageA(rebar, RB_IDTOINDEX, 60160 + band, 0)) << 60160 + band;

    HWND toolbar = nullptr;
    EnumChildWindows(frame, FindToolbar, reinterpret_cast<LPARAM>(&toolbar));
    ASSERT_NE(nullptr, toolbar) << "a toolbar of 26 buttons";
    const int commands[26] = {32807, 57603, 57607, 0,     41406, 41407, 41408, 0,    32797,
                              32796, 311,   0,     32845, 0,     32777, 32776, 0,    32830,
                              0,     107,   32826, 32820, 277,   411,   0,     32834};
    for (int pos = 0; pos < 26; ++pos) {
        if (commands[pos]) {
            EXPECT_EQ(pos, SendMessageA(toolbar, TB_COMMANDTOINDEX, commands[pos], 0))
                << commands[pos];
        }
    }

    HWND list = FindInExplorer(frame, 10002);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 3; }));
    EXPECT_TRUE(WaitFor([&] {
        return SendMessageA(list, LVM_GETITEMSTATE, 0, LVIS_SELECTED | LVIS_FOCUSED) ==
               (LVIS_SELECTED | LVIS_FOCUSED);
    }));

    // The preview shows a.bmp: its middle is red on the screen.
    HWND preview = FindInExplorer(frame, 10003);
    ASSERT_NE(nullptr, preview);
    RECT r;
    GetWindowRect(preview, &r);
    const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    EXPECT_TRUE(WaitFor([&] {
        HDC screen = GetDC(nullptr);
        const COLORREF c = GetPixel(screen, middle.x, middle.y);
        ReleaseDC(nullptr, screen);
        return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60;
    })) << "the preview's middle at "
        << middle.x << "," << middle.y;

    // The idle pass sets the toolbar's states: Open Viewer and Delete
    // follow the selection.
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(toolbar, TB_ISBUTTONENABLED, 32807, 0) != 0; }));
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(toolbar, TB_ISBUTTONENABLED, 311, 0) != 0; }));

    // Enter on the focused item opens a viewer on it.
    PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitFor([] {
        for (HWND viewer : TopLevel("ImageFrame"))
            if (IsWindowVisible(viewer) && WindowText(viewer).find("a.bmp") != std::string::npos)
                return true;
        return false;
    })) << "a viewer on a.bmp";
    for (HWND viewer : TopLevel("ImageFrame"))
        PostMessageA(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([] { return TopLevel("ImageFrame").empty(); }));

    // List mode moves the list into the shown Contents pane; Thumbnail mode
    // brings it back under the preview.
    HWND contents = FindInExplorer(frame, 0, "Contents");
    ASSERT_NE(nullptr, contents);
    SendMessageA(frame, WM_COMMAND, 32833, 0);
    EXPECT_TRUE(IsWindowVisible(contents));
    EXPECT_TRUE(IsChild(contents, list));
    EXPECT_FALSE(IsWindowVisible(GetParent(preview)) && !IsWindowVisible(preview));
    SendMessageA(frame, WM_COMMAND, 32832, 0);
    EXPECT_FALSE(IsWindowVisible(contents));
    EXPECT_EQ(GetParent(preview), GetParent(list));
    EXPECT_TRUE(IsWindowVisible(list));

    // A typed folder without its backslash opens that folder.
    const std::string other = MakePictureFolder("vxp-explorer-other");
    HWND address = FindInExplorer(frame, 10005);
    ASSERT_NE(nullptr, address);
    HWND edit = reinterpret_cast<HWND>(SendMessageA(address, CBEM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(nullptr, edit);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(other.c_str()));
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitFor([&] { return WindowText(frame) == "Velmorantix XP - vxp-explorer-other"; }))
        << WindowText(frame);

    // A typed path that does not exist is refused with the message.
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("C:\\no such folder"));
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    std::string text;
    HWND box = FindMessageBox("Failed!", &text);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Path not found.", text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([] { return FindWindowA("#32770", "Failed!") == nullptr; }));
}

struct PaneRects {
    RECT frame, folders, properties;
    bool foldersShown, propertiesShown, contentsShown;
};

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " - " + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

PaneRects ReadPaneRects(HWND frame) {
    PaneRects p{};
    GetWindowRect(frame, &p.frame);
    HWND folders = FindInExplorer(frame, 0, "Folders");
    HWND properties = FindInExplorer(frame, 0, "Properties");
    HWND contents = FindInExplorer(frame, 0, "Contents");
    if (folders)
        GetWindowRect(folders, &p.folders);
    if (properties)
        GetWindowRect(properties, &p.properties);
    p.foldersShown = folders && IsWindowVisible(folders);
    p.propertiesShown = properties && IsWindowVisible(properties);
    p.contentsShown = contents && IsWindowVisible(contents);
    return p;
}

TEST_F(RunningProgram, TheExplorerLayoutIsSavedOnCloseAndComesBackTheSame) {
    const std::string folder = MakePictureFolder("vxp-explorer-layout");
    Process& first = Launch(Quoted(folder));
    HWND frame = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (frame = VisibleMainFrame()) != nullptr; }));
    ASSERT_TRUE(
        WaitFor([&] { return WindowText(frame) == "Velmorantix XP - vxp-explorer-layout"; }));
    const PaneRects before = ReadPaneRects(frame);
    EXPECT_TRUE(before.foldersShown);
    EXPECT_TRUE(before.propertiesShown) << "Properties is the shown page of its box";
    EXPECT_FALSE(before.contentsShown);
    RECT client;
    GetClientRect(frame, &client);
    MapWindowPoints(frame, nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_EQ(client.left, before.folders.left) << "Folders docks at the left";
    EXPECT_LE(before.folders.right - before.folders.left, 200);
    EXPECT_GE(before.folders.right - before.folders.left, 190);
    EXPECT_LT(before.folders.top, before.properties.top) << "Folders above the box";

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitExit(first, 15000), 0);

    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kOptionsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    struct Value {
        const char* name;
        DWORD type;
    } values[] = {
        {"ExplorerLeft", REG_DWORD},
        {"ExplorerShowViewMode", REG_DWORD},
        {"FilmstripPaneSplitterPos", REG_DWORD},
        {"FoldersPaneVisible", REG_DWORD},
        {"FoldersPaneWeight", REG_BINARY},
        {"PropertiesPaneWeight", REG_BINARY},
        {"MetadataPaneIndex", REG_DWORD},
        {"ContentsPaneFloatingBottom", REG_DWORD},
    };
    for (const Value& v : values) {
        DWORD type = 0, size = 0;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, v.name, nullptr, &type, nullptr, &size))
            << v.name;
        EXPECT_EQ(v.type, type) << v.name;
        EXPECT_EQ(4u, size) << v.name;
    }
    DWORD mode = 0, size = sizeof mode;
    RegQueryValueExA(key, "ExplorerShowViewMode", nullptr, nullptr, reinterpret_cast<BYTE*>(&mode),
                     &size);
    EXPECT_EQ(2u, mode);
    RegCloseKey(key);

    Launch(Quoted(folder));
    ASSERT_TRUE(WaitFor([&] { return (frame = VisibleMainFrame()) != nullptr; }));
    ASSERT_TRUE(
        WaitFor([&] { return WindowText(frame) == "Velmorantix XP - vxp-explorer-layout"; }));
    const PaneRects after = ReadPaneRects(frame);
    EXPECT_TRUE(EqualRect(&before.frame, &after.frame));
    EXPECT_TRUE(EqualRect(&before.folders, &after.folders))
        << Describe(before.folders) << " then " << Describe(after.folders);
    EXPECT_TRUE(EqualRect(&before.properties, &after.properties))
        << Describe(before.properties) << " then " << Describe(after.properties);
    EXPECT_EQ(before.contentsShown, after.contentsShown);
}

TEST_F(RunningProgram, TheExplorerReadsItsStoredValuesByTheirRules) {
    const std::string folder = MakePictureFolder("vxp-explorer-rules");
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, DWORD>> preset;
        DWORD mode;         // ExplorerShowViewMode saved at close
        bool wholeWorkArea; // the window covers the work area
        bool contentsShown; // the Contents pane
        bool foldersShown;
    } cases[] = {
        {"view mode 0 opens Filmstrip", {{"ExplorerShowViewMode", 0}}, 1, true, false, true},
        {"view mode 7 opens List with Contents",
         {{"ExplorerShowViewMode", 7}},
         3,
         true,
         true,
         true},
        {"a rectangle beyond the work area gives the work area",
         {{"ExplorerLeft", 10},
          {"ExplorerTop", 10},
          {"ExplorerRight", DWORD(work.right + 50)},
          {"ExplorerBottom", 400}},
         2,
         true,
         false,
         true},
        {"a rectangle inside is kept",
         {{"ExplorerLeft", 10},
          {"ExplorerTop", 20},
          {"ExplorerRight", 710},
          {"ExplorerBottom", 520}},
         2,
         false,
         false,
         true},
        {"maximized gives the work area",
         {{"ExplorerLeft", 10},
          {"ExplorerTop", 20},
          {"ExplorerRight", 710},
          {"ExplorerBottom", 520},
          {"ExplorerMaximized", 1}},
         2,
         true,
         false,
         true},
        {"a hidden Folders pane brings back the defaults",
         {{"FoldersPaneVisible", 0}, {"ContentsPaneVisible", 1}, {"ContentsPaneIsDocked", 0}},
         2,
         true,
         false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SHDeleteKeyA(HKEY_CURRENT_USER, kOptionsKey);
        SetDword("TrayIcon", 0);
        for (const auto& v : c.preset)
            SetDword(v.first, v.second);
        Process& p = Launch(Quoted(folder));
        HWND frame = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (frame = VisibleMainFrame()) != nullptr; }));
        ASSERT_TRUE(
            WaitFor([&] { return WindowText(frame) == "Velmorantix XP - vxp-explorer-rules"; }));
        RECT r;
        GetWindowRect(frame, &r);
        if (c.wholeWorkArea)
            EXPECT_TRUE(EqualRect(&r, &work)) << Describe(r);
        else
            EXPECT_EQ("10,20 - 710,520", Describe(r));
        const PaneRects panes = ReadPaneRects(frame);
        EXPECT_EQ(c.contentsShown, panes.contentsShown);
        EXPECT_EQ(c.foldersShown, panes.foldersShown);
        PostMessageA(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitExit(p, 15000), 0);
        EXPECT_EQ(c.mode, StoredNumber("ExplorerShowViewMode"));
    }
    // The Filmstrip pane is kept between H+50 and 2(H+50), H the default 100.
    for (const auto& clamp : {std::pair<DWORD, DWORD>{10, 150}, {1000, 300}, {222, 222}}) {
        SHDeleteKeyA(HKEY_CURRENT_USER, kOptionsKey);
        SetDword("TrayIcon", 0);
        SetDword("FilmstripPaneSplitterPos", clamp.first);
        Process& p = Launch(Quoted(folder));
        HWND frame = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (frame = VisibleMainFrame()) != nullptr; }));
        PostMessageA(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitExit(p, 15000), 0);
        EXPECT_EQ(clamp.second, StoredNumber("FilmstripPaneSplitterPos")) << clamp.first;
    }
}

// Sets the selection state of thumbnail `index` (-1: all) of the explorer's
// list, or reads an item's text. The list lives in the program's process, so
// the item record (and the text) are placed there.
void SetListedSelection(HWND list, int index, bool selected) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    ASSERT_NE(nullptr, process);
    void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(nullptr, remote);
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | (selected && index >= 0 ? LVIS_FOCUSED : 0);
    item.state = selected ? item.stateMask : 0;
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(remote));
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
}

std::string ListedText(HWND list, int index) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return "";
    struct Remote {
        LVITEMA item;
        char text[MAX_PATH];
    };
    auto* remote = static_cast<Remote*>(
        VirtualAllocEx(process, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
    Remote local{};
    local.item.pszText = remote->text;
    local.item.cchTextMax = MAX_PATH;
    WriteProcessMemory(process, remote, &local, sizeof local, nullptr);
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, &local, sizeof local, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    local.text[MAX_PATH - 1] = '\0';
    return local.text;
}

TEST_F(RunningProgram, RenameWithSeveralThumbnailsSelectedRenamesThemInSequence) {
    const std::string name = "vxp-rename-" + std::to_string(GetCurrentProcessId());
    const std::string folder = MakePictureFolder(name.c_str());
    Launch(Quoted(folder));
    HWND frame = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (frame = VisibleMainFrame()) != nullptr; }));
    EXPECT_TRUE(WaitFor([&] { return WindowText(frame) == "Velmorantix XP - " + name; }));
    HWND list = FindInExplorer(frame, 10002);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 3; }));
    SetListedSelection(list, -1, true);
    ASSERT_EQ(3, SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));

    PostMessageA(frame, WM_COMMAND, ID_FILE_RENAME, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        dialog = FindWindowA("#32770", "Batch Rename Files");
        return dialog != nullptr && IsWindowVisible(dialog);
    }));
    SetDlgItemTextA(dialog, IDC_BATCH_RENAME_PREFIX, "100% ");
    SetDlgItemTextA(dialog, IDC_BATCH_RENAME_PADDING, "2");
    char sample[128] = {};
    GetDlgItemTextA(dialog, IDC_BATCH_RENAME_SAMPLE, sample, sizeof sample);
    EXPECT_STREQ("100% 01.ext, 100% 02.ext, 100% 03.ext...", sample);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] {
        for (const char* renamed : {"100% 01.bmp", "100% 02.bmp", "100% 03.bmp"})
            if (!Exists(folder + "\\" + renamed))
                return false;
        return true;
    }));
    for (const char* old : {"a.bmp", "b.bmp", "c.bmp"})
        EXPECT_FALSE(Exists(folder + "\\" + old)) << old;
    EXPECT_EQ(3, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    DWORD stored = 0, size = sizeof stored;
    EXPECT_EQ(ERROR_SUCCESS,
              RegGetValueA(HKEY_CURRENT_USER, "Software\\Velmorantix\\Velmorantix XP",
                           "BatchRenamePaddingZero", RRF_RT_REG_DWORD, nullptr, &stored, &size));
    EXPECT_EQ(2u, stored);

    // With one thumbnail selected Rename edits its label; the typed name
    // keeps the file's own extension, and the label shows the real name.
    SetListedSelection(list, -1, false);
    SetListedSelection(list, 0, true);
    ASSERT_EQ(1, SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
    const std::string first = ListedText(list, 0);
    PostMessageA(frame, WM_COMMAND, ID_FILE_RENAME, 0);
    HWND edit = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        return (edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0))) !=
               nullptr;
    }));
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("garden.png"));
    // Enter goes to the editor itself: posted through the program's message
    // loop it does not end the edit under Wine (seen, not yet explained).
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitFor([&] { return Exists(folder + "\\garden.bmp"); }));
    EXPECT_FALSE(Exists(folder + "\\" + first));
    EXPECT_TRUE(WaitFor([&] { return ListedText(list, 0) == "garden.bmp"; }))
        << ListedText(list, 0);
}

// The program's Find dialog ("#32770" captioned "Find" and owned by the
// explorer), and a message box over it by its caption (owned by the dialog).
struct OwnedSearch {
    HWND owner;
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<OwnedSearch*>(lp);
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0 && GetWindow(hwnd, GW_OWNER) == s->owner &&
        WindowText(hwnd) == s->caption) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND OwnedDialog(HWND owner, const char* caption) {
    OwnedSearch search{owner, caption, nullptr};
    EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void TypeInto(HWND dialog, int id, const std::string& text) {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ClickCheck(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_SETCHECK,
                 SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED
                     ? BST_UNCHECKED
                     : BST_CHECKED,
                 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

TEST_F(RunningProgram, FindByNameFillsTheSearchResultWithImagesOnlyAndKeepsItsCheckBoxes) {
    const std::string folder = MakePictureFolder("vxp-explorer-find");
    WriteAll(folder + "\\Sunset.JPG", "not decoded here");
    WriteAll(folder + "\\sun.txt", "text");
    Process& p = Launch(Quoted(folder));
    HWND frame = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (frame = VisibleMainFrame()) != nullptr; }));
    ASSERT_TRUE(WaitFor([&] { return WindowText(frame) == "Velmorantix XP - vxp-explorer-find"; }));
    HWND list = FindInExplorer(frame, 10002);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 4; }));

    PostMessageA(frame, WM_COMMAND, 57636, 0);
    HWND find = nullptr;
    ASSERT_TRUE(
        WaitFor([&] { return (find = OwnedDialog(frame, "Find")) && IsWindowVisible(find); }));
    char typed[MAX_PATH] = {};
    SendMessageA(GetDlgItem(find, 1111), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(typed));
    std::string lookIn = typed;
    if (!lookIn.empty() && lookIn.back() == '\\')
        lookIn.pop_back();
    EXPECT_EQ(0, lstrcmpiA(folder.c_str(), lookIn.c_str())) << "the current folder: " << lookIn;
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(find, IDOK))) << "nothing to find yet";
    ClickCheck(find, 1084); // Name
    TypeInto(find, 1053, "sun");
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(find, IDOK)));
    PostMessageA(find, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    // The Search Result root is selected and gets Sunset.JPG only.
    EXPECT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(find, IDOK)) == "&Find"; }));
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 1; }))
        << SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    EXPECT_FALSE(IsWindowVisible(find)) << "the dialog hides while it searches";

    // Nothing found: the message over the dialog, and an empty list.
    PostMessageA(frame, WM_COMMAND, 57636, 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(find) != FALSE; }));
    TypeInto(find, 1053, "zzz");
    PostMessageA(find, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = OwnedDialog(find, "Find")) != nullptr; }));
    char text[256] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_STREQ("No item found.", text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return OwnedDialog(find, "Find") == nullptr; }));
    EXPECT_EQ(0, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));

    // Close keeps the check boxes among the options, saved when the program ends.
    PostMessageA(frame, WM_COMMAND, 57636, 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(find) != FALSE; }));
    ClickCheck(find, 1089); // Match case
    PostMessageA(find, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(find); }));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, WaitExit(p, 15000));
    EXPECT_EQ(1u, StoredNumber("ExplorerFindDlgDefName"));
    EXPECT_EQ(1u, StoredNumber("ExplorerFindDlgDefMatchCase"));
    EXPECT_EQ(0u, StoredNumber("ExplorerFindDlgDefKeyword"));
    EXPECT_EQ(0u, StoredNumber("ExplorerFindDlgDefAuthor"));
    EXPECT_EQ(0u, StoredNumber("ExplorerFindDlgDefLookInSubfolders"));
}

} // namespace
