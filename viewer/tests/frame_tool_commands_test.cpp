// The wallpaper and external-editor commands of a viewer: the shown image
// becomes the desktop wallpaper through a bitmap copy sized for the screen
// (read back from the desktop settings and the written bitmap), Remove
// empties the setting again, and the configured editors start on the shown
// file with the command line a stand-in editor records.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/desktop_wallpaper.h"
#include "app/editor_list.h"
#include "app/frame_dialogs.h"
#include "app/logic/wallpaper_size.h"
#include "app/options.h"
#include "imaging/image_object.h"
#include "resources/resource.h"
#include "ui/update_ui.h"
#include "viewer/frame_commands.h"
#include "viewer/image_frame.h"
#include "viewer/tests/frame_test_support.h"

namespace {

using namespace frame_test;

constexpr char kWallpaperQuestion[] =
    "Are you sure you would like to set the current image as desktop wallpaper?";
constexpr char kLaunchFailed[] =
    "Launch editor failed!\nPlease make sure the editor location is correct.";

std::string DesktopValue(const char* name) {
    char text[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH, type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return "(no key)";
    const LONG read =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return read == ERROR_SUCCESS && type == REG_SZ ? std::string(text) : "(none)";
}

// Width and height from a bitmap file's info header; 0 x 0 when unreadable.
void BitmapSize(const std::string& path, int& width, int& height) {
    const std::string bytes = ReadFileBytes(path);
    width = height = 0;
    if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M')
        return;
    int32_t w = 0, h = 0;
    std::memcpy(&w, bytes.data() + 18, 4);
    std::memcpy(&h, bytes.data() + 22, 4);
    width = w;
    height = h < 0 ? -h : h;
}

// Records the Configure Editors requests; every other dialog is cancelled.
class EditorDialogsStub : public RegisteredFrameDialogs {
public:
    void ShowConfigureEditors(HWND) override { ++configureRequests; }
    bool EditImageProperties(HWND, const CImageObject* image) override {
        propertiesOf.push_back(image ? image->path : "(none)");
        return true;
    }

    int configureRequests = 0;
    std::vector<std::string> propertiesOf;
};

class FrameToolCommandsTest : public ViewerFrameTest {
protected:
    CImageFrame* OpenViewerOn(const std::string& path) {
        CImageFrame* frame = StartViewerOn(path);
        if (frame) {
            EXPECT_TRUE(PumpUntil([&] {
                CImageObject* document = frame->GetDocument();
                return document && document->complete && frame->GetItemList();
            }));
        }
        return frame;
    }
    static std::string Picture(const char* folder, const char* name, int width, int height) {
        CreateDirectoryA(folder, nullptr);
        const std::string path = std::string(folder) + "\\" + name;
        WriteBmp(path, width, height, 24, {},
                 [](int x, int y) { return uint32_t((x & 0xFF) << 8 | (y & 0xFF)); });
        return path;
    }
    // Sends the command with the answer to the wallpaper question; the
    // questions asked.
    static std::vector<std::string> SendAnswering(CImageFrame* frame, int command,
                                                  const char* caption, WORD answer) {
        BoxAnswerer box(caption, answer);
        SendMessageA(frame->m_hWnd, WM_COMMAND, MAKEWPARAM(command, 0), 0);
        PumpFor(50);
        return box.Texts();
    }
    static void StoreEditors(const std::vector<CEditorRecord>& editors) {
        RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kOptionsKeyPath) + "\\Editors").c_str());
        if (!editors.empty()) {
            ASSERT_TRUE(SaveEditorList(editors));
        }
    }
    static std::string EditorStub() {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string folder = path;
        folder.erase(folder.find_last_of('\\') + 1);
        return folder + "record_editor.exe";
    }
};

TEST_F(FrameToolCommandsTest, WallpaperWritesTheCopyForTheScreenAndRemoveEmptiesTheSetting) {
    HDC screen = GetDC(nullptr);
    const int screenW = GetDeviceCaps(screen, HORZRES), screenH = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    const std::string bitmap = WallpaperBitmapPath();
    ASSERT_FALSE(bitmap.empty());
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(0, lstrcmpiA(bitmap.substr(0, strlen(windows)).c_str(), windows)) << bitmap;
    EXPECT_NE(std::string::npos, bitmap.find("'s Wallpaper - Velmorantix XP.bmp")) << bitmap;

    struct Case {
        const char* name;
        int command;
        int width, height; // of the image
        const char* style; // WallpaperStyle, TileWallpaper
        const char* tile;
    };
    // Twice the screen's width and half its height: its copy is a quarter of
    // the screen's height, with no rounding in the fit.
    const int wideW = 2 * screenW, wideH = (screenH / 4) * 2;
    const Case cases[] = {
        {"centre shrinks a wide picture to the screen's width", ID_WALLPAPER_CENTER, wideW, wideH,
         "0", "0"},
        {"tile keeps the picture's own size", ID_WALLPAPER_TILE, 320, 200, "0", "1"},
        {"stretch of a larger picture shows its fitted copy centred", ID_WALLPAPER_STRETCH, wideW,
         wideH, "0", "0"},
        {"stretch of a smaller picture leaves the stretching to the system", ID_WALLPAPER_STRETCH,
         320, 200, "2", "0"},
        {"centre of a picture the screen holds is an unscaled copy", ID_WALLPAPER_CENTER, 320, 200,
         "0", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char name[64];
        wsprintfA(name, "wall_%dx%d.bmp", c.width, c.height);
        const std::string path = Picture("C:\\vxp_wallpaper", name, c.width, c.height);
        CImageFrame* frame = OpenViewerOn(path);
        ASSERT_NE(frame, nullptr);
        frame->UpdateToolBar();
        EXPECT_EQ(0u, frame->UIGetState(c.command) & UPDUI_DISABLED);
        DeleteFileA(bitmap.c_str());

        EXPECT_EQ(std::vector<std::string>{kWallpaperQuestion},
                  SendAnswering(frame, c.command, "Confirmation", IDOK));
        const int style = c.command - ID_WALLPAPER_CENTER;
        const wallpaper::Copy copy = wallpaper::CopyFor(style, c.width, c.height, screenW, screenH);
        if (c.width == wideW) {
            EXPECT_EQ(screenW, copy.width);
        }
        int width = 0, height = 0;
        BitmapSize(bitmap, width, height);
        EXPECT_EQ(copy.width > 0 ? copy.width : c.width, width);
        EXPECT_EQ(copy.height > 0 ? copy.height : c.height, height);
        char shown[MAX_PATH + 1] = {};
        SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, shown, 0);
        EXPECT_EQ(0, lstrcmpiA(bitmap.c_str(), shown)) << shown;
        EXPECT_EQ(0, lstrcmpiA(bitmap.c_str(), DesktopValue("Wallpaper").c_str()));
        EXPECT_EQ(c.style, DesktopValue("WallpaperStyle"));
        EXPECT_EQ(c.tile, DesktopValue("TileWallpaper"));
        DestroyWindow(frame->m_hWnd);
        PumpFor(50);
    }

    // Cancel leaves everything as it was; Remove asks the same question.
    const std::string path = Picture("C:\\vxp_wallpaper", "small.bmp", 64, 48);
    CImageFrame* frame = OpenViewerOn(path);
    ASSERT_NE(frame, nullptr);
    DeleteFileA(bitmap.c_str());
    EXPECT_EQ(std::vector<std::string>{kWallpaperQuestion},
              SendAnswering(frame, ID_WALLPAPER_CENTER, "Confirmation", IDCANCEL));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(bitmap.c_str()));
    EXPECT_EQ(std::vector<std::string>{kWallpaperQuestion},
              SendAnswering(frame, ID_WALLPAPER_REMOVE, "Confirmation", IDCANCEL));
    EXPECT_EQ(0, lstrcmpiA(bitmap.c_str(), DesktopValue("Wallpaper").c_str()));
    EXPECT_EQ(std::vector<std::string>{kWallpaperQuestion},
              SendAnswering(frame, ID_WALLPAPER_REMOVE, "Confirmation", IDOK));
    EXPECT_EQ("", DesktopValue("Wallpaper"));
}

TEST_F(FrameToolCommandsTest, TheEditorStartsOnTheShownFileQuotedWhenItHoldsABlank) {
    const std::string stub = EditorStub();
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(stub.c_str())) << stub;
    const std::string record = stub + ".cmdline";
    const std::string other = "C:\\vxp_editors\\other.exe";
    CreateDirectoryA("C:\\vxp_editors", nullptr);
    ASSERT_TRUE(CopyFileA(stub.c_str(), other.c_str(), FALSE));
    struct Case {
        const char* name;
        const char* folder;
        const char* file;
        int command;
        const char* recordOf; // which stub records
        const char* line;     // after the program name
    };
    const Case cases[] = {
        {"a file with a blank is passed quoted after a blank", "C:\\vxp editors", "my pic.bmp",
         ID_TOOLS_EDITOR, "first", " \"C:\\vxp editors\\my pic.bmp\""},
        {"a file without one is passed as it is", "C:\\vxp_editors", "pic.bmp", ID_TOOLS_EDITOR,
         "first", " C:\\vxp_editors\\pic.bmp"},
        {"the drop-down's second entry starts the second editor", "C:\\vxp_editors", "pic.bmp",
         ID_EDITOR_FIRST + 1, "second", " C:\\vxp_editors\\pic.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoreEditors({{stub, "Echo"}, {other, "Other"}});
        const std::string path = Picture(c.folder, c.file, 40, 30);
        CImageFrame* frame = OpenViewerOn(path);
        ASSERT_NE(frame, nullptr);
        frame->UpdateToolBar();
        EXPECT_EQ(0u, frame->UIGetState(ID_TOOLS_EDITOR) & UPDUI_DISABLED);
        const std::string expected =
            std::string(c.recordOf) == "first" ? record : other + ".cmdline";
        DeleteFileA(record.c_str());
        DeleteFileA((other + ".cmdline").c_str());
        SendMessageA(frame->m_hWnd, WM_COMMAND, MAKEWPARAM(c.command, 0), 0);
        EXPECT_TRUE(PumpUntil(
            [&] { return GetFileAttributesA(expected.c_str()) != INVALID_FILE_ATTRIBUTES; },
            10000));
        EXPECT_EQ(c.line, ReadFileBytes(expected));
        DestroyWindow(frame->m_hWnd);
        PumpFor(50);
    }
}

TEST_F(FrameToolCommandsTest, WithoutEditorsTheDialogOpensAndABadPathIsReported) {
    const std::string path = Picture("C:\\vxp_editors", "pic.bmp", 40, 30);
    EditorDialogsStub dialogs;
    CImageFrame* frame = OpenViewerOn(path);
    ASSERT_NE(frame, nullptr);

    StoreEditors({});
    SendMessageA(frame->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_TOOLS_EDITOR, 0), 0);
    EXPECT_EQ(1, dialogs.configureRequests);
    SendMessageA(frame->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_TOOLS_CONFIGURE_EDITORS, 0), 0);
    EXPECT_EQ(2, dialogs.configureRequests);

    StoreEditors({{"C:\\vxp_editors\\missing.exe", "Missing"}});
    EXPECT_EQ(std::vector<std::string>{kLaunchFailed},
              SendAnswering(frame, ID_TOOLS_EDITOR, "Failed", IDOK));
    EXPECT_EQ(2, dialogs.configureRequests);
    StoreEditors({});
}

TEST_F(FrameToolCommandsTest, TheEditorDropDownListsTheEditorsThenConfigureEditors) {
    struct Case {
        const char* name;
        std::vector<CEditorRecord> editors;
        std::vector<UINT> ids; // 0 for a separator
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"no editor: only Configure Editors",
         {},
         {ID_TOOLS_CONFIGURE_EDITORS},
         {"Configure Editors..."}},
        {"two editors, a separator, Configure Editors",
         {{"C:\\a.exe", "Alpha"}, {"C:\\b.exe", "Beta"}},
         {ID_EDITOR_FIRST, ID_EDITOR_FIRST + 1, 0, ID_TOOLS_CONFIGURE_EDITORS},
         {"Alpha", "Beta", "", "Configure Editors..."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HMENU menu = CFrameCommands::BuildEditorMenu(c.editors);
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(static_cast<int>(c.ids.size()), GetMenuItemCount(menu));
        for (size_t i = 0; i < c.ids.size(); ++i) {
            char text[64] = {};
            GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            const UINT id = GetMenuItemID(menu, static_cast<int>(i));
            EXPECT_EQ(c.ids[i], c.ids[i] == 0 ? 0u : id) << i;
            if (c.ids[i] == 0) {
                EXPECT_NE(0u,
                          GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR);
            }
            EXPECT_EQ(c.texts[i], text);
        }
        DestroyMenu(menu);
    }
}

} // namespace

namespace {

TEST_F(FrameToolCommandsTest, PropertiesEditTheShownImageOnlyWhileTheDialogsAreThere) {
    const std::string path = Picture("C:\\vxp_properties", "pic.bmp", 40, 30);
    CImageFrame* frame = nullptr;
    {
        EditorDialogsStub dialogs;
        frame = OpenViewerOn(path);
        ASSERT_NE(frame, nullptr);
        frame->UpdateToolBar();
        EXPECT_FALSE(frame->UIGetState(ID_FILE_PROPERTIES) & UPDUI_DISABLED);
        SendMessageA(frame->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_FILE_PROPERTIES, 0), 0);
        EXPECT_EQ(std::vector<std::string>{path}, dialogs.propertiesOf);
    }
    // Without the program's dialogs there is nothing to edit the record in.
    frame->UpdateToolBar();
    EXPECT_TRUE(frame->UIGetState(ID_FILE_PROPERTIES) & UPDUI_DISABLED);
}

} // namespace
