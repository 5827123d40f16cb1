// Black-box tests of the running program: each starts VelmorantixXP.exe as a
// separate process, finds its windows, sends them messages and checks exit
// codes, files and registry values. The tests run in a Wine prefix of their
// own (see app/CMakeLists.txt) and reset the program's key and data folder
// before each case.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <chrono>
#include <deque>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"

namespace {

const char kExe[] = VXP_APP_EXE;
const char kOptionsKey[] = "Software\\Velmorantix\\Velmorantix XP";
const char kStiKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\StillImage\\Registered "
                       "Applications";

using test_support::Kill;
using test_support::Process;
using test_support::WaitExit;
using test_support::WaitFor;

Process Start(const std::string& args) {
    return test_support::Start(kExe, args);
}

struct EnumContext {
    const char* name;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectByClass(HWND hwnd, LPARAM lp) {
    auto* c = reinterpret_cast<EnumContext*>(lp);
    char name[64];
    if (GetClassNameA(hwnd, name, sizeof(name)) && lstrcmpA(name, c->name) == 0)
        c->found.push_back(hwnd);
    return TRUE;
}

// Every top-level window of the class, hidden and disabled ones included.
std::vector<HWND> TopLevel(const char* className) {
    EnumContext ctx{className, {}};
    EnumWindows(CollectByClass, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND VisibleMainFrame() {
    for (HWND h : TopLevel("MainFrame"))
        if (IsWindowVisible(h))
            return h;
    return nullptr;
}

std::string DataFolder() {
    char path[MAX_PATH];
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path);
    return std::string(path) + "\\Velmorantix\\Velmorantix XP";
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A message box of another process (class "#32770") by caption; its text.
HWND FindMessageBox(const char* caption, std::string* text) {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindWindowA("#32770", caption)) != nullptr; }))
        return nullptr;
    char buf[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, buf, sizeof(buf));
    *text = buf;
    return box;
}

class RunningProgram : public ::testing::Test {
protected:
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
    void TearDown() override {
        for (Process& p : started_)
            Kill(p);
        StopRunningCopy();
    }
    static void StopRunningCopy() {
        Process p = Start("/Shutdown");
        WaitExit(p, 15000);
        Kill(p);
        WaitFor([] { return TopLevel("HiddenWnd").empty(); }, 10000);
    }
    Process& Launch(const std::string& args) {
        started_.push_back(Start(args));
        return started_.back();
    }
    // Starts the first copy and waits until its explorer shows.
    Process& LaunchRunningCopy(const std::string& args = "") {
        Process& p = Launch(args);
        EXPECT_TRUE(WaitFor([] { return !TopLevel("HiddenWnd").empty(); }));
        return p;
    }

    std::string folder_;
    std::deque<Process> started_; // stable references while more start
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
    EXPECT_STREQ(title, "Velmorantix XP");
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

} // namespace
