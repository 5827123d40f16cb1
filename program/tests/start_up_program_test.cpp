// Black-box tests of the running program's start-up: its hidden window takes
// messages from the moment its loop runs, while the rest of start-up follows,
// and whatever reaches it from outside before start-up has ended is handled
// by a program that has started in full.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "tests/support/program_driver.h"

namespace {

using namespace program_driver;

const char kExe[] = VXP_APP_EXE;
const char kOptionsKey[] = "Software\\Velmorantix\\Velmorantix XP";
constexpr ULONG_PTR kCodeOpen = 0;
constexpr ULONG_PTR kCodeQuit = 100;

std::string DataFolder() {
    char path[MAX_PATH];
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path);
    return std::string(path) + "\\Velmorantix\\Velmorantix XP";
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class StartUp : public ProgramCase {
protected:
    StartUp() : ProgramCase(kExe) {}
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
    std::string folder_;
};

// Each message is sent the moment the hidden window exists, so it meets a
// start-up that has not ended: the program must first finish it (databases
// open, first frame made) and then act on the message.
TEST_F(StartUp, AMessageFromOutsideBeforeStartUpEndedMeetsAStartedProgram) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    struct Case {
        const char* name;
        ULONG_PTR code;
        const char* text;
        bool ends; // the program ends with code 0
    };
    const Case cases[] = {
        {"a hand-over of a folder", kCodeOpen, windows, false},
        {"a hand-over without a path", kCodeOpen, nullptr, false},
        {"the quit request", kCodeQuit, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Process& p = Launch("");
        HWND hidden = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            const std::vector<HWND> found = TopLevel("HiddenWnd");
            hidden = found.empty() ? nullptr : found[0];
            return hidden != nullptr;
        }));
        COPYDATASTRUCT data{c.code, c.text ? DWORD(lstrlenA(c.text) + 1) : 0,
                            const_cast<char*>(c.text)};
        DWORD_PTR result = 0;
        ASSERT_TRUE(SendMessageTimeoutA(hidden, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                        SMTO_ABORTIFHUNG, 30000, &result));
        EXPECT_EQ(result, 1u);
        // Start-up ran to its end before the message was handled.
        EXPECT_TRUE(Exists(folder_ + "\\VelmorantixXP.tdb"));
        EXPECT_TRUE(Exists(folder_ + "\\Thumbnail.tdb"));
        if (c.ends) {
            EXPECT_EQ(WaitExit(p, 10000), 0);
            continue;
        }
        EXPECT_TRUE(WaitFor([] { return VisibleMainFrame() != nullptr; }));
        EXPECT_EQ(TopLevel("MainFrame").size(), 1u);
        EXPECT_EQ(TopLevel("HiddenWnd").size(), 1u);
        StopRunningCopy();
        EXPECT_EQ(WaitExit(p, 10000), 0);
    }
}

// The hidden window answers a plain message before the first frame shows:
// start-up runs as steps from its loop.
TEST_F(StartUp, TheHiddenWindowAnswersBeforeTheExplorerShows) {
    Process& p = Launch("");
    // Polled without a pause: the steps before the frame take milliseconds.
    bool answered = false, answeredFirst = false;
    const DWORD start = GetTickCount();
    while (!answered && GetTickCount() - start < 30000) {
        const std::vector<HWND> found = TopLevel("HiddenWnd");
        DWORD_PTR ignored = 0;
        if (!found.empty() &&
            SendMessageTimeoutA(found[0], WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 30000, &ignored)) {
            answered = true;
            answeredFirst = VisibleMainFrame() == nullptr;
        }
        Sleep(0);
    }
    ASSERT_TRUE(answered);
    EXPECT_TRUE(answeredFirst);
    ASSERT_TRUE(WaitFor([] { return VisibleMainFrame() != nullptr; }));
    StopRunningCopy();
    EXPECT_EQ(WaitExit(p, 10000), 0);
}

} // namespace
