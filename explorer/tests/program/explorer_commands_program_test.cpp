// Black-box tests of the explorer's file, edit and view commands in the real
// program: selection, delete, view modes and sorting, a new folder, copy and
// paste of files between folders, and a clipboard picture pasted as a new
// numbered file. The program runs in a Wine prefix of this file's own; each
// case resets the options key and works in a fresh folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "tests/support/program_driver.h"

namespace {

using namespace program_driver;

const char kExe[] = VXP_APP_EXE;

// A packed 24-bit device-independent bitmap of one colour: a BMP file
// without its file header.
std::string PackedDib(int w, int h, COLORREF colour) {
    return BmpFile(w, h, colour).substr(sizeof(BITMAPFILEHEADER));
}

bool PutOnClipboard(UINT format, const std::string& bytes) {
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    const bool placed = SetClipboardData(format, block) != nullptr;
    CloseClipboard();
    return placed;
}

// Three bitmaps of different sizes: a.bmp smallest, c.bmp largest.
std::string MakePictureFolder(const std::string& name) {
    const std::string folder = FreshTempFolder(name);
    WriteAll(folder + "\\a.bmp", BmpFile(16, 16, RGB(255, 0, 0)));
    WriteAll(folder + "\\b.bmp", BmpFile(32, 32, RGB(0, 0, 255)));
    WriteAll(folder + "\\c.bmp", BmpFile(48, 48, RGB(0, 160, 0)));
    return folder;
}

LRESULT ItemCount(HWND list) {
    return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
}
LRESULT SelectedCount(HWND list) {
    return SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0);
}
bool Selected(HWND list, int item) {
    return SendMessageA(list, LVM_GETITEMSTATE, item, LVIS_SELECTED) != 0;
}

class ExplorerCommands : public ProgramCase {
protected:
    ExplorerCommands() : ProgramCase(kExe) {}
    void SetUp() override {
        StopRunningCopy();
        SHDeleteKeyA(HKEY_CURRENT_USER, kOptionsKey);
        SetDword("TrayIcon", 0);
        SetDword("ShowWelcome", 0);
        // The shell's own confirmation would wait for a click.
        SetDword("ExplorerConfirmDeletion", 0);
    }
    // Opens the explorer on `folder` and waits for its list to hold `items`.
    HWND OpenExplorer(const std::string& folder, int items) {
        Launch(Quoted(folder));
        HWND frame = nullptr;
        const std::string title = "Velmorantix XP - " + folder.substr(folder.rfind('\\') + 1);
        EXPECT_TRUE(WaitFor([&] {
            frame = VisibleMainFrame();
            return frame && WindowText(frame) == title;
        })) << (frame ? WindowText(frame) : "no explorer");
        list_ = frame ? FindInExplorer(frame, 10002) : nullptr;
        EXPECT_TRUE(list_ && WaitFor([&] { return ItemCount(list_) == items; }))
            << (list_ ? ItemCount(list_) : -1);
        return frame;
    }

    HWND list_ = nullptr;
};

TEST_F(ExplorerCommands, InvertSelectionAndDeleteRemoveTheChosenThumbnailsFromFolderAndList) {
    const std::string folder = MakePictureFolder("vxp-cmd-delete");
    HWND frame = OpenExplorer(folder, 3);
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(WaitFor([&] { return Selected(list_, 0); })) << "the first item starts selected";

    SendMessageA(frame, WM_COMMAND, 340, 0); // Invert Selection
    EXPECT_EQ(2, SelectedCount(list_));
    SendMessageA(frame, WM_COMMAND, 340, 0);
    EXPECT_EQ(1, SelectedCount(list_));
    EXPECT_TRUE(Selected(list_, 0));
    SendMessageA(frame, WM_COMMAND, 340, 0);
    ASSERT_EQ(2, SelectedCount(list_));
    EXPECT_FALSE(Selected(list_, 0));

    // The list's own Delete: the toolbar's (311) goes to whichever of the
    // tree and the list has or last had the focus, and on a fresh start the
    // tree may have it. That choice is the native command-target table's.
    SendMessageA(frame, WM_COMMAND, 106, 0);
    // The recycle bin's shell operation is slow when the machine is busy.
    EXPECT_TRUE(
        WaitFor([&] { return !Exists(folder + "\\b.bmp") && !Exists(folder + "\\c.bmp"); }, 30000));
    EXPECT_TRUE(Exists(folder + "\\a.bmp")) << "the unselected file stays";
    EXPECT_TRUE(WaitFor([&] { return ItemCount(list_) == 1; })) << ItemCount(list_);
}

TEST_F(ExplorerCommands, SelectAllAndViewSwitchesChangeTheListAndSortingIsKeptInTheOptions) {
    const std::string folder = MakePictureFolder("vxp-cmd-view");
    HWND frame = OpenExplorer(folder, 3);
    ASSERT_NE(nullptr, frame);
    SendMessageA(frame, WM_COMMAND, 57642, 0); // Select All
    EXPECT_EQ(3, SelectedCount(list_));
    auto type = [&] { return GetWindowLongA(list_, GWL_STYLE) & LVS_TYPEMASK; };
    SendMessageA(frame, WM_COMMAND, 32833, 0); // List
    EXPECT_EQ(LVS_REPORT, type());
    SendMessageA(frame, WM_COMMAND, 32832, 0); // Thumbnail
    EXPECT_EQ(LVS_ICON, type());

    // Sorting by size, descending, refills the list with the same items.
    SendMessageA(frame, WM_COMMAND, 315, 0);
    SendMessageA(frame, WM_COMMAND, 319, 0);
    EXPECT_TRUE(WaitFor([&] { return ItemCount(list_) == 3; }));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([] { return VisibleMainFrame() == nullptr; }));
    StopRunningCopy();
    EXPECT_EQ(2u, StoredNumber("SortBy", 0));
    EXPECT_EQ(2u, StoredNumber("SortOrder", 0));
}

TEST_F(ExplorerCommands, NewFolderMakesNewFolderThenNewFolderOne) {
    const std::string folder = MakePictureFolder("vxp-cmd-newfolder");
    HWND frame = OpenExplorer(folder, 3);
    ASSERT_NE(nullptr, frame);
    SendMessageA(frame, WM_COMMAND, 32848, 0);
    EXPECT_TRUE(WaitFor([&] { return PathIsDirectoryA((folder + "\\New Folder").c_str()); }));
    // The new folder is selected; Back returns to the folder that holds it.
    SendMessageA(frame, WM_COMMAND, 41406, 0);
    SendMessageA(frame, WM_COMMAND, 32848, 0);
    EXPECT_TRUE(WaitFor([&] { return PathIsDirectoryA((folder + "\\New Folder (1)").c_str()); }));
    EXPECT_EQ(0, ItemCount(list_)) << "the new, empty folder is selected and shown";
}

TEST_F(ExplorerCommands, CopiedFilesArePastedIntoAnotherFolderAndDuplicatedInTheirOwn) {
    const std::string source = MakePictureFolder("vxp-cmd-copy-from");
    const std::string target = FreshTempFolder("vxp-cmd-copy-to");
    HWND frame = OpenExplorer(source, 3);
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(WaitFor([&] { return Selected(list_, 0); }));
    SendMessageA(frame, WM_COMMAND, 57634, 0); // Copy a.bmp

    // Pasted in its own folder, the file is duplicated beside itself.
    SendMessageA(frame, WM_COMMAND, 57637, 0);
    EXPECT_TRUE(WaitFor([&] { return ItemCount(list_) == 4; })) << ItemCount(list_);
    EXPECT_TRUE(Exists(source + "\\a.bmp"));

    frame = OpenExplorer(target, 0);
    ASSERT_NE(nullptr, frame);
    SendMessageA(frame, WM_COMMAND, 57637, 0);
    EXPECT_TRUE(WaitFor([&] { return Exists(target + "\\a.bmp"); }));
    EXPECT_EQ(ReadAll(source + "\\a.bmp"), ReadAll(target + "\\a.bmp"));
    EXPECT_TRUE(WaitFor([&] { return ItemCount(list_) == 1; })) << ItemCount(list_);
}

TEST_F(ExplorerCommands, AClipboardPictureIsPastedUnderTheNextFreeNumberOfTheOutputType) {
    // A folder whose name holds format directives, and a prefix that does.
    const std::string folder = FreshTempFolder("vxp-cmd 100% %s%n");
    SetDword("OutuptSettingEncoderType", 3); // PNG
    SetText("OutuptSettingFilenamePrefix", "P%d");
    SetDword("OutuptSettingSequenceStartAt", 1);
    WriteAll(folder + "\\P%d00001.png", std::string("taken"));
    HWND frame = OpenExplorer(folder, 1);
    ASSERT_NE(nullptr, frame);

    ASSERT_TRUE(PutOnClipboard(CF_DIB, PackedDib(8, 4, RGB(10, 200, 30))));
    SendMessageA(frame, WM_COMMAND, 57637, 0);
    const std::string written = folder + "\\P%d00002.png";
    EXPECT_TRUE(WaitFor([&] { return Exists(written); }));
    EXPECT_EQ(std::string("\x89PNG", 4), ReadAll(written).substr(0, 4));
    EXPECT_EQ("taken", ReadAll(folder + "\\P%d00001.png")) << "the existing file is kept";
    EXPECT_TRUE(WaitFor([&] { return ItemCount(list_) == 2; })) << ItemCount(list_);

    // A lying bitmap header is refused with a message, and nothing is written.
    std::string lying = PackedDib(8, 4, RGB(0, 0, 0));
    const LONG huge = 0x7FFFFFFF;
    memcpy(&lying[4], &huge, 4);
    ASSERT_TRUE(PutOnClipboard(CF_DIB, lying));
    PostMessageA(frame, WM_COMMAND, 57637, 0);
    std::string text;
    HWND box = FindMessageBox("Failed!", &text);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("The picture on the clipboard cannot be read.", text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([] { return FindWindowA("#32770", "Failed!") == nullptr; }));
    EXPECT_FALSE(Exists(folder + "\\P%d00003.png"));
    EXPECT_EQ(2, ItemCount(list_));
}

} // namespace

namespace {

HWND OpenMenuWindow() {
    for (HWND h : TopLevel("#32768"))
        if (IsWindowVisible(h))
            return h;
    return nullptr;
}

// A right click at a point of the list's client area; the menu it opens.
HWND RightClick(HWND list, int x, int y) {
    // The menu opens where the mouse is, so the mouse goes there first.
    POINT screen{x, y};
    ClientToScreen(list, &screen);
    SetCursorPos(screen.x, screen.y);
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, at);
    PostMessageA(list, WM_RBUTTONUP, 0, at);
    HWND menu = nullptr;
    WaitFor([&] { return (menu = OpenMenuWindow()) != nullptr; });
    return menu;
}

// With VXP_MENU_SHOT set, the open menu is held a while and a marker file
// tells the screenshot script when to take its picture.
void HoldForPicture(const char* name) {
    char wanted[8] = "";
    if (!GetEnvironmentVariableA("VXP_MENU_SHOT", wanted, sizeof wanted))
        return;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    WriteAll(std::string(temp) + name, "open");
    Sleep(4000);
}

// What the menus hold per list kind and click position is the rules' table
// test; here the real clicks open them and Esc closes them again.
TEST_F(ExplorerCommands, ARightClickOpensTheMenuOfAThumbnailOrOfTheListBackground) {
    const std::string folder = MakePictureFolder("vxp-cmd-menu");
    HWND frame = OpenExplorer(folder, 3);
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(WaitFor([&] { return Selected(list_, 0); }));
    SetForegroundWindow(frame);

    RECT client{};
    GetClientRect(list_, &client);
    HWND menu = RightClick(list_, client.right - 8, client.bottom - 8);
    ASSERT_NE(nullptr, menu) << "a menu beside the thumbnails";
    HoldForPicture("vxp-menu-background");
    PostMessageA(frame, WM_CANCELMODE, 0, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitFor([] { return OpenMenuWindow() == nullptr; }));

    menu = RightClick(list_, 30, 30);
    ASSERT_NE(nullptr, menu) << "a menu on the first thumbnail";
    HoldForPicture("vxp-menu-item");
    PostMessageA(frame, WM_CANCELMODE, 0, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([] { return OpenMenuWindow() == nullptr; }, 30000));
}

} // namespace

namespace {

std::vector<HWND> VisibleViewers() {
    std::vector<HWND> shown;
    for (HWND h : TopLevel("ImageFrame"))
        if (IsWindowVisible(h))
            shown.push_back(h);
    return shown;
}

void CloseViewers() {
    for (HWND viewer : TopLevel("ImageFrame"))
        PostMessageA(viewer, WM_CLOSE, 0, 0);
    WaitFor([] { return TopLevel("ImageFrame").empty(); });
}

TEST_F(ExplorerCommands, OpenNewViewerOpensOneViewerPerSelectedItem) {
    const std::string folder = MakePictureFolder("vxp-cmd-viewers");
    HWND frame = OpenExplorer(folder, 3);
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(WaitFor([&] { return Selected(list_, 0); }));
    SendMessageA(frame, WM_COMMAND, 340, 0); // b.bmp and c.bmp
    ASSERT_EQ(2, SelectedCount(list_));
    SendMessageA(frame, WM_COMMAND, 32808, 0);
    EXPECT_TRUE(WaitFor([] { return VisibleViewers().size() == 2; })) << VisibleViewers().size();
    std::string titles;
    for (HWND viewer : VisibleViewers())
        titles += WindowText(viewer) + "|";
    EXPECT_NE(std::string::npos, titles.find("b.bmp")) << titles;
    EXPECT_NE(std::string::npos, titles.find("c.bmp")) << titles;
    CloseViewers();
}

TEST_F(ExplorerCommands, TheSlideShowOverTheFolderAndItsSubfoldersPlaysInANewViewer) {
    SetDword("SlideShowFullscreen", 0);
    SetDword("SlideShowDelay", 300);
    SetDword("SlideShowPlay", 1);
    const std::string folder = MakePictureFolder("vxp-cmd-slides");
    CreateDirectoryA((folder + "\\deeper").c_str(), nullptr);
    WriteAll(folder + "\\deeper\\d.bmp", BmpFile(20, 20, RGB(200, 200, 0)));
    HWND frame = OpenExplorer(folder, 3);
    ASSERT_NE(nullptr, frame);

    PostMessageA(frame, WM_COMMAND, 32826, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = FindWindowA("#32770", "Slide Show")) != nullptr; }));
    // The window exists before its initialisation has filled the scopes.
    HWND play = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        play = GetDlgItem(dialog, 1151);
        return SendMessageA(play, CB_GETCOUNT, 0, 0) == 2;
    })) << "a folder list offers two scopes";
    EXPECT_EQ(1, SendMessageA(play, CB_GETCURSEL, 0, 0));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);

    // The viewer walks the four images of the folder and its subfolder.
    HWND viewer = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<HWND> shown = VisibleViewers();
        viewer = shown.empty() ? nullptr : shown.front();
        return viewer != nullptr;
    }));
    EXPECT_TRUE(
        WaitFor([&] { return WindowText(viewer).find("d.bmp") != std::string::npos; }, 15000))
        << "the subfolder's picture comes up; now " << WindowText(viewer);
    CloseViewers();
}

} // namespace

namespace {

// The client point of the tree's selected row: its rows are counted from
// the first visible one, at the left edge (beside the item itself).
POINT SelectedRowPoint(HWND tree) {
    const int height = static_cast<int>(SendMessageA(tree, TVM_GETITEMHEIGHT, 0, 0));
    const LPARAM caret = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    LPARAM item = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0);
    int row = 0;
    while (item && item != caret && row < 200) {
        item = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, item);
        ++row;
    }
    return POINT{2, row * height + height / 2};
}

TEST_F(ExplorerCommands, TheTreeMenuOfTheShownFolderCreatesANewFolderInIt) {
    const std::string folder = MakePictureFolder("vxp-cmd-treemenu");
    HWND frame = OpenExplorer(folder, 3);
    ASSERT_NE(nullptr, frame);
    HWND tree = FindInExplorer(frame, 10001);
    ASSERT_NE(nullptr, tree);
    SetForegroundWindow(frame);
    const POINT row = SelectedRowPoint(tree);
    HWND menu = RightClick(tree, row.x, row.y);
    ASSERT_NE(nullptr, menu) << "a menu on the tree's folder";
    HoldForPicture("vxp-menu-tree");
    // The first entry is Create New Folder.
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitFor([&] { return PathIsDirectoryA((folder + "\\New Folder").c_str()); }));
    EXPECT_TRUE(WaitFor([] { return OpenMenuWindow() == nullptr; }));
}

} // namespace
