// Black-box tests of the explorer's folder pane tree in the real program:
// Up, Back and Forward walk the tree's history of selected folders, with the
// toolbar buttons enabled exactly where a step is possible. The program runs
// in a Wine prefix of this file's own.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "tests/support/program_driver.h"

namespace {

using namespace program_driver;

const char kExe[] = VXP_APP_EXE;

constexpr WORD kBack = 41406, kForward = 41407, kUp = 41408;

bool Enabled(HWND toolbar, WORD id) {
    return SendMessageA(toolbar, TB_ISBUTTONENABLED, id, 0) != 0;
}

class ExplorerTree : public ProgramCase {
protected:
    ExplorerTree() : ProgramCase(kExe) {}
    void SetUp() override {
        StopRunningCopy();
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Velmorantix\\Velmorantix XP");
        SetDword("TrayIcon", 0);
        SetDword("ShowWelcome", 0);
        SetDword("ExplorerConfirmDeletion", 0);
    }
    // Waits until the explorer's caption names `item`.
    bool ShowsItem(HWND frame, const std::string& item) {
        return WaitFor([&] { return Title(frame) == "Velmorantix XP - " + item; });
    }
};

TEST_F(ExplorerTree, UpBackAndForwardWalkTheHistoryOfSelectedFolders) {
    const std::string outer = FreshTempFolder("vxp-tree-history");
    const std::string inner = outer + "\\inner";
    CreateDirectoryA(inner.c_str(), nullptr);
    WriteAll(inner + "\\a.bmp", BmpFile(16, 16, RGB(255, 0, 0)));
    Launch(Quoted(inner));
    HWND frame = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (frame = VisibleMainFrame()) != nullptr; }));
    ASSERT_TRUE(ShowsItem(frame, "inner")) << Title(frame);
    HWND toolbar = ToolbarWith(frame, kBack);
    ASSERT_NE(nullptr, toolbar);
    // The idle pass sets the states; the newest entry has nothing after it.
    EXPECT_TRUE(WaitFor([&] { return Enabled(toolbar, kUp) && !Enabled(toolbar, kForward); }));

    Command(frame, kUp);
    ASSERT_TRUE(ShowsItem(frame, "vxp-tree-history")) << Title(frame);
    EXPECT_TRUE(WaitFor([&] { return Enabled(toolbar, kBack) && !Enabled(toolbar, kForward); }));

    Command(frame, kBack);
    ASSERT_TRUE(ShowsItem(frame, "inner")) << Title(frame);
    EXPECT_TRUE(WaitFor([&] { return Enabled(toolbar, kForward); }));

    Command(frame, kForward);
    ASSERT_TRUE(ShowsItem(frame, "vxp-tree-history")) << Title(frame);
    EXPECT_TRUE(WaitFor([&] { return !Enabled(toolbar, kForward); })) << "the newest entry again";
    // Forward at the newest entry changes nothing (the command is sent, so
    // the caption is final when it returns).
    SendMessageA(frame, WM_COMMAND, kForward, 0);
    EXPECT_EQ("Velmorantix XP - vxp-tree-history", Title(frame));
}

} // namespace
