// Black-box tests of how the explorer keeps up with change in the real
// program: files created, deleted and modified by another process reaching the list (a modified
// file with a new thumbnail, the current one also in the preview), the information pane
// describing the current image with its catalogue record and the selection count, the options
// change that makes the thumbnail cache anew, and a pinned pane that stays
// pinned across a restart. The program runs in a Wine prefix of this file's
// own; each case resets the options key and works in a fresh folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <functional>
#include <string>
#include <utility>

#include "tests/support/dialog_script.h"
#include "tests/support/program_driver.h"

namespace {

using namespace program_driver;

const char kExe[] = VXP_APP_EXE;

std::string DataFolder() {
    char path[MAX_PATH];
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path);
    return std::string(path) + "\\Velmorantix\\Velmorantix XP";
}

LRESULT ItemCount(HWND list) {
    return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
}

// Sets the selection state of item `index` (-1: all) of the program's list:
// the item record lives in the program's process.
void SetListedSelection(HWND list, int index, bool selected) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    ASSERT_NE(nullptr, process);
    void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(nullptr, remote);
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(remote));
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
}

// The image index of list item `index`: 0 is the blank tile shown until the
// worker made the item's thumbnail.
int ItemImage(HWND list, int index) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return -1;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    item.iImage = -1;
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, &item, sizeof item, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return item.iImage;
}

// The middle of list item `index`'s tile on the screen; the rectangle is
// asked for in the program's process.
POINT TileMiddle(HWND list, int index) {
    POINT middle{-1, -1};
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return middle;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    RECT r{LVIR_ICON, 0, 0, 0};
    WriteProcessMemory(process, remote, &r, sizeof r, nullptr);
    if (SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(remote)) &&
        ReadProcessMemory(process, remote, &r, sizeof r, nullptr)) {
        middle = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(list, &middle);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return middle;
}

COLORREF TileColour(HWND list, int index) {
    const Rgb c = ScreenPixel(TileMiddle(list, index));
    return RGB(c.r, c.g, c.b);
}

bool AllThumbnailsMade(HWND list) {
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (ItemImage(list, i) <= 0)
            return false;
    return count > 0;
}

// The colour in the middle of the preview, as the screen shows it.
COLORREF PreviewMiddle(HWND preview) {
    RECT r;
    GetWindowRect(preview, &r);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ReleaseDC(nullptr, screen);
    return c;
}

bool Near(COLORREF a, COLORREF b) {
    return abs(GetRValue(a) - GetRValue(b)) < 40 && abs(GetGValue(a) - GetGValue(b)) < 40 &&
           abs(GetBValue(a) - GetBValue(b)) < 40;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class ExplorerUpdates : public ProgramCase {
protected:
    ExplorerUpdates() : ProgramCase(kExe) {}
    void SetUp() override {
        StopRunningCopy();
        SHDeleteKeyA(HKEY_CURRENT_USER, kOptionsKey);
        SetDword("TrayIcon", 0);
        SetDword("ShowWelcome", 0);
        data_ = DataFolder();
        for (const char* f : {"VelmorantixXP.tdb", "Thumbnail.tdb", "Thumbnail.lock"})
            DeleteFileA((data_ + "\\" + f).c_str());
    }
    // Opens the explorer on `folder` and waits for its list to hold `items`
    // with the first one selected.
    HWND OpenExplorer(const std::string& folder, int items) {
        Launch(Quoted(folder));
        HWND frame = nullptr;
        const std::string title = "Velmorantix XP - " + folder.substr(folder.rfind('\\') + 1);
        EXPECT_TRUE(WaitFor([&] {
            frame = VisibleMainFrame();
            return frame && WindowText(frame) == title;
        })) << (frame ? WindowText(frame) : "no explorer");
        if (!frame)
            return nullptr;
        list_ = FindInExplorer(frame, 10002);
        info_ = FindInExplorer(frame, 10004);
        preview_ = FindInExplorer(frame, 10003);
        EXPECT_TRUE(list_ && WaitFor([&] { return ItemCount(list_) == items; }))
            << (list_ ? ItemCount(list_) : -1);
        EXPECT_TRUE(WaitFor([&] {
            return SendMessageA(list_, LVM_GETITEMSTATE, 0, LVIS_SELECTED) == LVIS_SELECTED;
        }));
        return frame;
    }
    // The information pane's text: header, "Label: value" rows, status.
    std::string Pane() const { return info_ ? WindowText(info_) : ""; }
    bool WaitForPane(const std::function<bool(const std::string&)>& check) const {
        return WaitFor([&] { return check(Pane()); }, 15000);
    }

    std::string data_;
    HWND list_ = nullptr;
    HWND info_ = nullptr;
    HWND preview_ = nullptr;
};

TEST_F(ExplorerUpdates, FilesCreatedAndDeletedOutsideReachTheListAndThePaneCount) {
    const std::string folder = FreshTempFolder("vxp-upd-outside");
    WriteAll(folder + "\\a.bmp", BmpFile(64, 64, RGB(255, 0, 0)));
    WriteAll(folder + "\\b.bmp", BmpFile(64, 64, RGB(0, 0, 255)));
    HWND frame = OpenExplorer(folder, 2);
    ASSERT_NE(nullptr, frame);
    KeepOnTop(frame);
    ASSERT_TRUE(WaitFor([&] { return Near(PreviewMiddle(preview_), RGB(255, 0, 0)); }))
        << "a.bmp is in the preview";

    struct Step {
        const char* what;
        std::function<void()> act;
        std::function<bool()> shows;
    } const steps[] = {
        {"a file created outside appears in the list",
         [&] { WriteAll(folder + "\\c.bmp", BmpFile(32, 32, RGB(0, 160, 0))); },
         [&] { return ItemCount(list_) == 3; }},
        {"the list keeps the current item", [] {},
         [&] {
             return ItemCount(list_) == 3 &&
                    SendMessageA(list_, LVM_GETITEMSTATE, 0, LVIS_SELECTED) == LVIS_SELECTED;
         }},
        {"a file deleted outside leaves the list",
         [&] { DeleteFileA((folder + "\\b.bmp").c_str()); }, [&] { return ItemCount(list_) == 2; }},
        {"the current item stays in the preview", [] {},
         [&] { return Near(PreviewMiddle(preview_), RGB(255, 0, 0)); }},
        {"the pane counts the items that are left", [] {},
         [&] { return Contains(Pane(), "1 of 2"); }},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_TRUE(WaitFor(step.shows, 15000))
            << step.what << "; preview 0x" << std::hex << PreviewMiddle(preview_) << std::dec
            << "; pane: " << Pane();
    }
}

TEST_F(ExplorerUpdates, FilesModifiedOutsideGetNewThumbnailsAndTheCurrentOneANewPreview) {
    const std::string folder = FreshTempFolder("vxp-upd-modified");
    WriteAll(folder + "\\a.bmp", BmpFile(64, 64, RGB(255, 0, 0)));
    WriteAll(folder + "\\b.bmp", BmpFile(64, 64, RGB(0, 0, 255)));
    HWND frame = OpenExplorer(folder, 2);
    ASSERT_NE(nullptr, frame);
    KeepOnTop(frame);
    ASSERT_TRUE(WaitFor([&] { return AllThumbnailsMade(list_); }, 20000));
    ASSERT_TRUE(WaitFor([&] {
        return Near(TileColour(list_, 1), RGB(0, 0, 255)) &&
               Near(PreviewMiddle(preview_), RGB(255, 0, 0));
    })) << "tile of b.bmp 0x"
        << std::hex << TileColour(list_, 1);
    // The current item's tile is drawn selected: only its change is looked for.
    const COLORREF selectedRed = TileColour(list_, 0);

    struct Step {
        const char* what;
        std::function<void()> act;
        std::function<bool()> shows;
    } const steps[] = {
        {"a file rewritten outside gets a new thumbnail",
         [&] { WriteAll(folder + "\\b.bmp", BmpFile(64, 64, RGB(0, 160, 0))); },
         [&] { return Near(TileColour(list_, 1), RGB(0, 160, 0)); }},
        {"the current file rewritten outside shows anew in the preview",
         [&] { WriteAll(folder + "\\a.bmp", BmpFile(64, 64, RGB(255, 255, 0))); },
         [&] { return Near(PreviewMiddle(preview_), RGB(255, 255, 0)); }},
        {"and gets a new thumbnail too", [] {},
         [&] { return TileColour(list_, 0) != selectedRed; }},
        {"the list keeps its items and the current one", [] {},
         [&] {
             return ItemCount(list_) == 2 &&
                    SendMessageA(list_, LVM_GETITEMSTATE, 0, LVIS_SELECTED) == LVIS_SELECTED;
         }},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_TRUE(WaitFor(step.shows, 15000))
            << step.what << "; tiles 0x" << std::hex << TileColour(list_, 0) << " 0x"
            << TileColour(list_, 1) << "; preview 0x" << PreviewMiddle(preview_);
    }
}

TEST_F(ExplorerUpdates, ThePaneShowsTheCatalogueRecordAndTheSelectionCount) {
    const std::string folder = FreshTempFolder("vxp-upd-pane");
    // An evening sky over a dark field, so that a screenshot shows a picture.
    WriteBmp(folder + "\\a.bmp", 320, 240, false, [](int x, int y) {
        return y > 170 ? Rgb{40, uint8_t(70 + x / 8), 30}
                       : Rgb{uint8_t(250 - y / 2), uint8_t(120 + y / 2), uint8_t(60 + y)};
    });
    WriteAll(folder + "\\b.bmp", BmpFile(20, 10, RGB(0, 0, 255)));
    HWND frame = OpenExplorer(folder, 2);
    ASSERT_NE(nullptr, frame);

    // Without a record: the image's own facts only.
    ASSERT_TRUE(WaitForPane([](const std::string& p) { return Contains(p, "Filename: a.bmp"); }))
        << Pane();
    struct Row {
        const char* text;
        bool present;
    } const plain[] = {
        {"1 of 2", true},          {"Dimensions: 320 x 240", true},
        {"Colors: 24 Bits", true}, {"Type:", true},
        {"Modified:", true},       {"File size:", true},
        {"Artist:", false},        {"Keywords:", false},
        {"Description:", false},   {"Taken:", false},
        {"Pages:", false},         {"object selected", false},
    };
    for (const Row& row : plain)
        EXPECT_EQ(row.present, Contains(Pane(), row.text)) << row.text << " in " << Pane();

    // Image Properties stores a record; the pane shows it at once.
    PostMessageA(frame, WM_COMMAND, MAKEWPARAM(10008, 0), 0);
    HWND sheet = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        sheet = FindWindowA("#32770", "Image Properties");
        return sheet && IsWindowVisible(sheet);
    }));
    HWND page = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        page = PropSheet_GetCurrentPageHwnd(sheet);
        return page && GetDlgItem(page, 1044);
    }));
    SetDlgItemTextA(page, 1044, "Ann Example");
    SetDlgItemTextA(page, 1060, "sea, sun");
    SetDlgItemTextA(page, 1042, "A long afternoon by the sea.");
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(sheet); }));
    EXPECT_TRUE(WaitForPane([](const std::string& p) {
        return Contains(p, "Artist: Ann Example") && Contains(p, "Keywords: sea, sun") &&
               Contains(p, "Description: A long afternoon by the sea.");
    })) << Pane();
    // The record's rows sit in their places: Artist right after Filename.
    EXPECT_TRUE(Contains(Pane(), "Filename: a.bmp\r\nArtist: Ann Example\r\nDimensions:"))
        << Pane();

    // Two selected items show the count; one shows none.
    SetListedSelection(list_, 1, true);
    EXPECT_TRUE(WaitForPane([](const std::string& p) {
        return p.size() >= 17 && p.compare(p.size() - 17, 17, "2 object selected") == 0;
    })) << Pane();
    KeepOnTop(frame);
    testsupport::MaybeScreenshot(frame, "explorer_pane");
    SetListedSelection(list_, 1, false);
    EXPECT_TRUE(WaitForPane([](const std::string& p) { return !Contains(p, "object selected"); }))
        << Pane();

    // The record is the catalogue's: another start shows it again.
    PostMessageA(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([] { return TopLevel("MainFrame").empty(); }, 15000));
    StopRunningCopy();
    frame = OpenExplorer(folder, 2);
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(WaitForPane([](const std::string& p) {
        return Contains(p, "Filename: a.bmp") && Contains(p, "Artist: Ann Example");
    })) << Pane();
}

TEST_F(ExplorerUpdates, AThumbnailSizeChangeMakesTheCacheAnewAndTheThumbnailsAgain) {
    const std::string folder = FreshTempFolder("vxp-upd-cache");
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
        WriteAll(folder + "\\" + name, BmpFile(48, 48, RGB(30, 90, 200)));
    HWND frame = OpenExplorer(folder, 3);
    ASSERT_NE(nullptr, frame);
    const std::string cache = data_ + "\\Thumbnail.tdb";
    // The program keeps the cache open without sharing it: its size and
    // last write are what can be seen from outside.
    auto facts = [&] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExA(cache.c_str(), GetFileExInfoStandard, &data))
            return std::make_pair(-1ll, 0ull);
        const unsigned long long written =
            (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
            data.ftLastWriteTime.dwLowDateTime;
        return std::make_pair(static_cast<long long>(data.nFileSizeLow), written);
    };
    // The worker makes the three thumbnails and stores them in the cache.
    ASSERT_TRUE(WaitFor([&] { return AllThumbnailsMade(list_); }, 20000));
    ASSERT_TRUE(WaitFor([&] { return facts().first > 4096; }, 20000)) << facts().first;
    const std::pair<long long, unsigned long long> filled = facts();

    const UINT optionsChanged = RegisterWindowMessageA("OptionsChanged");
    DWORD_PTR answer = 0;
    ASSERT_NE(0, SendMessageTimeoutA(frame, optionsChanged, 2, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_NE(filled.second, facts().second) << "the cache was not written anew";
    // The list keeps its items and makes every thumbnail again.
    EXPECT_EQ(3, ItemCount(list_));
    EXPECT_TRUE(WaitFor([&] { return AllThumbnailsMade(list_); }, 20000));
    EXPECT_TRUE(WaitFor([&] { return facts().first >= filled.first; }, 20000));
    EXPECT_TRUE(IsWindow(frame));
}

// The pane records are read back from the registry; a pinned pane carries
// the pinned-away bit in its side value.
DWORD StoredPaneSide(const char* pane) {
    return StoredNumber((std::string(pane) + "PaneDockedSide").c_str());
}

// How far the Folders pane sits from the frame's client edge.
int FoldersLeft(HWND frame) {
    HWND folders = FindInExplorer(frame, 0, "Folders");
    RECT r{};
    GetWindowRect(folders, &r);
    POINT origin{0, 0};
    ClientToScreen(frame, &origin);
    return r.left - origin.x;
}

TEST_F(ExplorerUpdates, PinnedPanesComeBackPinnedAndNotSlidOut) {
    const std::string folder = FreshTempFolder("vxp-upd-pinned");
    WriteAll(folder + "\\a.bmp", BmpFile(32, 32, RGB(255, 0, 0)));
    HWND frame = OpenExplorer(folder, 1);
    ASSERT_NE(nullptr, frame);
    const int unpinnedLeft = FoldersLeft(frame);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([] { return TopLevel("MainFrame").empty(); }, 15000));
    StopRunningCopy();
    // The Properties and Metadata box pinned away, as its pin button leaves
    // both records.
    constexpr DWORD kPinnedAway = 0x20;
    const char* const pinned[] = {"Properties", "Metadata"};
    DWORD sides[2];
    for (int i = 0; i < 2; ++i) {
        sides[i] = StoredPaneSide(pinned[i]);
        ASSERT_NE(0xDEADBEEFu, sides[i]) << "the default layout was stored: " << pinned[i];
        SetDword((std::string(pinned[i]) + "PaneDockedSide").c_str(), sides[i] | kPinnedAway);
    }

    for (int start = 0; start < 2; ++start) {
        frame = OpenExplorer(folder, 1);
        ASSERT_NE(nullptr, frame) << "start " << start;
        HWND folders = FindInExplorer(frame, 0, "Folders");
        ASSERT_NE(nullptr, folders);
        EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(folders) != 0; })) << "start " << start;
        // The first idle passes send the pinned batch to its bar, along the
        // left edge, which pushes the Folders pane to the right.
        EXPECT_TRUE(WaitFor([&] { return FoldersLeft(frame) > unpinnedLeft + 8; }))
            << "a bar holds the pinned panes: " << FoldersLeft(frame) << " vs " << unpinnedLeft
            << "; start " << start;
        for (const char* name : pinned) {
            HWND pane = FindInExplorer(frame, 0, name);
            EXPECT_TRUE(!pane || !IsWindowVisible(pane))
                << name << " is not slid out; start " << start;
        }
        PostMessageA(frame, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitFor([] { return TopLevel("MainFrame").empty(); }, 15000));
        StopRunningCopy();
        for (int i = 0; i < 2; ++i)
            EXPECT_TRUE(StoredPaneSide(pinned[i]) & kPinnedAway)
                << pinned[i] << " stays pinned; start " << start;
    }
}

} // namespace
