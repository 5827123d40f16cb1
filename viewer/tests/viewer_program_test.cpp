// Black-box tests of the viewer in the real program: each case starts
// VelmorantixXP.exe on bitmaps the test writes, finds its "ImageFrame"
// windows, drives them with messages and reads back titles, toolbar states,
// screen pixels, the clipboard, the exit code and the stored options. The
// cases run in a Wine prefix of their own (see viewer/CMakeLists.txt).
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/program_driver.h"
#include "resources/resource.h"

namespace {

using namespace program_driver;

const char kExe[] = VXP_APP_EXE;
const char kFolder[] = "C:\\vxpview";
const char kCopyFolder[] = "C:\\vxpcopy";
const char kTallFolder[] = "C:\\vxptall";
const char kPagesFolder[] = "C:\\vxppages";

const Rgb kRed{255, 0, 0}, kBlue{0, 0, 255}, kBackground{125, 158, 192};

// A dialog is ready for input once it is visible: its initialisation would
// otherwise replace text typed before.
HWND WaitForDialog(const char* caption) {
    HWND dialog = nullptr;
    WaitFor([&] {
        dialog = FindWindowA("#32770", caption);
        return dialog != nullptr && IsWindowVisible(dialog);
    });
    return dialog;
}

// Types `value` into the dialog's edit and presses OK; the program must answer
// with a "Failed!" box saying `message`, which is then closed, and the dialog
// must stay for another value.
void ExpectValueRefused(HWND dialog, int edit, const char* value, const char* message) {
    SetDlgItemTextA(dialog, edit, value);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindWindowA("#32770", "Failed!")) != nullptr; }));
    char text[256] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_STREQ(text, message);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindow(dialog));
}

// Opens the dialog of `command`, has it refuse `bad` with `message`, then
// gives it `good`, which closes it; the caller checks what `good` did.
void RefuseThenAccept(HWND frame, WORD command, const char* caption, int edit, const char* bad,
                      const char* message, const char* good) {
    Command(frame, command);
    HWND dialog = WaitForDialog(caption);
    ASSERT_NE(dialog, nullptr) << caption;
    ExpectValueRefused(dialog, edit, bad, message);
    SetDlgItemTextA(dialog, edit, good);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); })) << caption;
}

class ViewerProgram : public ProgramCase {
protected:
    ViewerProgram() : ProgramCase(kExe) {}
    static void SetUpTestSuite() {
        CreateDirectoryA(kFolder, nullptr);
        CreateDirectoryA(kCopyFolder, nullptr);
        CreateDirectoryA(kTallFolder, nullptr);
        CreateDirectoryA(kPagesFolder, nullptr);
        // Three pages of 120x90, written by make_pages.py at build time.
        CopyFileA(VXP_TEST_DATA_DIR "/viewer/pages3.tif", Path(kPagesFolder, "pages3.tif").c_str(),
                  FALSE);
        // a.bmp: left half red, right half blue; b and c differ in size so
        // that each step shows another picture.
        WriteBmp(Path(kFolder, "a.bmp"), 200, 100, false,
                 [](int x, int) { return x < 100 ? kRed : kBlue; });
        WriteBmp(Path(kFolder, "b.bmp"), 120, 80, false, [](int, int) { return Rgb{0, 200, 0}; });
        WriteBmp(Path(kFolder, "c.bmp"), 90, 60, false, [](int, int) { return Rgb{200, 200, 0}; });
        // Every row of g.bmp has its own grey, so row order can be read back.
        WriteBmp(Path(kCopyFolder, "g.bmp"), 200, 100, false, [](int, int y) {
            const uint8_t v = static_cast<uint8_t>(y);
            return Rgb{v, v, v};
        });
        WriteBmp(Path(kTallFolder, "tall.bmp"), 200, 1200, true, [](int, int) {
            return Rgb{0, 160, 0};
        });
    }

    void SetUp() override {
        StopRunningCopy();
        SHDeleteKeyA(HKEY_CURRENT_USER, kOptionsKey);
        SetDword("TrayIcon", 0);
        SetDword("ShowWelcome", 0);
        SetDword("ViewerResizeFitImage", 0);
        SetDword("ViewerMaximized", 0);
        SetDword("ViewerLeft", 100);
        SetDword("ViewerTop", 100);
        SetDword("ViewerRight", 700);
        SetDword("ViewerBottom", 500);
        SetEnvironmentVariableA("VXP_DECODE_BAND_DELAY_MS", nullptr);
    }
    void TearDown() override {
        ProgramCase::TearDown();
        SetEnvironmentVariableA("VXP_DECODE_BAND_DELAY_MS", nullptr);
    }
    // The one viewer whose title becomes `title`, within `ms`.
    static HWND WaitForViewerTitled(const std::string& title, int ms = 5000) {
        HWND found = nullptr;
        WaitFor(
            [&] {
                for (HWND h : TopLevel("ImageFrame"))
                    if (Title(h) == title)
                        found = h;
                return found != nullptr;
            },
            ms);
        return found;
    }
    static bool WaitForTitle(HWND frame, const std::string& title, int ms = 5000) {
        return WaitFor([&] { return Title(frame) == title; }, ms);
    }
};

std::string ListedTitle(const char* name, int percent, int index) {
    return Path(kFolder, name) + " @ " + std::to_string(percent) + "% (" + std::to_string(index) +
           " of 3)";
}

TEST_F(ViewerProgram, OpensTheImageDrawsItAndTitlesItWithItsPlace) {
    Launch(Path(kFolder, "a.bmp"));
    HWND frame = WaitForViewerTitled(ListedTitle("a.bmp", 100, 1));
    ASSERT_NE(frame, nullptr) << "no viewer titled " << ListedTitle("a.bmp", 100, 1);
    EXPECT_EQ(TopLevel("ImageFrame").size(), 1u);
    // The product name is gone once a document is shown.
    EXPECT_EQ(Title(frame).find("Velmorantix"), std::string::npos);

    KeepOnTop(frame);
    HWND view = Descendant(frame, "ImageView");
    ASSERT_NE(view, nullptr);
    RECT client{};
    GetClientRect(view, &client);
    const int cx = client.right / 2, cy = client.bottom / 2;
    ASSERT_GT(cx, 110);
    EXPECT_TRUE(WaitFor([&] { return ClientPixel(view, cx - 50, cy) == kRed; }, 3000))
        << ClientPixel(view, cx - 50, cy);
    EXPECT_EQ(ClientPixel(view, cx + 50, cy), kBlue);
    EXPECT_EQ(ClientPixel(view, 5, 5), kBackground);
    EXPECT_EQ(ClientPixel(view, cx, cy - 60), kBackground); // just above the picture
}

TEST_F(ViewerProgram, StepsThroughTheFolderWithAndWithoutRepeat) {
    for (DWORD repeat : {0u, 1u}) {
        SCOPED_TRACE(repeat ? "ViewerRepeat 1" : "ViewerRepeat 0");
        SetDword("ViewerRepeat", repeat);
        Process& program = Launch(Path(kFolder, "a.bmp"));
        HWND frame = WaitForViewerTitled(ListedTitle("a.bmp", 100, 1));
        ASSERT_NE(frame, nullptr);
        HWND toolbar = ToolbarWith(frame, ID_VIEW_NEXT_IMAGE);
        ASSERT_NE(toolbar, nullptr);

        Command(frame, ID_VIEW_NEXT_IMAGE);
        EXPECT_TRUE(WaitForTitle(frame, ListedTitle("b.bmp", 100, 2))) << Title(frame);
        Command(frame, ID_VIEW_LAST_IMAGE);
        EXPECT_TRUE(WaitForTitle(frame, ListedTitle("c.bmp", 100, 3))) << Title(frame);

        const bool nextEnabled = WaitFor(
            [&] {
                return (SendMessageA(toolbar, TB_ISBUTTONENABLED, ID_VIEW_NEXT_IMAGE, 0) != 0) ==
                       (repeat != 0);
            },
            3000);
        EXPECT_TRUE(nextEnabled) << "Next button on the last image";
        EXPECT_NE(SendMessageA(toolbar, TB_ISBUTTONENABLED, ID_VIEW_PREV_IMAGE, 0), 0);

        Command(frame, ID_VIEW_NEXT_IMAGE);
        if (repeat) {
            EXPECT_TRUE(WaitForTitle(frame, ListedTitle("a.bmp", 100, 1))) << Title(frame);
        } else {
            // Next on the last image without repeat stays where it is.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            EXPECT_EQ(Title(frame), ListedTitle("c.bmp", 100, 3));
        }
        // The copy saves its options as it ends: wait for that before the
        // next round writes its own.
        StopRunningCopy();
        EXPECT_EQ(WaitExit(program, 10000), 0);
    }
}

TEST_F(ViewerProgram, ZoomInFromActualSizeGivesTheNextStep) {
    Launch(Path(kFolder, "a.bmp"));
    HWND frame = WaitForViewerTitled(ListedTitle("a.bmp", 100, 1));
    ASSERT_NE(frame, nullptr);
    Command(frame, ID_ZOOM_IN);
    EXPECT_TRUE(WaitForTitle(frame, ListedTitle("a.bmp", 125, 1))) << Title(frame);
    Command(frame, ID_ZOOM_IN);
    EXPECT_TRUE(WaitForTitle(frame, ListedTitle("a.bmp", 150, 1))) << Title(frame);
}

TEST_F(ViewerProgram, ZoomToRefusesAValueOutOfRange) {
    Launch(Path(kFolder, "a.bmp"));
    HWND frame = WaitForViewerTitled(ListedTitle("a.bmp", 100, 1));
    ASSERT_NE(frame, nullptr);
    RefuseThenAccept(frame, ID_ZOOM_TO, "Zoom To", 1163, "0", "Value must be between 1 and 10000",
                     "250");
    EXPECT_TRUE(WaitForTitle(frame, ListedTitle("a.bmp", 250, 1))) << Title(frame);
}

TEST_F(ViewerProgram, ViewersAtTheFirstStartAndAfterHandOver) {
    // Two files at the first start: two viewers.
    Launch(Path(kFolder, "a.bmp") + " " + Path(kFolder, "c.bmp"));
    HWND first = WaitForViewerTitled(ListedTitle("a.bmp", 100, 1));
    HWND second = WaitForViewerTitled(ListedTitle("c.bmp", 100, 3));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(TopLevel("ImageFrame").size(), 2u);

    // Handed over to the running copy: the viewer active last shows it.
    Process& handOver = Launch(Path(kFolder, "b.bmp"));
    EXPECT_EQ(WaitExit(handOver, 10000), 0);
    EXPECT_TRUE(WaitForTitle(second, ListedTitle("b.bmp", 100, 2))) << Title(second);
    EXPECT_EQ(Title(first), ListedTitle("a.bmp", 100, 1));
    EXPECT_EQ(TopLevel("ImageFrame").size(), 2u);
}

TEST_F(ViewerProgram, TwoFilesHandedOverReuseOneViewer) {
    Launch("");
    ASSERT_TRUE(WaitFor([] { return !TopLevel("HiddenWnd").empty(); }));
    Process& handOver = Launch(Path(kFolder, "a.bmp") + " " + Path(kFolder, "c.bmp"));
    EXPECT_EQ(WaitExit(handOver, 10000), 0);
    HWND frame = WaitForViewerTitled(ListedTitle("c.bmp", 100, 3));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(TopLevel("ImageFrame").size(), 1u);
}

TEST_F(ViewerProgram, ClosingTheLastViewerEndsTheProgramAndKeepsItsPlace) {
    SetDword("ViewerZoomType", 0);
    Process& program = Launch(Path(kFolder, "a.bmp"));
    HWND frame = WaitForViewerTitled(ListedTitle("a.bmp", 100, 1));
    ASSERT_NE(frame, nullptr);
    Command(frame, ID_ZOOM_TYPE_FIT); // zoom type 1
    ASSERT_TRUE(MoveWindow(frame, 120, 130, 520, 400, TRUE));
    RECT placed{};
    ASSERT_TRUE(WaitFor([&] {
        GetWindowRect(frame, &placed);
        return placed.left == 120 && placed.top == 130;
    }));

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitExit(program, 10000), 0);

    struct Stored {
        const char* name;
        DWORD expected;
    };
    const Stored stored[] = {
        {"ViewerZoomType", 1},
        {"ViewerMaximized", 0},
        {"ViewerLeft", static_cast<DWORD>(placed.left)},
        {"ViewerTop", static_cast<DWORD>(placed.top)},
        {"ViewerRight", static_cast<DWORD>(placed.right)},
        {"ViewerBottom", static_cast<DWORD>(placed.bottom)},
    };
    for (const Stored& s : stored) {
        DWORD value = 0xDEADBEEF;
        EXPECT_TRUE(GetDword(s.name, &value)) << s.name;
        EXPECT_EQ(value, s.expected) << s.name;
    }
}

TEST_F(ViewerProgram, CopyPutsABottomUpDibOnTheClipboard) {
    Launch(Path(kCopyFolder, "g.bmp"));
    HWND frame = WaitForViewerTitled(Path(kCopyFolder, "g.bmp") + " @ 100% (1 of 1)");
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    Command(frame, ID_EDIT_COPY);
    ASSERT_TRUE(WaitFor([] { return IsClipboardFormatAvailable(CF_DIB) != FALSE; }, 5000));

    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_DIB);
    ASSERT_NE(data, nullptr);
    const SIZE_T size = GlobalSize(data);
    std::vector<uint8_t> block(size);
    if (const void* p = GlobalLock(data)) {
        std::memcpy(block.data(), p, size);
        GlobalUnlock(data);
    }
    CloseClipboard();

    ASSERT_GE(size, 60040u);
    EXPECT_EQ(size, 60040u);
    BITMAPINFOHEADER header;
    std::memcpy(&header, block.data(), sizeof header);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 200);
    EXPECT_EQ(header.biHeight, 100);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(header.biSizeImage, 60000u);
    // Row y of g.bmp has grey y: the block starts with the bottom row.
    EXPECT_EQ(block[40], 99);
    EXPECT_EQ(block[40 + 600], 98);
    EXPECT_EQ(block[40 + 99 * 600], 0);
}

TEST_F(ViewerProgram, AShortcutActsOnlyOnTheViewerItWasPressedIn) {
    Launch(Path(kFolder, "a.bmp") + " " + Path(kFolder, "c.bmp"));
    HWND first = WaitForViewerTitled(ListedTitle("a.bmp", 100, 1));
    HWND second = WaitForViewerTitled(ListedTitle("c.bmp", 100, 3));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);

    // Num+ is Zoom In in the accelerator table. The key message goes to the
    // view of one viewer; only that viewer zooms. Both viewers' filters see
    // every message of the thread, so each direction is tried.
    struct Step {
        HWND target;
        const char* firstTitle;
        const char* secondTitle;
    };
    const std::string a100 = ListedTitle("a.bmp", 100, 1), a125 = ListedTitle("a.bmp", 125, 1);
    const std::string c100 = ListedTitle("c.bmp", 100, 3), c125 = ListedTitle("c.bmp", 125, 3);
    const Step steps[] = {
        {first, a125.c_str(), c100.c_str()},
        {second, a125.c_str(), c125.c_str()},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.target == first ? "key in the first viewer" : "key in the second viewer");
        HWND view = Descendant(step.target, "ImageView");
        ASSERT_NE(view, nullptr);
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(VK_ADD, 0)) << 16;
        PostMessageA(view, WM_KEYDOWN, VK_ADD, 1 | scan);
        PostMessageA(view, WM_KEYUP, VK_ADD, 1 | scan | static_cast<LPARAM>(0xC0000000u));
        HWND changed = step.target;
        EXPECT_TRUE(
            WaitForTitle(changed, step.target == first ? step.firstTitle : step.secondTitle))
            << Title(changed);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(Title(first), step.firstTitle);
        EXPECT_EQ(Title(second), step.secondTitle);
    }
}

TEST_F(ViewerProgram, DrawsProgressivelyWhileTheImageDecodes) {
    // Ten milliseconds after every decoded row keeps the decode busy for
    // seconds.
    SetEnvironmentVariableA("VXP_DECODE_BAND_DELAY_MS", "10");
    Launch(Path(kTallFolder, "tall.bmp"));
    HWND frame = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        std::vector<HWND> frames = TopLevel("ImageFrame");
        frame = frames.empty() ? nullptr : frames.front();
        return frame && Descendant(frame, "ImageWindow") && IsWindowVisible(frame);
    }));
    KeepOnTop(frame);
    HWND canvas = Descendant(frame, "ImageWindow");
    HWND view = Descendant(frame, "ImageView");
    const Rgb kGreen{0, 160, 0};

    // The picture's rectangle inside the view.
    auto pictureRect = [&] {
        RECT r{}, v{};
        GetWindowRect(canvas, &r);
        GetClientRect(view, &v);
        POINT origin{0, 0};
        ClientToScreen(view, &origin);
        const RECT visible{origin.x, origin.y, origin.x + v.right, origin.y + v.bottom};
        IntersectRect(&r, &r, &visible);
        return r;
    };
    RECT r{};
    Rgb top{}, bottom{};
    ASSERT_TRUE(WaitFor(
        [&] {
            r = pictureRect();
            if (r.bottom - r.top < 100)
                return false;
            top = ScreenPixel({(r.left + r.right) / 2, r.top + 3});
            bottom = ScreenPixel({(r.left + r.right) / 2, r.bottom - 4});
            return top == kGreen;
        },
        8000))
        << "the top rows were never drawn";
    EXPECT_EQ(bottom, kBackground) << "the bottom was drawn before it was decoded";

    // Once the decode has ended the whole picture is there.
    Rgb finalTop{}, finalBottom{};
    EXPECT_TRUE(WaitFor(
        [&] {
            r = pictureRect();
            finalTop = ScreenPixel({(r.left + r.right) / 2, r.top + 3});
            finalBottom = ScreenPixel({(r.left + r.right) / 2, r.bottom - 4});
            return finalTop == kGreen && finalBottom == kGreen;
        },
        40000))
        << "top " << finalTop << ", bottom " << finalBottom;
}

} // namespace

TEST_F(ViewerProgram, PagesOfAMultiPageImageStepAndGotoPageRefusesAPageBeyondTheEnd) {
    const std::string file = Path(kPagesFolder, "pages3.tif");
    const auto title = [&](int page) {
        return file + " @ 100% (1 of 1) [Page " + std::to_string(page) + " of 3]";
    };
    Launch(file);
    HWND frame = WaitForViewerTitled(title(1));
    ASSERT_NE(frame, nullptr) << "no viewer titled " << title(1);
    for (int page : {2, 3, 3}) {
        Command(frame, ID_VIEW_NEXT_PAGE);
        EXPECT_TRUE(WaitForTitle(frame, title(page))) << Title(frame);
    }

    RefuseThenAccept(frame, ID_VIEW_GOTO_PAGE, "Goto Page", 1102, "4",
                     "Value must be between 1 and 3", "1");
    EXPECT_TRUE(WaitForTitle(frame, title(1))) << Title(frame);
}

namespace {

// F2 opens the tools' Rename dialog on the shown file: a name another file
// of the folder has and a name no file may have are refused with their
// messages while the dialog stays; a good name renames the file, and the
// title follows.
TEST_F(ViewerProgram, RenameRefusesTakenAndInvalidNamesThenRenamesTheShownFile) {
    const char folder[] = "C:\\vxprename";
    CreateDirectoryA(folder, nullptr);
    for (const char* stale : {"r.bmp", "taken.bmp", "garden.bmp"})
        DeleteFileA(Path(folder, stale).c_str());
    WriteBmp(Path(folder, "r.bmp"), 40, 30, false, [](int, int) { return kRed; });
    WriteBmp(Path(folder, "taken.bmp"), 20, 10, false, [](int, int) { return kBlue; });
    Launch(Path(folder, "r.bmp"));
    HWND frame = WaitForViewerTitled(Path(folder, "r.bmp") + " @ 100% (1 of 2)");
    ASSERT_NE(frame, nullptr);

    Command(frame, ID_FILE_RENAME);
    HWND dialog = WaitForDialog("Rename");
    ASSERT_NE(dialog, nullptr);
    char shown[MAX_PATH] = {};
    GetDlgItemTextA(dialog, IDC_RENAME_EDIT, shown, sizeof shown);
    EXPECT_STREQ(shown, "r.bmp");

    // The extension is added to a name typed without one, so "taken" is
    // taken.bmp.
    SetDlgItemTextA(dialog, IDC_RENAME_EDIT, "taken");
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindWindowA("#32770", "Information")) != nullptr; }));
    char text[256] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_STREQ(text, "File already exists!");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindow(dialog));

    ExpectValueRefused(
        dialog, IDC_RENAME_EDIT, "a?b",
        "A file name cannot be empty or contain any of these characters: \\ / : * ? \" < > |");

    SetDlgItemTextA(dialog, IDC_RENAME_EDIT, "garden");
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(WaitFor([&] { return PathFileExistsA(Path(folder, "garden.bmp").c_str()) != 0; }));
    EXPECT_FALSE(PathFileExistsA(Path(folder, "r.bmp").c_str()));
    EXPECT_TRUE(PathFileExistsA(Path(folder, "taken.bmp").c_str()));
    EXPECT_TRUE(WaitFor([&] { return Title(frame).rfind(Path(folder, "garden.bmp"), 0) == 0; }))
        << Title(frame);
}

} // namespace
