// The real program as the shell and the viewer's user reach it. Started the
// way the shell extension starts it (the program file given apart, the
// command line opening with a blank), it reads the switch or the path as its
// first argument. A viewer's View > Options... opens the Options sheet on
// its Viewer page, and a background chosen on the Color page reaches the
// open viewer as soon as the sheet closes, and the stored options.
#include <gtest/gtest.h>
#include <windows.h>

#include <prsht.h>
#include <shlwapi.h>

#include <string>

#include "resources/resource.h"
#include "tests/support/dialog_script.h"
#include "tests/support/program_driver.h"

namespace {

using namespace program_driver;

const char kExe[] = VXP_APP_EXE;

const Rgb kRed{255, 0, 0};

// Starts the program file with `line` as its whole command line, as
// CreateProcess with an application name does.
Process StartWithLine(const std::string& line) {
    std::string buffer = line;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    Process p;
    if (CreateProcessA(kExe, &buffer[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &info)) {
        CloseHandle(info.hThread);
        p.handle = info.hProcess;
        p.id = info.dwProcessId;
    }
    return p;
}

HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// A visible top-level window of the class in the process.
HWND VisibleOf(const char* className, DWORD process) {
    for (HWND h : TopLevel(className)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == process && IsWindowVisible(h))
            return h;
    }
    return nullptr;
}

class ViewerOptionsProgram : public ::testing::Test {
protected:
    void SetUp() override {
        StopRunningCopy();
        SHDeleteKeyA(HKEY_CURRENT_USER, kOptionsKey);
        SetDword("TrayIcon", 0);
        SetDword("ShowWelcome", 0);
        SetDword("ViewerResizeFitImage", 0);
        SetDword("ViewerMaximized", 0);
        SetDword("ViewerZoomType", 0);
        SetDword("ViewerLeft", 100);
        SetDword("ViewerTop", 100);
        SetDword("ViewerRight", 700);
        SetDword("ViewerBottom", 500);
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "vxp options a b";
        CreateDirectoryA(folder_.c_str(), nullptr);
        picture_ = folder_ + "\\pic.bmp";
        WriteBmp(picture_, 40, 30, false, [](int, int) { return kRed; });
    }
    void TearDown() override {
        StopRunningCopy();
        Kill(program_);
        DeleteFileA(picture_.c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    static void StopRunningCopy() { program_driver::StopRunningCopy(kExe); }
    // The viewer of the program showing the picture.
    HWND WaitForViewer() {
        HWND found = nullptr;
        WaitFor([&] {
            for (HWND h : TopLevel("ImageFrame"))
                if (Title(h).find("pic.bmp @ ") != std::string::npos)
                    found = h;
            return found != nullptr;
        });
        return found;
    }

    std::string folder_, picture_;
    Process program_;
};

TEST_F(ViewerOptionsProgram, ALineThatStartsWithABlankGivesTheSwitchOrThePathFirst) {
    // " /print a b": the print switch with its files ends the process at once,
    // without ever becoming the running copy.
    Process print = StartWithLine(" /print a b");
    EXPECT_EQ(WaitExit(print, 15000), 0);
    Kill(print);
    EXPECT_TRUE(TopLevel("HiddenWnd").empty());

    // A quoted path holding blanks alone opens it in a viewer.
    program_ = StartWithLine(" \"" + picture_ + "\"");
    HWND viewer = WaitForViewer();
    ASSERT_NE(viewer, nullptr) << "no viewer on " << picture_;
    EXPECT_EQ(TopLevel("HiddenWnd").size(), 1u);
}

TEST_F(ViewerOptionsProgram, ViewOptionsOpensTheViewerPageAndTheViewerTakesTheNewBackground) {
    program_ = test_support::Start(kExe, "\"" + picture_ + "\"");
    HWND viewer = WaitForViewer();
    ASSERT_NE(viewer, nullptr);
    SetForegroundWindow(viewer);
    HWND view = Descendant(viewer, "ImageView");
    ASSERT_NE(view, nullptr);
    KeepOnTop(viewer);
    const Rgb before = ClientPixel(view, 3, 3);
    ASSERT_TRUE(before == (Rgb{0x7D, 0x9E, 0xC0})) << before;

    Command(viewer, ID_VIEW_OPTIONS);
    HWND sheet = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        sheet = FindWindowA("#32770", "Options");
        return sheet != nullptr && IsWindowVisible(sheet) && CurrentPage(sheet) != nullptr;
    })) << "View > Options... opened no sheet";
    // The viewer is the active frame, so its page comes first.
    EXPECT_EQ(Title(CurrentPage(sheet)), "Viewer");

    // The type list with the program's own icons, as a picture when asked for.
    SendMessageA(sheet, PSM_SETCURSEL, 3, 0);
    testsupport::MaybeScreenshot(sheet, "program_options_formats");

    // Color page: the viewer's background button, its palette, and from
    // "Restore Default" two steps right to the first cell (black).
    SendMessageA(sheet, PSM_SETCURSEL, 4, 0);
    HWND page = CurrentPage(sheet);
    ASSERT_EQ(Title(page), "Color");
    HWND button = GetDlgItem(page, IDC_OPT_COLOR_VIEWER);
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_OPT_COLOR_VIEWER, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    HWND palette = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (palette = VisibleOf("ColorPicker", program_.id)); }))
        << "the palette did not open";
    for (UINT key : {VK_RIGHT, VK_RIGHT, VK_SPACE})
        PostMessageA(palette, WM_KEYDOWN, key, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(palette); }));

    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(sheet); }));
    EXPECT_TRUE(WaitFor([&] {
        return ClientPixel(view, 3, 3) == (Rgb{0, 0, 0});
    })) << ClientPixel(view, 3, 3);
    DWORD stored = 0xDEADBEEF;
    EXPECT_TRUE(GetDword("ViewerBackgroundClr", &stored));
    EXPECT_EQ(stored, 0u);
}

} // namespace
