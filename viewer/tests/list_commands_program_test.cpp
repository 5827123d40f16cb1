// A viewer's sort, Convert and Help commands in the real program: sorting
// moves the shown picture to its new place in the folder and is kept in the
// options; Convert offers the viewer's folder and writes the shown picture
// in the chosen format; Contents and Index without a help file says so.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "resources/resource.h"
#include "viewer/tests/program_fixture.h"

namespace {

using namespace program_driver;

HWND FindVisibleDialog(const char* caption) {
    HWND found = nullptr;
    WaitFor([&] {
        found = FindWindowA("#32770", caption);
        return found && IsWindowVisible(found);
    });
    return found;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class ListCommandsProgram : public ProgramTest {};

TEST_F(ListCommandsProgram, SortingMovesTheShownPictureToItsPlaceAndIsKeptInTheOptions) {
    const std::string folder = FreshTempFolder("vxp-viewer-sort");
    // Sizes: a < c < b.
    WriteAll(folder + "\\a.bmp", BmpFile(4, 4, RGB(200, 0, 0)));
    WriteAll(folder + "\\b.bmp", BmpFile(60, 60, RGB(0, 200, 0)));
    WriteAll(folder + "\\c.bmp", BmpFile(20, 20, RGB(0, 0, 200)));
    Launch(Quoted(folder + "\\b.bmp"));
    HWND frame = WaitForViewer([](const std::string& t) { return EndsWith(t, "(2 of 3)"); });
    ASSERT_NE(frame, nullptr);

    struct Step {
        WORD command;
        const char* position; // of b.bmp afterwards
    } steps[] = {
        {ID_SORT_BY_SIZE, "(3 of 3)"},
        {ID_SORT_DESCENDING, "(1 of 3)"},
        {ID_SORT_BY_NAME, "(2 of 3)"}, // descending kept: c, b, a
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        Command(frame, step.command);
        EXPECT_TRUE(WaitFor([&] { return EndsWith(Title(frame), step.position); })) << Title(frame);
        EXPECT_NE(std::string::npos, Title(frame).find("b.bmp")) << Title(frame);
    }
    PostMessageA(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([] { return TopLevel("ImageFrame").empty(); }));
    StopRunningCopy();
    EXPECT_EQ(1u, StoredNumber("SortBy", 0));
    EXPECT_EQ(2u, StoredNumber("SortOrder", 0));
}

TEST_F(ListCommandsProgram, ConvertOffersTheViewersFolderAndWritesTheShownPicture) {
    const std::string folder = FreshTempFolder("vxp-viewer-convert-in");
    const std::string out = FreshTempFolder("vxp-viewer-convert-out");
    WriteAll(folder + "\\shown.bmp", BmpFile(12, 9, RGB(10, 120, 230)));
    WriteAll(folder + "\\other.bmp", BmpFile(5, 5, RGB(0, 0, 0)));
    Launch(Quoted(folder + "\\shown.bmp"));
    HWND frame = WaitForViewer([](const std::string& t) { return EndsWith(t, " of 2)"); });
    ASSERT_NE(frame, nullptr);

    Command(frame, ID_FILE_CONVERT);
    HWND dialog = FindVisibleDialog("Convert");
    ASSERT_NE(nullptr, dialog);
    SendMessageA(GetDlgItem(dialog, IDC_CONVERT_USE_CURRENT), BM_CLICK, 0, 0);
    char location[MAX_PATH] = {};
    // Another process's edit: its text comes by message only.
    SendMessageA(GetDlgItem(dialog, IDC_CONVERT_LOCATION), WM_GETTEXT, MAX_PATH, (LPARAM)location);
    EXPECT_EQ(folder, std::string(location));
    SendMessageA(GetDlgItem(dialog, IDC_CONVERT_FORMAT), CB_SETCURSEL, 3, 0); // PNG
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CONVERT_FORMAT, CBN_SELCHANGE),
                 (LPARAM)GetDlgItem(dialog, IDC_CONVERT_FORMAT));
    SetWindowTextA(GetDlgItem(dialog, IDC_CONVERT_LOCATION), out.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return Exists(out + "\\shown.png") && !IsWindow(dialog); }));
    EXPECT_TRUE(WaitFor([] { return FindWindowA("#32770", "Converting") == nullptr; }));
    EXPECT_EQ(0u, ReadAll(out + "\\shown.png").find("\x89PNG"));
    EXPECT_FALSE(Exists(out + "\\other.png")) << "only the shown picture";
}

TEST_F(ListCommandsProgram, ContentsAndIndexWithoutAHelpFileSaysWhichFileIsMissing) {
    const std::string folder = FreshTempFolder("vxp-viewer-help");
    WriteAll(folder + "\\a.bmp", BmpFile(8, 8, RGB(50, 50, 50)));
    Launch(Quoted(folder + "\\a.bmp"));
    HWND frame = WaitForViewer([](const std::string& t) { return EndsWith(t, "(1 of 1)"); });
    ASSERT_NE(frame, nullptr);

    Command(frame, ID_HELP_INDEX);
    std::string text;
    HWND box = FindMessageBox("Failed!", &text);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(0u, text.find("Cannot find the help file ")) << text;
    EXPECT_TRUE(EndsWith(text, "\\VelmorantixXP.chm")) << text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindow(frame));
}

} // namespace
