// A later start handing over an image while the viewer has a modal window
// up: the modal window stays in front and keeps its image; the handed-over
// image follows once it is closed, and the viewer takes input again.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "viewer/tests/program_fixture.h"
#include "resources/resource.h"

namespace {

using namespace program_driver;

const char kFolder[] = "C:\\vxphandover";

class HandOver : public ProgramTest {
protected:
    static void SetUpTestSuite() {
        CreateDirectoryA(kFolder, nullptr);
        // Three pages of 120x90, written by make_pages.py at build time.
        CopyFileA(VXP_TEST_DATA_DIR "/viewer/pages3.tif", Path(kFolder, "pages3.tif").c_str(),
                  FALSE);
        WriteBmp(Path(kFolder, "next.bmp"), 160, 120, false, [](int, int) {
            return Rgb{0, 200, 0};
        });
        // Says it is a bitmap, then stops: the viewer answers with "Failed!".
        HANDLE h = CreateFileA(Path(kFolder, "broken.bmp").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(h, "BM\x10\0\0\0", 6, &written, nullptr);
        CloseHandle(h);
    }
};

// Is `above` higher in the z-order than `below`?
bool IsAbove(HWND above, HWND below) {
    for (HWND h = GetWindow(below, GW_HWNDPREV); h; h = GetWindow(h, GW_HWNDPREV))
        if (h == above)
            return true;
    return false;
}

TEST_F(HandOver, WhileAModalWindowIsUpWaitsForItAndLeavesItInFront) {
    struct Case {
        const char* what;
        const char* opened;  // the image the viewer starts on
        const char* caption; // the modal window's caption
        WORD command;        // what brings it up (0: opening the image does)
    } cases[] = {
        {"Go to Page", "pages3.tif", "Goto Page", ID_VIEW_GOTO_PAGE},
        {"a Failed! box", "broken.bmp", "Failed!", 0},
    };
    const std::string next = Path(kFolder, "next.bmp");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string opened = Path(kFolder, c.opened);
        Launch(opened);
        HWND frame = WaitForViewer([&](const std::string&) { return true; });
        ASSERT_NE(frame, nullptr);
        if (c.command) {
            // Go to Page works once the pages are counted and the folder is listed (its list
            // thread may finish after the pages show, on a loaded machine): the title then
            // holds both the position and the page.
            ASSERT_TRUE(WaitFor([&] {
                const std::string title = Title(frame);
                return title.find(opened) == 0 &&
                       title.find(") [Page 1 of 3]") != std::string::npos;
            })) << Title(frame);
            Command(frame, c.command);
        }
        HWND modal = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            modal = FindWindowA("#32770", c.caption);
            return modal && IsWindowVisible(modal);
        }));
        const std::string titleBefore = Title(frame);

        // The second start returns once its hand-over has been taken.
        Process& second = Launch(next);
        ASSERT_EQ(WaitExit(second, 15000), 0);
        EXPECT_TRUE(IsWindow(modal) && IsWindowVisible(modal));
        EXPECT_EQ(Title(frame), titleBefore) << "the image changed under the open window";
        EXPECT_FALSE(IsAbove(frame, modal)) << "the viewer was raised above its modal window";
        EXPECT_EQ(GetForegroundWindow(), modal);
        EXPECT_FALSE(IsWindowEnabled(frame));

        PostMessageA(modal, WM_COMMAND, c.command ? IDCANCEL : IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(modal); }));
        HWND shown = WaitForViewer([&](const std::string& t) { return t.find(next) == 0; });
        ASSERT_NE(shown, nullptr) << "the handed-over image was not shown";
        EXPECT_TRUE(IsWindowEnabled(shown));
        // It takes commands again: a zoom step shows in its title.
        const std::string shownTitle = Title(shown);
        Command(shown, ID_ZOOM_IN);
        EXPECT_TRUE(WaitFor([&] { return Title(shown) != shownTitle; })) << Title(shown);

        for (Process& p : started_)
            Kill(p);
        started_.clear();
        StopRunningCopy();
    }
}

} // namespace
