// The explorer and the drives that come and go: a volume's arrival
// (WM_DEVICECHANGE with its volume record, as the system sends it) goes
// from the frame to its folder tree, which lists the new drive under My
// Computer and announces it; the frame then offers the New device dialog
// for the drive's pictures, and Browse content opens the folder that holds
// them. The volume's removal takes its drive item away. The drive is a
// drive-letter link of the Wine prefix to a temporary folder. Beside the
// drives, the frame's keys that open the Favorites root.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <dbt.h>
#include <shlwapi.h>

#include <functional>
#include <string>

#include "app/app_module.h"
#include "app/application_state.h"
#include "app/tests/temp_folder.h"
#include "explorer/main_frame.h"
#include "imaging/codecs/bmp_codec.h"
#include "imaging/image_object.h"
#include "program/program_frames.h"
#include "tests/support/dialog_script.h"
#include "ui/message_loop.h"

namespace {

using testsupport::DialogScript;

class ProgramFramesEnvironment : public ::testing::Environment {
public:
    void SetUp() override { RegisterProgramFrames(); }
};
::testing::Environment* const kProgramFrames =
    ::testing::AddGlobalTestEnvironment(new ProgramFramesEnvironment);

constexpr int kBrowseContent = 1125;

// Runs a Unix command of the machine Wine runs on and waits for it.
bool RunUnix(const std::string& command) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = command;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

std::string UnixPath(const std::string& path) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto name = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH];
    if (!name || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH))
        return {};
    char* unix = name(wide);
    if (!unix)
        return {};
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A drive letter of the prefix linked to a folder while the object lives:
// the link in the prefix's dosdevices folder opens the drive's files, and
// the device name the system's drive list (a running wineserver lists only
// the links it knew when it started).
class DriveLink {
public:
    explicit DriveLink(const std::string& folder) : m_folder(folder) {
        const char* prefix = getenv("WINEPREFIX");
        const DWORD present = GetLogicalDrives();
        for (int drive = 'P' - 'A'; drive < 'Y' - 'A' && !m_letter; ++drive)
            if (!(present & (1u << drive)))
                m_letter = static_cast<char>('a' + drive);
        if (!prefix || !m_letter)
            return;
        m_link = std::string(prefix) + "/dosdevices/" + m_letter + ":";
        Link(UnixPath(folder));
    }
    ~DriveLink() { Unlink(); }
    bool Link(const std::string& target) {
        m_defined = !target.empty() && RunUnix("/bin/ln -sfn " + target + " " + m_link) &&
                    Wait([&] { return IsFolder(Root()); }) &&
                    DefineDosDeviceA(DDD_RAW_TARGET_PATH, Device().c_str(), Target().c_str());
        return m_defined;
    }
    bool Unlink() {
        if (m_link.empty())
            return false;
        if (m_defined)
            DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_RAW_TARGET_PATH |
                                 DDD_EXACT_MATCH_ON_REMOVE,
                             Device().c_str(), Target().c_str());
        m_defined = false;
        return RunUnix("/bin/rm -f " + m_link) &&
               Wait([&] { return GetFileAttributesA(Root().c_str()) == INVALID_FILE_ATTRIBUTES; });
    }
    int Drive() const { return m_letter ? m_letter - 'a' : -1; }
    std::string Root() const { return std::string(1, static_cast<char>(m_letter - 32)) + ":\\"; }

private:
    static bool Wait(const std::function<bool()>& done) {
        for (int i = 0; i < 250; ++i) {
            if (done())
                return true;
            Sleep(20);
        }
        return false;
    }
    std::string Device() const { return Root().substr(0, 2); }
    std::string Target() const { return "\\??\\" + m_folder; }
    std::string m_folder;
    char m_letter = 0;
    bool m_defined = false;
    std::string m_link;
};

class ExplorerDevicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_COOL_CLASSES};
        InitCommonControlsEx(&controls);
        g_module.AddMessageLoop(&loop);
        saved = g_applicationState.Options();
        CAppOptions& o = g_applicationState.Options();
        o.explorerDetectNewDevice = true;
        o.explorerNewDeviceActionDlgDefAction = 0;
        explorer = new CMainFrame;
        ASSERT_NE(nullptr, explorer->CreateEx());
        g_applicationState.SetExplorer(explorer);
        ShowWindow(explorer->m_hWnd, SW_SHOWNORMAL);
        // My Computer has been opened: a new drive then appears in it.
        ASSERT_TRUE(explorer->SelectPath(home.Path().c_str()));
    }
    void TearDown() override {
        if (explorer && IsWindow(explorer->m_hWnd))
            DestroyWindow(explorer->m_hWnd);
        Pump(200, [] { return false; });
        g_applicationState.Options() = saved;
        g_module.RemoveMessageLoop();
    }
    // Dispatches messages and runs the idle pass of the loop, as the
    // program's loop does, until done() holds or the ceiling passes.
    bool Pump(DWORD ceilingMs, const std::function<bool()>& done) {
        const DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (loop.PreTranslateMessage(&msg))
                    continue;
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            loop.OnIdle(0);
            if (done())
                return true;
            if (GetTickCount() - start > ceilingMs)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    void SendVolumeEvent(WPARAM event, int drive) {
        DEV_BROADCAST_VOLUME volume{};
        volume.dbcv_size = sizeof volume;
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        volume.dbcv_unitmask = 1u << drive;
        SendMessageA(explorer->m_hWnd, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume));
    }
    // The drive item under My Computer whose path is root, or null.
    HTREEITEM DriveItem(const std::string& root) {
        CFolderPaneTree& tree = explorer->Tree();
        for (HTREEITEM top = TreeView_GetRoot(tree.m_hWnd); top;
             top = TreeView_GetNextSibling(tree.m_hWnd, top))
            for (HTREEITEM child = TreeView_GetChild(tree.m_hWnd, top); child;
                 child = TreeView_GetNextSibling(tree.m_hWnd, child)) {
                char path[MAX_PATH] = "";
                if (tree.GetItemPathOf(child, path) && lstrcmpiA(path, root.c_str()) == 0)
                    return child;
            }
        return nullptr;
    }

    std::string ListedDrives() {
        std::string listed;
        CFolderPaneTree& tree = explorer->Tree();
        for (HTREEITEM top = TreeView_GetRoot(tree.m_hWnd); top;
             top = TreeView_GetNextSibling(tree.m_hWnd, top))
            for (HTREEITEM child = TreeView_GetChild(tree.m_hWnd, top); child;
                 child = TreeView_GetNextSibling(tree.m_hWnd, child)) {
                char path[MAX_PATH] = "";
                tree.GetItemPathOf(child, path);
                listed += std::string(path) + ";";
            }
        return listed;
    }

    CMessageLoop loop;
    CTestFolder home{"devices_home"};
    CTestFolder device{"devices_card"};
    CAppOptions saved;
    CMainFrame* explorer = nullptr;
};

TEST_F(ExplorerDevicesTest, ANewDriveWithPicturesOffersTheNewDeviceDialogAndBrowsesThem) {
    // The pictures lie two folder levels down, as a camera keeps them.
    device.MakeFolder("DCIM");
    const std::string pictures = device.MakeFolder("DCIM\\100PHOTO");
    CImageObject image;
    ASSERT_TRUE(image.Create(8, 8, 24, 0));
    CBmpWriter writer;
    ASSERT_TRUE(writer.Write((pictures + "\\IMG0001.bmp").c_str(), &image));

    DriveLink link(device.Path());
    ASSERT_GE(link.Drive(), 0) << "no free drive letter, or no prefix";
    ASSERT_TRUE(IsFolder(link.Root()));
    ASSERT_EQ(nullptr, DriveItem(link.Root())) << "the drive is not listed before it arrives";

    bool browseChosen = false;
    DialogScript script("New device detected", [&](HWND d) {
        testsupport::MaybeScreenshot(d, "new_device_detected");
        browseChosen = DialogScript::IsChecked(d, kBrowseContent);
        DialogScript::PressOk(d);
    });
    SendVolumeEvent(DBT_DEVICEARRIVAL, link.Drive());
    const std::string found = link.Root() + "DCIM\\100PHOTO";
    EXPECT_TRUE(Pump(10000, [&] {
        return script.scriptRan && explorer->Tree().GetSelectedFolderPath() == found;
    })) << explorer->Tree().GetSelectedFolderPath();
    EXPECT_TRUE(script.scriptRan) << "the New device detected dialog opened";
    EXPECT_TRUE(browseChosen) << "a remembered action of 0 offers Browse content";
    EXPECT_NE(nullptr, DriveItem(link.Root()))
        << "the drive is listed under My Computer: " << ListedDrives() << " logical drives "
        << std::hex << GetLogicalDrives();
    EXPECT_TRUE(script.boxes.empty());

    // The volume goes: its item goes with it.
    ASSERT_TRUE(link.Unlink());
    SendVolumeEvent(DBT_DEVICEREMOVECOMPLETE, link.Drive());
    EXPECT_TRUE(Pump(5000, [&] { return DriveItem(link.Root()) == nullptr; }));
}

TEST_F(ExplorerDevicesTest, ANewDriveWithoutPicturesOrWithDetectionOffOffersNothing) {
    device.MakeFolder("DCIM");
    device.Write("DCIM\\notes.txt", 10);
    struct Case {
        const char* name;
        bool detect;
        bool picture;
    } cases[] = {
        {"a drive without pictures", true, false},
        {"detection switched off", false, true},
    };
    for (const Case& c : cases) {
        g_applicationState.Options().explorerDetectNewDevice = c.detect;
        if (c.picture) {
            CImageObject image;
            ASSERT_TRUE(image.Create(4, 4, 24, 0));
            CBmpWriter writer;
            ASSERT_TRUE(writer.Write(device.File("DCIM\\IMG0001.bmp").c_str(), &image));
        }
        DriveLink link(device.Path());
        ASSERT_GE(link.Drive(), 0);
        DialogScript script("New device detected", [&](HWND d) { DialogScript::PressCancel(d); });
        SendVolumeEvent(DBT_DEVICEARRIVAL, link.Drive());
        // The drive is listed, and no dialog opened by then.
        EXPECT_TRUE(Pump(10000, [&] { return DriveItem(link.Root()) != nullptr; })) << c.name;
        Pump(300, [] { return false; });
        EXPECT_FALSE(script.scriptRan) << c.name;
        ASSERT_TRUE(link.Unlink());
        SendVolumeEvent(DBT_DEVICEREMOVECOMPLETE, link.Drive());
        EXPECT_TRUE(Pump(5000, [&] { return DriveItem(link.Root()) == nullptr; })) << c.name;
    }
}

TEST_F(ExplorerDevicesTest, CtrlIAndTheFavoritesKeySelectTheFavoritesRoot) {
    CFolderPaneTree& tree = explorer->Tree();
    ASSERT_NE(nullptr, tree.FavoritesRoot());
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } cases[] = {
        {"Ctrl+I", WM_COMMAND, ID_VIEW_ITEM_INFO, 0},
        {"the Favorites key", WM_APPCOMMAND, 0,
         MAKELPARAM(0, FAPPCOMMAND_KEY | APPCOMMAND_BROWSER_FAVORITES)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(explorer->SelectPath(home.Path().c_str()));
        ASSERT_NE(tree.FavoritesRoot(), TreeView_GetSelection(tree.m_hWnd));
        SendMessageA(explorer->m_hWnd, c.message, c.wParam, c.lParam);
        EXPECT_EQ(tree.FavoritesRoot(), TreeView_GetSelection(tree.m_hWnd)) << c.name;
    }
}

} // namespace
