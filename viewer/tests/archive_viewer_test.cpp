// A viewer on a list of a folder inside a zip archive, in this process: it
// steps through the archive's images of that folder (not its other files,
// not the deeper folders), each extracted on demand into the archive's
// temporary folder, with the entry's place in the archive in the title; the
// temporary folder stays while the viewer's list uses it and goes with the
// last list. A protected archive asks for its password once, and no entry
// is reported unreadable.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/archive_temp_folder.h"
#include "app/file_item_list.h"
#include "app/frame_dialogs.h"
#include "app/tests/change_recorder.h"
#include "imaging/image_object.h"
#include "resources/resource.h"
#include "ui/update_ui.h"
#include "viewer/image_frame.h"
#include "viewer/tests/frame_test_support.h"
#include "zip/zip_archive.h"

namespace {

using namespace frame_test;

// Short enough that the title shows the whole place in the archive.
const char kFolder[] = "C:\\vzav";

std::string Path(const char* name) {
    return std::string(kFolder) + "\\" + name;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What the title shows for an entry of pics\ of the archive.
std::string Titled(const char* name, int index, int count) {
    return Path("shots.zip") + "\\pics\\" + name + " @ 100% (" + std::to_string(index) + " of " +
           std::to_string(count) + ")";
}

struct Entry {
    const char* name; // in the archive
    int width;        // 0 for a text file
};

// Written in this order; the list sorts by name.
const Entry kEntries[] = {
    {"pics/c.bmp", 30}, {"pics/a.bmp", 10},        {"pics/readme.txt", 0},
    {"pics/b.bmp", 20}, {"pics/deeper/d.bmp", 40}, {"top.bmp", 50},
};

// Counts the Image Properties requests; every other dialog is cancelled.
class PropertiesDialogs : public RegisteredFrameDialogs {
public:
    bool EditImageProperties(HWND, const CImageObject*) override {
        ++requests;
        return true;
    }

    int requests = 0;
};

class ArchiveViewerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CreateDirectoryA(kFolder, nullptr);
        CZipArchive zip;
        ASSERT_TRUE(zip.Open(Path("shots.zip"), CZipArchive::Create));
        for (const Entry& entry : kEntries) {
            const std::string source = Path("source.tmp");
            if (entry.width)
                WriteBmp(source, entry.width, 8, 24, {}, [](int, int) { return 0x3060A0u; });
            else
                std::ofstream(source, std::ios::binary) << "not an image";
            ASSERT_TRUE(zip.AddNewFile(source, entry.name, 6)) << entry.name;
        }
        zip.Close();

        CZipArchive locked;
        ASSERT_TRUE(locked.Open(Path("locked.zip"), CZipArchive::Create));
        ASSERT_TRUE(locked.SetPassword("secret"));
        for (const char* name : {"x.bmp", "y.bmp"}) {
            WriteBmp(Path("source.tmp"), 12, 6, 24, {}, [](int, int) { return 0xA06030u; });
            ASSERT_TRUE(locked.AddNewFile(Path("source.tmp"), name, 6)) << name;
        }
        locked.Close();
        DeleteFileA(Path("source.tmp").c_str());
    }

    void SetUp() override {
        CAppOptions& o = g_applicationState.Options();
        o.viewerRepeat = false;
        o.viewerZoomType = 0;
        o.viewerResizeFitImage = false;
        o.viewerSaveConfirmation = false;
        o.viewerCacheBehind = false;
        o.viewerPreload = false;
        o.sortOrder = kSortAscending;
        o.sortBy = kSortByName;
        g_applicationState.Watcher().Shutdown();
    }

    void TearDown() override {
        for (HWND window : m_windows)
            if (IsWindow(window))
                DestroyWindow(window);
        PumpFor(100);
        g_applicationState.WithViewerList(
            [](std::vector<CImageFrame*>& viewers) { viewers.clear(); });
        g_applicationState.ReleaseFileItemList(nullptr);
        EXPECT_EQ(0u, g_applicationState.ArchiveTempFolderCount());
        // Every entry the viewers opened was read.
        EXPECT_TRUE(m_unreadable.Texts().empty());
    }

    // A viewer given the list the way the explorer hands over its own list:
    // a reference of its own, then the item opened.
    CImageFrame* OpenViewerOnList(CFileItemList* list, int index) {
        auto* frame = new CImageFrame;
        HWND window = frame->CreateViewer();
        EXPECT_NE(window, nullptr);
        if (!window) {
            delete frame;
            return nullptr;
        }
        g_applicationState.AddViewer(frame);
        m_windows.push_back(window);
        MoveWindow(window, 50, 50, 600, 400, TRUE);
        ShowWindow(window, SW_SHOW);
        list->AddRef();
        frame->SetItemList(list, index);
        frame->OpenCurrentItem(true);
        return frame;
    }

    ViewerTestHost m_host;
    std::vector<HWND> m_windows;
    BoxAnswerer m_unreadable{"Failed!"};
};

TEST_F(ArchiveViewerTest, StepsThroughTheImagesOfItsArchiveFolderExtractingEachOnDemand) {
    const std::string key = Path("shots.zip") + "|pics";
    CFileItemList* list = g_applicationState.GetFileItemList(kListArchive, key.c_str());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(3, list->GetItemCount());
    const std::string temp = list->GetArchiveLocation()->tempFolder->tempFolder;

    CImageFrame* frame = OpenViewerOnList(list, 0);
    ASSERT_NE(frame, nullptr);
    // The explorer lets go of its list; the viewer's reference keeps it.
    g_applicationState.ReleaseFileItemList(list);
    const HWND window = frame->m_hWnd;
    EXPECT_TRUE(PumpUntil([&] { return Title(window) == Titled("a.bmp", 1, 3); })) << Title(window);
    // Only the shown entry is on disk so far.
    EXPECT_TRUE(Exists(temp + "\\pics\\a.bmp"));
    EXPECT_FALSE(Exists(temp + "\\pics\\b.bmp"));

    struct Step {
        WORD command;
        const char* name; // shown afterwards
        int width;
    };
    const Step steps[] = {
        {ID_VIEW_NEXT_IMAGE, "b.bmp", 20}, {ID_VIEW_NEXT_IMAGE, "c.bmp", 30},
        {ID_VIEW_NEXT_IMAGE, "c.bmp", 30}, // the last stays: no readme, no deeper image
        {ID_VIEW_PREV_IMAGE, "b.bmp", 20}, {ID_VIEW_FIRST_IMAGE, "a.bmp", 10},
        {ID_VIEW_LAST_IMAGE, "c.bmp", 30},
    };
    const char* names[] = {"a.bmp", "b.bmp", "c.bmp"};
    for (const Step& step : steps) {
        SendMessageA(window, WM_COMMAND, step.command, 0);
        const int index = frame->GetCurrentIndex();
        ASSERT_GE(index, 0);
        ASSERT_LT(index, 3);
        EXPECT_STREQ(step.name, names[index]);
        const std::string expected = Titled(step.name, index + 1, 3);
        EXPECT_TRUE(PumpUntil([&] { return Title(window) == expected; }))
            << "command " << step.command << ": " << Title(window);
        CImageObject* shown = frame->GetDocument();
        ASSERT_NE(shown, nullptr);
        // The viewer reads the extracted copy, never the name inside the archive.
        EXPECT_EQ(temp + "\\pics\\" + step.name, std::string(shown->path));
        EXPECT_TRUE(PumpUntil([&] { return shown->headerReady.load(); }));
        EXPECT_EQ(step.width, shown->fullWidth) << step.name;
    }

    // An entry's extracted copy has no catalogue record of its own to edit,
    // even with the dialogs there to edit one.
    {
        PropertiesDialogs dialogs;
        frame->UpdateToolBar();
        EXPECT_TRUE(frame->UIGetState(ID_FILE_PROPERTIES) & UPDUI_DISABLED);
        SendMessageA(window, WM_COMMAND, ID_FILE_PROPERTIES, 0);
        EXPECT_EQ(0, dialogs.requests);
    }

    // The temporary folder lives while the viewer's list uses it.
    EXPECT_TRUE(Exists(temp));
    DestroyWindow(window);
    PumpFor(100);
    g_applicationState.ReleaseFileItemList(nullptr); // the kept slot lets go too
    EXPECT_FALSE(Exists(temp));
    EXPECT_EQ(0u, g_applicationState.ArchiveTempFolderCount());
}

TEST_F(ArchiveViewerTest, TwoViewersOfOneArchiveShareItsTemporaryFolderUntilTheLastCloses) {
    const std::string archive = Path("shots.zip");
    CFileItemList* pics =
        g_applicationState.GetFileItemList(kListArchive, (archive + "|pics").c_str());
    CFileItemList* root = g_applicationState.GetFileItemList(kListArchive, archive.c_str());
    ASSERT_NE(pics, nullptr);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(1, root->GetItemCount());
    const std::string temp = pics->GetArchiveLocation()->tempFolder->tempFolder;
    EXPECT_EQ(1u, g_applicationState.ArchiveTempFolderCount());

    CImageFrame* first = OpenViewerOnList(pics, 1);
    CImageFrame* second = OpenViewerOnList(root, 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    g_applicationState.ReleaseFileItemList(pics);
    g_applicationState.ReleaseFileItemList(root);
    const std::string top = archive + "\\top.bmp @ 100% (1 of 1)";
    EXPECT_TRUE(PumpUntil([&] { return Title(second->m_hWnd) == top; })) << Title(second->m_hWnd);
    EXPECT_TRUE(PumpUntil([&] { return Title(first->m_hWnd) == Titled("b.bmp", 2, 3); }))
        << Title(first->m_hWnd);
    EXPECT_TRUE(Exists(temp + "\\top.bmp"));

    const HWND firstWindow = first->m_hWnd;
    const HWND secondWindow = second->m_hWnd;
    DestroyWindow(firstWindow);
    PumpFor(100);
    g_applicationState.ReleaseFileItemList(nullptr);
    EXPECT_TRUE(Exists(temp)); // the second viewer still lists the archive
    DestroyWindow(secondWindow);
    PumpFor(100);
    g_applicationState.ReleaseFileItemList(nullptr);
    EXPECT_FALSE(Exists(temp));
}

TEST_F(ArchiveViewerTest, AProtectedArchiveAsksForItsPasswordOnceWhileTheViewerSteps) {
    CScriptedFileDialogs dialogs;
    g_applicationState.SetFileDialogs(&dialogs);
    dialogs.passwords = {"secret"};
    CFileItemList* list =
        g_applicationState.GetFileItemList(kListArchive, Path("locked.zip").c_str());
    ASSERT_NE(list, nullptr);
    CImageFrame* frame = OpenViewerOnList(list, 0);
    ASSERT_NE(frame, nullptr);
    g_applicationState.ReleaseFileItemList(list);
    const HWND window = frame->m_hWnd;
    const std::string first = Path("locked.zip") + "\\x.bmp @ 100% (1 of 2)";
    EXPECT_TRUE(PumpUntil([&] { return Title(window) == first; })) << Title(window);
    SendMessageA(window, WM_COMMAND, ID_VIEW_NEXT_IMAGE, 0);
    const std::string second = Path("locked.zip") + "\\y.bmp @ 100% (2 of 2)";
    EXPECT_TRUE(PumpUntil([&] { return Title(window) == second; })) << Title(window);
    CImageObject* shown = frame->GetDocument();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return shown->headerReady.load(); }));
    EXPECT_EQ(12, shown->fullWidth);
    ASSERT_EQ(1u, dialogs.prompts.size());
    EXPECT_EQ("File 'x.bmp' is password protected.", dialogs.prompts[0]);
    DestroyWindow(window);
    PumpFor(100);
    g_applicationState.SetFileDialogs(nullptr);
}

} // namespace
