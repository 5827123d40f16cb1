// Black-box tests of zip archives in the real program: the explorer opens
// an archive from its folder tree as a folder, a viewer opened on an image
// inside it steps to the next image inside it with its next-image key, and
// the archive's temporary folder is gone once the program has closed. A set
// spread over removable disks (on the floppy drive A: that this test's prefix
// has, see viewer/CMakeLists.txt) is reported as unreadable. The archives are
// written with the program's own zip code.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/support/program_driver.h"
#include "zip/zip_archive.h"

namespace {

using namespace program_driver;

const char kExe[] = VXP_APP_EXE;

void AddBytes(CZipArchive& zip, const std::string& name, const std::string& bytes) {
    CZipMemoryStream s;
    s.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    ASSERT_TRUE(zip.AddNewFile(s, name, 6)) << name;
}

std::string TempFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return temp;
}

// The temporary folders the program may have made for an archive of that
// file name ("<temp><name><n>").
std::vector<std::string> ArchiveTempFolders(const std::string& name) {
    std::vector<std::string> found;
    for (int n = 0; n < 10; ++n) {
        const std::string folder = TempFolder() + name + std::to_string(n);
        if (Exists(folder))
            found.push_back(folder);
    }
    return found;
}

HTREEITEM TreeItem(HWND tree, UINT relation, HTREEITEM from = nullptr) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
}

class ArchiveProgram : public ProgramCase {
protected:
    ArchiveProgram() : ProgramCase(kExe) {}
    void SetUp() override {
        StopRunningCopy();
        SHDeleteKeyA(HKEY_CURRENT_USER, kOptionsKey);
        SetDword("TrayIcon", 0);
        SetDword("ShowWelcome", 0);
    }

    // Starts the explorer on `folder`, whose only sub-item in the tree is
    // an archive, and selects that archive in the tree.
    HWND OpenArchiveInExplorer(const std::string& folder) {
        Launch(Quoted(folder));
        HWND frame = nullptr;
        const std::string title = "Velmorantix XP - " + folder.substr(folder.rfind('\\') + 1);
        EXPECT_TRUE(WaitFor([&] {
            frame = VisibleMainFrame();
            return frame && WindowText(frame) == title;
        })) << (frame ? WindowText(frame) : "no explorer");
        HWND tree = frame ? FindInExplorer(frame, IDC_EXPLORER_TREE) : nullptr;
        if (!tree) {
            ADD_FAILURE() << "no folder tree";
            return nullptr;
        }
        HTREEITEM selected = nullptr, archive = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (selected = TreeItem(tree, TVGN_CARET)) != nullptr; }));
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(selected));
        EXPECT_TRUE(WaitFor([&] {
            return (archive = TreeItem(tree, TVGN_CHILD, selected)) != nullptr;
        })) << "the folder shows no archive";
        if (!archive)
            return nullptr;
        PostMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(archive));
        return frame;
    }
};

TEST_F(ArchiveProgram, AViewerOnAnImageInsideAnArchiveStepsToTheNextImageInIt) {
    // Short enough for the viewer's title to show the whole place.
    const std::string folder = "C:\\vxparc";
    RemoveFolderTree(folder);
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    for (const std::string& left : ArchiveTempFolders("shots.zip"))
        RemoveFolderTree(left);
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.Open(folder + "\\shots.zip", CZipArchive::Create));
        AddBytes(zip, "a.bmp", BmpFile(64, 48, RGB(255, 0, 0)));
        AddBytes(zip, "b.bmp", BmpFile(64, 48, RGB(0, 0, 255)));
        AddBytes(zip, "c.bmp", BmpFile(64, 48, RGB(0, 160, 0)));
        zip.Close();
    }
    HWND frame = OpenArchiveInExplorer(folder);
    ASSERT_NE(frame, nullptr);
    HWND list = FindInExplorer(frame, 10002);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 3; }))
        << SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    ASSERT_TRUE(
        WaitFor([&] { return SendMessageA(list, LVM_GETITEMSTATE, 0, LVIS_SELECTED) != 0; }));

    Command(frame, 32808); // Open New Viewer on the selected item
    HWND viewer = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<HWND> viewers = TopLevel("ImageFrame");
        viewer = viewers.empty() ? nullptr : viewers.front();
        return viewer && IsWindowVisible(viewer);
    }));
    const std::string place = folder + "\\shots.zip\\";
    ASSERT_TRUE(WaitFor([&] { return Title(viewer).find("(1 of 3)") != std::string::npos; }))
        << Title(viewer);
    EXPECT_EQ(Title(viewer).rfind(place + "a.bmp", 0), 0u) << Title(viewer);
    KeepOnTop(viewer);
    HWND canvas = Descendant(viewer, "ImageWindow");
    HWND view = Descendant(viewer, "ImageView");
    ASSERT_NE(canvas, nullptr);
    ASSERT_NE(view, nullptr);
    auto centre = [&] {
        RECT r;
        GetClientRect(canvas, &r);
        return ClientPixel(canvas, r.right / 2, r.bottom / 2);
    };
    EXPECT_TRUE(WaitFor([&] { return centre() == Rgb{255, 0, 0}; })) << centre();
    // The entry was taken out of the archive into its temporary folder.
    const std::vector<std::string> temps = ArchiveTempFolders("shots.zip");
    ASSERT_EQ(temps.size(), 1u);
    EXPECT_TRUE(Exists(temps[0] + "\\a.bmp"));

    // Space is the viewer's next-image key; the view hands it to its frame.
    PostMessageA(view, WM_KEYDOWN, VK_SPACE, 1);
    PostMessageA(view, WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_TRUE(WaitFor([&] { return Title(viewer).find("(2 of 3)") != std::string::npos; }))
        << Title(viewer);
    EXPECT_EQ(Title(viewer).rfind(place + "b.bmp", 0), 0u) << Title(viewer);
    EXPECT_TRUE(WaitFor([&] { return centre() == Rgb{0, 0, 255}; })) << centre();
    EXPECT_TRUE(Exists(temps[0] + "\\b.bmp"));

    // The explorer still lists the archive: its folder stays with the viewer
    // gone, and goes with the program.
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([] { return TopLevel("ImageFrame").empty(); }));
    EXPECT_TRUE(Exists(temps[0]));
    StopRunningCopy();
    EXPECT_TRUE(WaitFor([&] { return !Exists(temps[0]); })) << temps[0];
}

TEST_F(ArchiveProgram, ASetSpreadOverRemovableDisksIsReportedAsUnreadable) {
    ASSERT_EQ(GetDriveTypeA("A:\\"), static_cast<UINT>(DRIVE_REMOVABLE))
        << "the test's prefix has no floppy drive A:";
    const std::string folder = "A:\\sets";
    RemoveFolderTree(folder);
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    {
        // Volumes of 64 KiB: on a removable drive the set is read as one
        // spread over disks.
        CZipArchive zip;
        ASSERT_TRUE(zip.Open(folder + "\\split.zip", CZipArchive::CreateSpan, 65536));
        std::string noise(150000, '\0');
        uint32_t x = 7;
        for (char& c : noise) {
            x = x * 1103515245u + 12345u;
            c = static_cast<char>(x >> 16);
        }
        CZipMemoryStream s;
        s.Write(noise.data(), static_cast<uint32_t>(noise.size()));
        ASSERT_TRUE(zip.AddNewFile(s, "noise.bin", 0));
        zip.Close();
    }
    ASSERT_TRUE(Exists(folder + "\\split.000"));
    for (const std::string& left : ArchiveTempFolders("split.zip"))
        RemoveFolderTree(left);

    HWND frame = OpenArchiveInExplorer(folder);
    ASSERT_NE(frame, nullptr);
    std::string text;
    HWND box = FindMessageBox("Failed!", &text);
    ASSERT_NE(box, nullptr) << "no report of the unreadable archive";
    EXPECT_EQ(text, "Cannot open the archive " + folder +
                        "\\split.zip.\nIt is spread over several removable disks, and such "
                        "archives cannot be read.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    HWND list = FindInExplorer(frame, 10002);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_TRUE(ArchiveTempFolders("split.zip").empty());
    // The program let go of the set: it can be removed at once.
    for (const char* name : {"split.000", "split.001", "split.zip"})
        DeleteFileA((folder + "\\" + name).c_str());
    EXPECT_FALSE(Exists(folder + "\\split.zip"));
}

} // namespace
