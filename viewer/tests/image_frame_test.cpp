// The viewer frame in this process: folder listing and the title, stepping
// with the update rules, the mouse wheel, reading a file that changed on
// disk, sizing to the image, volume removal and list changes that close it,
// the clipboard copy of an indexed image, a save that fails keeping the
// viewer open and its file intact, an unreadable file, and the message filter that keeps each
// frame's shortcuts to itself, the walk over every menu item and toolbar
// button that finds none enabled without a handler, Marquee Setting, and
// the comparison of the resources' commands with the handlers of the maps.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <dbt.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/app_module.h"
#include "imaging/image_object.h"
#include "resources/resource.h"
#include "viewer/image_frame.h"
#include "viewer/tests/frame_test_support.h"

namespace {

const char kFolder[] = "C:\\vxpframe";

std::string Path(const char* name) {
    return std::string(kFolder) + "\\" + name;
}

using namespace frame_test;

std::string Listed(const char* name, int percent, int index, int count) {
    return Path(name) + " @ " + std::to_string(percent) + "% (" + std::to_string(index) + " of " +
           std::to_string(count) + ")";
}

class ImageFrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CreateDirectoryA(kFolder, nullptr);
        WriteBmp(Path("a.bmp"), 200, 100, 24, {},
                 [](int x, int) { return x < 100 ? 0xFF0000u : 0x0000FFu; });
        WriteBmp(Path("b.bmp"), 60, 40, 24, {}, [](int, int) { return 0x00C800u; });
        // c.bmp: 8 bits, three colours, every row a different index pattern.
        WriteBmp(Path("c.bmp"), 5, 3, 8, {0x000000u, 0x102030u, 0xA0B0C0u},
                 [](int x, int y) { return static_cast<uint32_t>((x + y) % 3); });
    }

    void SetUp() override {
        CAppOptions& o = g_applicationState.Options();
        o.viewerRepeat = false;
        o.viewerZoomType = 0;
        o.viewerResizeFitImage = false;
        o.viewerSaveConfirmation = false;
        o.viewerShowToolbar = true;
        o.viewerBackgroundClr = RGB(125, 158, 192);
        o.viewerCacheBehind = false;
        o.viewerPreload = false;
        o.sortOrder = 1; // ascending
        o.sortBy = 1;    // by name
    }

    void TearDown() override {
        for (CImageFrame* frame : m_frames) {
            if (IsWindow(m_windows[frame]))
                DestroyWindow(m_windows[frame]);
        }
        PumpFor(100);
        g_applicationState.WithViewerList(
            [](std::vector<CImageFrame*>& viewers) { viewers.clear(); });
    }

    // A viewer showing `name` of the test folder, once listed.
    CImageFrame* OpenViewer(const char* name, int index, int count) {
        return OpenViewerOn(Path(name), Listed(name, 100, index, count));
    }

    // A viewer on the file at `path`, once its title is `expected`.
    CImageFrame* OpenViewerOn(const std::string& path, const std::string& expected) {
        auto* frame = new CImageFrame;
        HWND window = frame->CreateViewer();
        EXPECT_NE(window, nullptr);
        if (!window) {
            delete frame;
            return nullptr;
        }
        { g_applicationState.AddViewer(frame); }
        m_frames.push_back(frame);
        m_windows[frame] = window;
        MoveWindow(window, 50, 50, 600, 400, TRUE);
        ShowWindow(window, SW_SHOW);
        frame->LoadFolderList(path.c_str());
        EXPECT_TRUE(PumpUntil([&] { return Title(window) == expected; })) << Title(window);
        return frame;
    }

    ViewerTestHost m_host;
    std::vector<CImageFrame*> m_frames;
    std::map<CImageFrame*, HWND> m_windows;
};

// Disabled by the update rules (a command they do not know is never disabled).
bool Disabled(CImageFrame* frame, int id) {
    const DWORD state = frame->UIGetState(id);
    return state != static_cast<DWORD>(-1) && (state & UPDUI_DISABLED) != 0;
}

TEST_F(ImageFrameTest, StepsThroughItsFolderWithTheUpdateRules) {
    CImageFrame* frame = OpenViewer("a.bmp", 1, 3);
    ASSERT_NE(frame, nullptr);
    const char* names[] = {"a.bmp", "b.bmp", "c.bmp"};
    struct Step {
        WORD command;
        bool repeat;
        int index; // expected afterwards
    };
    const Step steps[] = {
        {ID_VIEW_NEXT_IMAGE, false, 1},  {ID_VIEW_LAST_IMAGE, false, 2},
        {ID_VIEW_NEXT_IMAGE, false, 2}, // stays on the last
        {ID_VIEW_NEXT_IMAGE, true, 0},  // wraps to the first
        {ID_VIEW_PREV_IMAGE, false, 0}, // stays on the first
        {ID_VIEW_PREV_IMAGE, true, 2},  // wraps to the last
        {ID_VIEW_FIRST_IMAGE, false, 0},
    };
    for (const Step& step : steps) {
        g_applicationState.Options().viewerRepeat = step.repeat;
        SendMessageA(frame->m_hWnd, WM_COMMAND, step.command, 0);
        const std::string expected = Listed(names[step.index], 100, step.index + 1, 3);
        EXPECT_TRUE(PumpUntil([&] { return Title(frame->m_hWnd) == expected; }))
            << "command " << step.command << ": " << Title(frame->m_hWnd);
        EXPECT_EQ(frame->GetCurrentIndex(), step.index);
    }

    // The rules on the first and on the last item, with and without repeat.
    struct Rule {
        int index;
        bool repeat;
        bool next, previous, first, last; // disabled?
    };
    const Rule rules[] = {
        {0, false, false, true, true, false},
        {0, true, false, false, true, false},
        {2, false, true, false, false, true},
        {2, true, false, false, false, true},
    };
    for (const Rule& rule : rules) {
        g_applicationState.Options().viewerRepeat = rule.repeat;
        frame->SetCurrentIndex(rule.index);
        frame->UpdateToolBar();
        SCOPED_TRACE("index " + std::to_string(rule.index) + (rule.repeat ? " repeat" : ""));
        EXPECT_EQ(Disabled(frame, ID_VIEW_NEXT_IMAGE), rule.next);
        EXPECT_EQ(Disabled(frame, ID_VIEW_PREV_IMAGE), rule.previous);
        EXPECT_EQ(Disabled(frame, ID_VIEW_FIRST_IMAGE), rule.first);
        EXPECT_EQ(Disabled(frame, ID_VIEW_LAST_IMAGE), rule.last);
    }
    // Save needs an edit and arranging two viewers; a shown file of a
    // folder can be deleted and shown in a slide show.
    for (int id : {ID_FILE_SAVE, ID_WINDOW_ARRANGE})
        EXPECT_TRUE(Disabled(frame, id)) << id;
    for (int id : {ID_FILE_DELETE, ID_VIEW_SLIDESHOW, ID_FILE_COPY_TO, ID_FILE_MOVE_TO})
        EXPECT_FALSE(Disabled(frame, id)) << id;
    // The Options sheet is always there to open.
    EXPECT_FALSE(Disabled(frame, ID_VIEW_OPTIONS));
}

TEST_F(ImageFrameTest, TheWheelStepsZoomsOrDoesNothingByItsOption) {
    CImageFrame* frame = OpenViewer("a.bmp", 1, 3);
    ASSERT_NE(frame, nullptr);
    struct Turn {
        WORD keys;
        short delta; // negative: towards the user
        uint32_t option;
        const char* name;
        int percent, index;
    };
    const Turn turns[] = {
        {MK_SHIFT, -120, 0, "a.bmp", 100, 1},  // Shift: left to the default handling
        {0, -120, 0, "b.bmp", 100, 2},         // towards the user: next image
        {0, 120, 0, "a.bmp", 100, 1},          // away: previous image
        {0, -120, 1, "a.bmp", 125, 1},         // option 1: zoom in
        {MK_CONTROL, 120, 0, "a.bmp", 100, 1}, // Ctrl zooms whatever the option
    };
    for (const Turn& turn : turns) {
        g_applicationState.Options().viewerMouseWheel = turn.option;
        SendMessageA(frame->m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(turn.keys, turn.delta), 0);
        const std::string expected = Listed(turn.name, turn.percent, turn.index, 3);
        EXPECT_TRUE(PumpUntil([&] { return Title(frame->m_hWnd) == expected; }, 2000))
            << "keys " << turn.keys << " delta " << turn.delta << ": " << Title(frame->m_hWnd);
    }

    // Option 2 scrolls by 50 pixels from where the picture is now, turn
    // after turn, and stops at the ends.
    CreateDirectoryA("C:\\vxpframe_tall", nullptr);
    const std::string tall = "C:\\vxpframe_tall\\t.bmp";
    WriteBmp(tall, 100, 2000, 24, {}, [](int, int y) { return y < 1000 ? 0x202020u : 0xE0E0E0u; });
    CImageFrame* scroller = OpenViewerOn(tall, tall + " @ 100% (1 of 1)");
    ASSERT_NE(scroller, nullptr);
    g_applicationState.Options().viewerMouseWheel = 2;
    struct Scroll {
        short delta;
        int scrollY; // afterwards
    };
    const Scroll scrolls[] = {{-120, 50}, {-120, 100}, {-120, 150}, {120, 100},
                              {120, 50},  {120, 0},    {120, 0}};
    for (const Scroll& scroll : scrolls) {
        SendMessageA(scroller->m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, scroll.delta), 0);
        PumpFor(20);
        EXPECT_EQ(scroller->GetView().GetCanvas().GetScrollY(), scroll.scrollY)
            << "delta " << scroll.delta;
    }
    g_applicationState.Options().viewerMouseWheel = 0;
}

TEST_F(ImageFrameTest, ActivationReadsAFileThatChangedOnDisk) {
    CreateDirectoryA("C:\\vxpframe_touch", nullptr);
    const std::string path = "C:\\vxpframe_touch\\t.bmp";
    WriteBmp(path, 40, 30, 24, {}, [](int, int) { return 0x808080u; });
    CImageFrame* frame = OpenViewerOn(path, path + " @ 100% (1 of 1)");
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->GetDocument()->width, 40);

    // Activation with the file unchanged keeps the document.
    CImageObject* before = frame->GetDocument();
    SendMessageA(frame->m_hWnd, WM_ACTIVATE, WA_ACTIVE, 0);
    PumpFor(100);
    EXPECT_EQ(frame->GetDocument(), before);

    Sleep(50); // a later write time
    WriteBmp(path, 24, 16, 24, {}, [](int, int) { return 0x404040u; });
    SendMessageA(frame->m_hWnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(PumpUntil([&] {
        CImageObject* document = frame->GetDocument();
        return document && document->headerReady && document->width == 24;
    }));
    EXPECT_TRUE(PumpUntil([&] { return Title(frame->m_hWnd) == path + " @ 100% (1 of 1)"; }))
        << Title(frame->m_hWnd);
}

TEST_F(ImageFrameTest, AViewerThatFitsItsImageShowsItselfAtTheImagesSize) {
    g_applicationState.Options().viewerResizeFitImage = true;
    struct Case {
        const char* path;
        bool readable;
    };
    const Case cases[] = {
        {"C:\\vxpframe\\a.bmp", true},
        {"C:\\vxpframe\\missing.bmp", false}, // no image at all: shown to say so
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto* frame = new CImageFrame;
        HWND window = frame->CreateViewer();
        ASSERT_NE(window, nullptr);
        m_frames.push_back(frame);
        m_windows[frame] = window;
        { g_applicationState.AddViewer(frame); }
        ASSERT_FALSE(IsWindowVisible(window));
        BoxAnswerer answer("Failed!");
        frame->LoadFolderList(c.path);
        EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(window) != FALSE; }));
        PumpFor(200);
        EXPECT_EQ(answer.Texts().empty(), c.readable);
        if (c.readable) {
            // 200 x 100 is below the smallest window: 300 wide, and the
            // height of the picture plus the frame's bars.
            RECT rect{};
            GetWindowRect(window, &rect);
            EXPECT_EQ(rect.right - rect.left, 300);
            RECT work{};
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
            EXPECT_EQ(rect.left, work.left + (work.right - work.left - 300) / 2);
            // The whole picture fits in the view below the bars.
            RECT view{};
            GetClientRect(frame->GetViewWindow(), &view);
            EXPECT_GE(view.bottom, 100);
        }
        DestroyWindow(window);
        PumpFor(50);
    }
}

TEST_F(ImageFrameTest, RemovingTheVolumeOfItsFolderClosesIt) {
    struct Case {
        DWORD mask;
        bool closes;
    };
    const Case cases[] = {
        {1u << 19, false},              // T: is another volume
        {(1u << 19) | (1u << 2), true}, // the lowest bit names the volume: C:
        {1u << 2, true},
    };
    for (const Case& c : cases) {
        CImageFrame* frame = OpenViewer("a.bmp", 1, 3);
        ASSERT_NE(frame, nullptr);
        HWND window = frame->m_hWnd;
        DEV_BROADCAST_VOLUME volume{};
        volume.dbcv_size = sizeof volume;
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        volume.dbcv_unitmask = c.mask;
        EXPECT_EQ(SendMessageA(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
                               reinterpret_cast<LPARAM>(&volume)),
                  TRUE);
        PumpFor(200);
        EXPECT_EQ(IsWindow(window) == FALSE, c.closes) << "mask " << c.mask;
        if (IsWindow(window))
            DestroyWindow(window);
        PumpFor(50);
    }
}

TEST_F(ImageFrameTest, ListChangesThatEndTheListCloseIt) {
    struct Case {
        int code;
        bool ownList;
        bool closes;
    };
    const Case cases[] = {
        {kListChangeFolderRemoved, true, true},
        {kListChangeResultEmptied, true, true},
        {kListChangeFolderRemoved, false, false}, // another list's change
        {kListChangeAdded, true, false},
    };
    for (const Case& c : cases) {
        CImageFrame* frame = OpenViewer("a.bmp", 1, 3);
        ASSERT_NE(frame, nullptr);
        HWND window = frame->m_hWnd;
        CFileItemList other;
        CImageFrame::SendItemListChange(window, c.ownList ? frame->GetItemList() : &other, nullptr,
                                        c.code);
        PumpFor(200);
        EXPECT_EQ(IsWindow(window) == FALSE, c.closes) << "code " << c.code;
        if (IsWindow(window)) {
            EXPECT_EQ(Title(window), Listed("a.bmp", 100, 1, 3));
            DestroyWindow(window);
        }
        PumpFor(50);
    }
}

TEST_F(ImageFrameTest, CopiesAnIndexedImageWithItsPalette) {
    CImageFrame* frame = OpenViewer("c.bmp", 3, 3);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    SendMessageA(frame->m_hWnd, WM_COMMAND, ID_EDIT_COPY, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_DIB);
    ASSERT_NE(data, nullptr);
    std::vector<uint8_t> block(GlobalSize(data));
    std::memcpy(block.data(), GlobalLock(data), block.size());
    GlobalUnlock(data);
    CloseClipboard();

    BITMAPINFOHEADER header;
    ASSERT_GE(block.size(), sizeof header);
    std::memcpy(&header, block.data(), sizeof header);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biHeight, 3);
    EXPECT_EQ(header.biSizeImage, 8u * 3u);
    ASSERT_GE(header.biClrUsed, 3u);
    ASSERT_EQ(block.size(), 40u + 4u * header.biClrUsed + 24u);
    const uint8_t* palette = block.data() + 40;
    const uint8_t* rows = palette + 4 * header.biClrUsed;
    // Bottom row first: row y = 2 has indexes (x + 2) % 3.
    for (int stored = 0; stored < 3; ++stored) {
        const int y = 2 - stored;
        for (int x = 0; x < 5; ++x) {
            const uint8_t index = rows[stored * 8 + x];
            const uint32_t expected = static_cast<uint32_t>((x + y) % 3);
            const uint32_t colours[3] = {0x000000u, 0x102030u, 0xA0B0C0u};
            uint32_t got;
            std::memcpy(&got, palette + 4 * index, 4);
            EXPECT_EQ(got & 0xFFFFFFu, colours[expected]) << "x " << x << " y " << y;
        }
    }
}

TEST_F(ImageFrameTest, AFailedSaveKeepsTheViewerOpenAndTheFileIntact) {
    // A file of its own, held open by another program that lets nobody
    // replace it while it reads.
    CreateDirectoryA("C:\\vxpframe_save", nullptr);
    const std::string path = "C:\\vxpframe_save\\s.bmp";
    WriteBmp(path, 30, 20, 24, {}, [](int x, int) { return x < 15 ? 0x3060C0u : 0xC06030u; });
    const std::string original = ReadFileBytes(path);
    CImageFrame* frame = OpenViewerOn(path, path + " @ 100% (1 of 1)");
    ASSERT_NE(frame, nullptr);
    HWND window = frame->m_hWnd;
    SendMessageA(window, WM_COMMAND, ID_ADJUST_INVERT, 0);
    EXPECT_EQ(Title(window), path + " *  @ 100% (1 of 1)");
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    {
        BoxAnswerer answer("Failed!");
        SendMessageA(window, WM_CLOSE, 0, 0);
        PumpFor(100);
        const std::vector<std::string> texts = answer.Texts();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0], "Cannot save " + path);
    }
    EXPECT_TRUE(IsWindow(window));
    {
        // Saving by the command fails the same way and keeps the edit.
        BoxAnswerer answer("Failed!");
        SendMessageA(window, WM_COMMAND, ID_FILE_SAVE, 0);
        PumpFor(100);
        EXPECT_EQ(answer.Texts().size(), 1u);
    }
    EXPECT_TRUE(frame->GetDocument()->modified);
    CloseHandle(reader);
    EXPECT_EQ(ReadFileBytes(path), original);
    // Nothing was left beside it.
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA("C:\\vxpframe_save\\*", &found);
    int files = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do
            files += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    EXPECT_EQ(files, 1);
    // Free again: closing saves the edit, and the viewer goes.
    SendMessageA(window, WM_CLOSE, 0, 0);
    PumpFor(200);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_NE(ReadFileBytes(path), original);
}

TEST_F(ImageFrameTest, AnUnreadableFileIsReportedAndTheViewerStays) {
    // In a folder of its own, so the other cases keep their three items.
    CreateDirectoryA("C:\\vxpframe_bad", nullptr);
    const std::string bad = "C:\\vxpframe_bad\\broken.bmp";
    HANDLE h = CreateFileA(bad.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, "BM this is no bitmap", 20, &written, nullptr);
    CloseHandle(h);

    auto* frame = new CImageFrame;
    HWND window = frame->CreateViewer();
    ASSERT_NE(window, nullptr);
    m_frames.push_back(frame);
    m_windows[frame] = window;
    { g_applicationState.AddViewer(frame); }
    BoxAnswerer answer("Failed!");
    frame->LoadFolderList(bad.c_str()); // never shown before: it shows itself to tell
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(window) != FALSE; }, 5000));
    PumpFor(300);
    const std::vector<std::string> texts = answer.Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_NE(texts.front().find(bad), std::string::npos) << texts.front();
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(ImageFrameTest, EachFilterTranslatesOnlyItsOwnFramesKeys) {
    CImageFrame* first = OpenViewer("a.bmp", 1, 3);
    CImageFrame* second = OpenViewer("b.bmp", 2, 3);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    MSG key{};
    key.hwnd = second->GetViewWindow();
    key.message = WM_KEYDOWN;
    key.wParam = VK_ADD; // Zoom In
    key.lParam = 1;
    EXPECT_FALSE(first->PreTranslateMessage(&key));
    EXPECT_EQ(Title(first->m_hWnd), Listed("a.bmp", 100, 1, 3));
    EXPECT_TRUE(second->PreTranslateMessage(&key));
    EXPECT_EQ(Title(second->m_hWnd), Listed("b.bmp", 125, 2, 3));
    EXPECT_EQ(Title(first->m_hWnd), Listed("a.bmp", 100, 1, 3));
}

// Answers every dialog box of this process that appears while it lives:
// `answer` runs on the box (on this helper's thread) and names the button
// to press. FindWindowEx reads no text through messages, so the helper never
// waits for the test's thread outside the box's own modal loop.
class DialogAnswerer {
public:
    explicit DialogAnswerer(std::function<int(HWND)> answer) : m_answer(std::move(answer)) {
        m_thread = std::thread([this] {
            while (!m_stop) {
                HWND box = VisibleOwnBox();
                if (box) {
                    PostMessageA(box, WM_COMMAND, m_answer(box), 0);
                    // The box takes its answer before the next look.
                    for (int i = 0; i < 100 && IsWindow(box) && !m_stop; ++i)
                        Sleep(10);
                }
                Sleep(10);
            }
        });
    }
    ~DialogAnswerer() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

private:
    // A modal box shows itself once its WM_INITDIALOG is done; an answer
    // before that would be overwritten by its own set-up.
    static HWND VisibleOwnBox() {
        HWND box = nullptr;
        while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
            DWORD process = 0;
            GetWindowThreadProcessId(box, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(box))
                return box;
        }
        return nullptr;
    }

    std::function<int(HWND)> m_answer;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

std::string MenuText(HMENU menu, UINT position) {
    char text[256] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

struct Reachable {
    int id;
    std::string where;
};

// The enabled commands of `menu` and its popups, each popup brought up to
// date the way opening it does.
void CollectEnabledMenuItems(HWND frame, HMENU menu, const std::string& path,
                             std::vector<Reachable>& found, int& walked) {
    SendMessageA(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info) ||
            (info.fType & MFT_SEPARATOR) != 0)
            continue;
        const std::string where = path + MenuText(menu, static_cast<UINT>(i));
        if (info.hSubMenu) {
            CollectEnabledMenuItems(frame, info.hSubMenu, where + " > ", found, walked);
            continue;
        }
        ++walked;
        if ((info.fState & MFS_DISABLED) == 0)
            found.push_back({static_cast<int>(info.wID), "menu " + where});
    }
}

HWND FindToolBar(CImageFrame* frame) {
    HWND bar = frame->GetRebarWindow();
    char name[64] = {};
    GetClassNameA(bar, name, sizeof name);
    if (lstrcmpiA(name, TOOLBARCLASSNAMEA) == 0)
        return bar;
    return FindWindowExA(bar, nullptr, TOOLBARCLASSNAMEA, nullptr);
}

TEST_F(ImageFrameTest, NoMenuItemOrToolbarButtonIsEnabledWithoutAHandler) {
    CImageFrame* frame = OpenViewer("a.bmp", 1, 3);
    ASSERT_NE(frame, nullptr);
    frame->UpdateToolBar();

    std::vector<Reachable> enabled;
    int walked = 0;
    HMENU menu = frame->GetFrameMenu();
    ASSERT_NE(menu, nullptr);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        HMENU popup = GetSubMenu(menu, i);
        if (popup)
            CollectEnabledMenuItems(frame->m_hWnd, popup,
                                    MenuText(menu, static_cast<UINT>(i)) + " > ", enabled, walked);
    }
    EXPECT_GT(walked, 50);

    HWND toolBar = FindToolBar(frame);
    ASSERT_NE(toolBar, nullptr);
    const int buttons = static_cast<int>(SendMessageA(toolBar, TB_BUTTONCOUNT, 0, 0));
    EXPECT_GT(buttons, 10);
    for (int i = 0; i < buttons; ++i) {
        TBBUTTON button{};
        SendMessageA(toolBar, TB_GETBUTTON, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&button));
        if ((button.fsStyle & BTNS_SEP) != 0 || (button.fsState & TBSTATE_ENABLED) == 0)
            continue;
        const std::string where = "toolbar button " + std::to_string(i);
        enabled.push_back({button.idCommand, where});
        if ((button.fsStyle & BTNS_DROPDOWN) != 0) {
            // Its arrow asks the frame for a menu; nobody answering is a dead click.
            NMTOOLBARA arrow{};
            arrow.hdr.hwndFrom = toolBar;
            arrow.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(toolBar));
            arrow.hdr.code = TBN_DROPDOWN;
            arrow.iItem = button.idCommand;
            // Asked only whether it is answered: a tracked menu would wait.
            CUiCommandProbe probe;
            LRESULT result = 0;
            EXPECT_TRUE(frame->ProcessWindowMessage(frame->m_hWnd, WM_NOTIFY, arrow.hdr.idFrom,
                                                    reinterpret_cast<LPARAM>(&arrow), result, 0))
                << where << " (command " << button.idCommand << "): its arrow reaches no handler";
        }
    }

    // The walk must see what a user sees on the first of three pictures.
    auto has = [&](int id) {
        for (const Reachable& r : enabled)
            if (r.id == id)
                return true;
        return false;
    };
    EXPECT_TRUE(has(ID_VIEW_NEXT_IMAGE));
    EXPECT_TRUE(has(ID_ZOOM_IN));

    // Closing the viewer goes last, so every other command still finds it.
    std::stable_partition(enabled.begin(), enabled.end(),
                          [](const Reachable& r) { return r.id != ID_APP_EXIT; });
    DialogAnswerer cancel([](HWND) { return IDCANCEL; });
    for (const Reachable& r : enabled) {
        // These would take the screen, start a timer, delete the fixture or
        // sort its shared list for every case after, or start the machine's
        // browser: asked whether they reach a handler only.
        const bool probeOnly =
            r.id == ID_VIEW_FULLSCREEN || r.id == ID_VIEW_SLIDESHOW || r.id == ID_FILE_DELETE ||
            r.id == ID_FILE_MOVE_TO || (r.id >= ID_SORT_BY_NAME && r.id <= ID_SORT_DESCENDING) ||
            r.id == ID_HELP_WEB_HOME || r.id == ID_HELP_WEB_SUPPORT || r.id == ID_HELP_WEB_REGISTER;
        std::unique_ptr<CUiCommandProbe> probe;
        if (probeOnly)
            probe = std::make_unique<CUiCommandProbe>();
        LRESULT result = 0;
        // The frame's own message map answers whether any entry took the command.
        EXPECT_TRUE(frame->ProcessWindowMessage(frame->m_hWnd, WM_COMMAND, MAKEWPARAM(r.id, 0), 0,
                                                result, 0))
            << r.where << " (command " << r.id << ") is enabled but reaches no handler";
    }
}

TEST_F(ImageFrameTest, MarqueeSettingShowsItsDialogAndTheViewTakesTheChoice) {
    CAppOptions& options = g_applicationState.Options();
    options.marqueeDimensions = false;
    options.marqueeWidth = 4;
    options.marqueeHeight = 3;
    CImageFrame* frame = OpenViewer("a.bmp", 1, 3);
    ASSERT_NE(frame, nullptr);

    struct Case {
        const char* name;
        int button;
        bool fixed; // afterwards
        UINT width, height;
    };
    const Case cases[] = {
        {"cancel keeps the free selection", IDCANCEL, false, 4, 3},
        {"OK with fixed dimensions fixes the view's selection", IDOK, true, 40, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool sawDialog = false;
        {
            DialogAnswerer answer([&](HWND box) {
                if (!GetDlgItem(box, IDC_MARQUEE_WIDTH))
                    return IDCANCEL;
                sawDialog = true;
                CheckRadioButton(box, IDC_MARQUEE_NO, IDC_MARQUEE_YES, IDC_MARQUEE_YES);
                SetDlgItemInt(box, IDC_MARQUEE_WIDTH, 40, FALSE);
                SetDlgItemInt(box, IDC_MARQUEE_HEIGHT, 30, FALSE);
                return c.button;
            });
            SendMessageA(frame->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_MARQUEE_SETTING, 0), 0);
        }
        EXPECT_TRUE(sawDialog);
        EXPECT_EQ(options.marqueeDimensions, c.fixed);
        EXPECT_EQ(options.marqueeWidth, c.width);
        EXPECT_EQ(options.marqueeHeight, c.height);
        EXPECT_EQ(frame->GetView().GetCanvas().IsAspectFixed(), c.fixed);
    }
    options.marqueeDimensions = false;
}

// Every command of menu and accelerator table 202 and of the toolbar, read
// from the program's own resources.
void CollectMenuCommands(HMENU menu, std::set<int>& commands) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU popup = GetSubMenu(menu, i)) {
            CollectMenuCommands(popup, commands);
            continue;
        }
        const UINT id = GetMenuItemID(menu, i);
        if (id != 0 && id != static_cast<UINT>(-1))
            commands.insert(static_cast<int>(id));
    }
}

std::set<int> ResourceCommands(CImageFrame* frame) {
    std::set<int> commands;
    HINSTANCE module = GetModuleHandleA(nullptr);
    HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(IDR_IMAGEFRAME));
    EXPECT_NE(menu, nullptr);
    if (menu) {
        CollectMenuCommands(menu, commands);
        DestroyMenu(menu);
    }
    HACCEL table = LoadAcceleratorsA(module, MAKEINTRESOURCEA(IDR_IMAGEFRAME));
    EXPECT_NE(table, nullptr);
    if (table) {
        std::vector<ACCEL> keys(static_cast<size_t>(CopyAcceleratorTableA(table, nullptr, 0)));
        CopyAcceleratorTableA(table, keys.data(), static_cast<int>(keys.size()));
        for (const ACCEL& key : keys)
            commands.insert(key.cmd);
        DestroyAcceleratorTable(table);
    }
    HWND toolBar = FindToolBar(frame);
    const int buttons = static_cast<int>(SendMessageA(toolBar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < buttons; ++i) {
        TBBUTTON button{};
        SendMessageA(toolBar, TB_GETBUTTON, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&button));
        if ((button.fsStyle & BTNS_SEP) == 0)
            commands.insert(button.idCommand);
    }
    return commands;
}

TEST_F(ImageFrameTest, EveryCommandOfTheResourcesHasAHandlerAndEveryHandlerACommand) {
    CImageFrame* frame = OpenViewer("a.bmp", 1, 3);
    ASSERT_NE(frame, nullptr);
    const std::set<int> commands = ResourceCommands(frame);
    EXPECT_GT(commands.size(), 80u);

    // Asked through the frame's whole chain of maps without running anything.
    std::set<int> handled;
    {
        CUiCommandProbe probe;
        for (int id = 1; id <= 0xFFFF; ++id) {
            LRESULT result = 0;
            if (frame->ProcessWindowMessage(frame->m_hWnd, WM_COMMAND, MAKEWPARAM(id, 0), 0, result,
                                            0))
                handled.insert(id);
        }
    }
    EXPECT_TRUE(handled.count(ID_VIEW_NEXT_IMAGE));
    // Nothing ran: neither Close nor Next Image.
    PumpFor(100);
    ASSERT_TRUE(IsWindow(frame->m_hWnd));
    EXPECT_EQ(Title(frame->m_hWnd), Listed("a.bmp", 100, 1, 3));

    // Commands that reach the frame from menus it builds itself, or that it
    // sends itself: the context menu's Cancel, the Editor button's drop-down
    // the Delete that the toolbar's Delete passes on to the shared map, and
    // Save Selection As of the selection's own menu.
    std::set<int> ownPopups = {ID_MARQUEE_CANCEL, ID_EDIT_DELETE_ITEMS, ID_IMAGE_SAVE_SELECTION};
    for (int id = ID_EDITOR_FIRST; id <= ID_EDITOR_LAST; ++id)
        ownPopups.insert(id);

    // Commands a viewer offers no work for: they have no handler and are disabled.
    const std::set<int> notBuilt = {ID_EDIT_PASTE, ID_IMAGE_MODE_RGB};
    frame->UpdateToolBar();
    for (int id : commands) {
        if (notBuilt.count(id))
            EXPECT_TRUE(Disabled(frame, id)) << "command " << id << " is enabled";
        else
            EXPECT_TRUE(handled.count(id)) << "command " << id << " has no handler";
    }
    for (int id : handled)
        EXPECT_TRUE(commands.count(id) || ownPopups.count(id))
            << "handler of " << id << " is reached by no menu, key or button";
}

} // namespace
