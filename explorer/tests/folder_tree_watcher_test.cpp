// The folder tree's directory watcher under Wine: one record per drive, the
// drive classes it refuses, notices of folders made, renamed and removed by
// others, silence after StopAllWatches, and an end that never hangs while
// the watcher is sending.
#include "explorer/folder_tree_watcher.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resources/messages.h"
#include "tests/support/poll_until.h"

namespace {

using testsupport::PollUntil;

struct Notice {
    UINT message;
    std::string first, second;
};

std::vector<Notice> g_notices;

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == FTM_ITEMADDED || message == FTM_ITEMREMOVED || message == FTM_ITEMRENAMED) {
        g_notices.push_back(Notice{message, reinterpret_cast<const char*>(wParam),
                                   reinterpret_cast<const char*>(lParam)});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class TreeWatcher : public testing::Test {
protected:
    void SetUp() override {
        g_notices.clear();
        WNDCLASSA wc{};
        wc.lpfnWndProc = TargetProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VxpWatchTarget";
        RegisterClassA(&wc);
        target = CreateWindowA("VxpWatchTarget", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
        ASSERT_NE(nullptr, target);
        watcher.SetTarget(target);
        // A folder of the drive root: the root is what the watcher watches.
        name = "vxp_watch_" + std::to_string(GetCurrentProcessId());
        path = "C:\\" + name;
    }
    void TearDown() override {
        watcher.Shutdown();
        RemoveDirectoryA((path + "_renamed").c_str());
        RemoveDirectoryA(path.c_str());
        DestroyWindow(target);
    }
    bool Seen(UINT message, const std::string& first, const std::string& second) {
        for (const Notice& n : g_notices)
            if (n.message == message && lstrcmpiA(n.first.c_str(), first.c_str()) == 0 &&
                lstrcmpiA(n.second.c_str(), second.c_str()) == 0)
                return true;
        return false;
    }

    HWND target = nullptr;
    CFolderTreeWatcher watcher;
    std::string name, path;
};

TEST_F(TreeWatcher, OneRecordPerDriveAndTheDrivesItRefuses) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_TRUE(watcher.WatchDrive("C:\\"));
    EXPECT_TRUE(watcher.WatchDrive(windows));
    EXPECT_EQ(1u, watcher.WatchCount()) << "two folders of one drive share the record";
    EXPECT_FALSE(watcher.WatchDrive(""));
    EXPECT_FALSE(watcher.WatchDrive("A:\\photos"));
    EXPECT_FALSE(watcher.WatchDrive("B:\\"));
    EXPECT_EQ(1u, watcher.WatchCount());
    EXPECT_TRUE(watcher.UnwatchDrive("c:\\some\\folder"));
    EXPECT_EQ(0u, watcher.WatchCount());
    EXPECT_FALSE(watcher.UnwatchDrive("C:\\"));
}

TEST_F(TreeWatcher, FoldersMadeRenamedAndRemovedByOthersReachTheTree) {
    ASSERT_TRUE(watcher.WatchDrive("C:\\"));
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    EXPECT_TRUE(PollUntil([&] { return Seen(FTM_ITEMADDED, "C:\\", name); }, 5000));
    ASSERT_TRUE(MoveFileA(path.c_str(), (path + "_renamed").c_str()));
    // A rename arrives as a pair, or as a removal and an addition.
    EXPECT_TRUE(PollUntil(
        [&] {
            return Seen(FTM_ITEMRENAMED, path, path + "_renamed") ||
                   (Seen(FTM_ITEMREMOVED, "C:\\", name) &&
                    Seen(FTM_ITEMADDED, "C:\\", name + "_renamed"));
        },
        5000));
    ASSERT_TRUE(RemoveDirectoryA((path + "_renamed").c_str()));
    EXPECT_TRUE(PollUntil([&] { return Seen(FTM_ITEMREMOVED, "C:\\", name + "_renamed"); }, 5000));
}

TEST_F(TreeWatcher, AfterStopAllNoNoticeArrivesAlsoForDrivesWatchedLater) {
    ASSERT_TRUE(watcher.WatchDrive("C:\\"));
    watcher.StopAllWatches();
    EXPECT_EQ(0u, watcher.WatchCount());
    EXPECT_TRUE(watcher.WatchDrive("C:\\"));
    EXPECT_EQ(0u, watcher.WatchCount()) << "stopped at once";
    EXPECT_TRUE(watcher.StoppedForGood());
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    PollUntil([] { return false; }, 1000);
    EXPECT_TRUE(g_notices.empty());
}

TEST_F(TreeWatcher, EndingWhileTheWatcherSendsDoesNotHang) {
    ASSERT_TRUE(watcher.WatchDrive("C:\\"));
    // The folders' notices find this thread busy: the watcher blocks in its
    // send, and the end must answer it while waiting.
    std::vector<std::string> made;
    for (int i = 0; i < 20; ++i) {
        made.push_back(path + "_" + std::to_string(i));
        CreateDirectoryA(made.back().c_str(), nullptr);
    }
    Sleep(300);
    const DWORD start = GetTickCount();
    watcher.Shutdown();
    EXPECT_LT(GetTickCount() - start, 5000u);
    for (const std::string& folder : made)
        RemoveDirectoryA(folder.c_str());
}

} // namespace
