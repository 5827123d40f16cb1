// The file commands of a viewer in this process: Delete takes the file away
// and the next picture shows, Rename keeps the extension, Copy To and Move To
// put the file into the chosen folder. The tools' dialogs are stood in for
// by answers the cases choose; the file operations are the real ones.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/application_state.h"
#include "app/window_hosts.h"
#include "imaging/image_object.h"
#include "resources/resource.h"
#include "viewer/image_frame.h"
#include "viewer/tests/frame_test_support.h"

namespace {

using namespace frame_test;

// The answers of the Browse for Folder and Rename dialogs; copy and move
// run without progress, through the core's own per-file operation.
class AnsweringFileDialogs : public IFileDialogs {
public:
    std::string folder;    // chosen folder; empty = Cancel
    std::string renameTo;  // typed name; empty = Cancel
    std::string shownName; // the name the Rename dialog opened with
    std::string browseTitle;

    bool AskPassword(const char*, std::string*) override { return false; }
    int AskReplace(const char*, const char*, bool, std::string*, bool*) override { return 2; }
    int RunCopyMoveProgress(const char* target, bool copy, const std::vector<std::string>& files,
                            int) override {
        for (const std::string& file : files) {
            const std::string to =
                std::string(target) + "\\" + file.substr(file.find_last_of('\\') + 1);
            bool cancelled = false;
            int choice = 0;
            if (!g_applicationState.CopyOrMoveFile(file.c_str(), to.c_str(), &cancelled, &choice,
                                                   copy, true))
                return IDCANCEL;
        }
        return IDOK;
    }
    bool BrowseForFolder(HWND, const char* title, std::string* chosen) override {
        browseTitle = title;
        if (folder.empty())
            return false;
        *chosen = folder;
        return true;
    }
    bool AskRename(HWND, std::string* name) override {
        shownName = *name;
        if (renameTo.empty())
            return false;
        *name = renameTo;
        return true;
    }
};

// Leaves `folder` existing and empty of what an earlier run left in it.
void EmptyFolder(const std::string& folder) {
    CreateDirectoryA(folder.c_str(), nullptr);
    WIN32_FIND_DATAA found{};
    HANDLE find = FindFirstFileA((folder + "\\*.bmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do
        DeleteFileA((folder + "\\" + found.cFileName).c_str());
    while (FindNextFileA(find, &found));
    FindClose(find);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class FrameFileCommandsTest : public ViewerFrameTest {
protected:
    void SetUp() override {
        ViewerFrameTest::SetUp();
        g_applicationState.Options().viewerConfirmDeletion = false;
        g_applicationState.SetFileDialogs(&m_dialogs);
        g_applicationState.SetWindowHosts(&m_host, &m_host, &m_lists);
    }
    void TearDown() override {
        ViewerFrameTest::TearDown();
        g_applicationState.SetFileDialogs(nullptr);
        g_applicationState.SetWindowHosts(&m_host, &m_host, nullptr);
    }

    // a, b and c in a folder of its own; a viewer on a once it is listed.
    CImageFrame* OpenFolder(const std::string& folder) {
        EmptyFolder(folder);
        for (const char* name : {"a", "b", "c"})
            WriteBmp(folder + "\\" + name + ".bmp", 5, 4, 24, {},
                     [](int x, int y) { return 0x304050u + x * 0x10u + y * 0x1000u; });
        CImageFrame* frame = StartViewerOn(folder + "\\a.bmp");
        if (frame)
            EXPECT_TRUE(PumpUntil([&] {
                return Title(frame->m_hWnd).find("(1 of 3)") != std::string::npos;
            })) << Title(frame->m_hWnd);
        return frame;
    }

    static void Send(CImageFrame* frame, WORD id) {
        SendMessageA(frame->m_hWnd, WM_COMMAND, id, 0);
        PumpFor(50);
    }

    AnsweringFileDialogs m_dialogs;
    ViewerListWindows m_lists;
};

TEST_F(FrameFileCommandsTest, DeleteTakesTheFileAwayAndTheNextPictureShows) {
    const std::string folder = "C:\\vxpfile_delete";
    CImageFrame* frame = OpenFolder(folder);
    ASSERT_NE(frame, nullptr);
    Send(frame, ID_FILE_DELETE);
    EXPECT_FALSE(Exists(folder + "\\a.bmp"));
    EXPECT_TRUE(Exists(folder + "\\b.bmp"));
    EXPECT_TRUE(PumpUntil([&] {
        return Title(frame->m_hWnd) == folder + "\\b.bmp @ 100% (1 of 2)";
    })) << Title(frame->m_hWnd);
    ASSERT_NE(frame->GetDocument(), nullptr);
    EXPECT_EQ(std::string(frame->GetDocument()->path), folder + "\\b.bmp");
}

TEST_F(FrameFileCommandsTest, DeleteAsksFirstWhenTheOptionSaysSoAndNoKeepsTheFile) {
    g_applicationState.Options().viewerConfirmDeletion = true;
    const std::string folder = "C:\\vxpfile_confirm";
    CImageFrame* frame = OpenFolder(folder);
    ASSERT_NE(frame, nullptr);
    // The shell asks; any box of this process that comes up is answered No.
    std::vector<std::string> asked;
    std::atomic<bool> stop{false};
    std::thread answerer([&] {
        while (!stop) {
            HWND box = nullptr;
            while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
                DWORD process = 0;
                GetWindowThreadProcessId(box, &process);
                if (process == GetCurrentProcessId() && IsWindowVisible(box)) {
                    char caption[256] = {};
                    GetWindowTextA(box, caption, sizeof caption);
                    asked.push_back(caption);
                    PostMessageA(box, WM_COMMAND, IDNO, 0);
                    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
                }
            }
            Sleep(30);
        }
    });
    SendMessageA(frame->m_hWnd, WM_COMMAND, ID_FILE_DELETE, 0);
    PumpFor(100);
    stop = true;
    answerer.join();
    EXPECT_FALSE(asked.empty()) << "the deletion was not confirmed";
    EXPECT_TRUE(Exists(folder + "\\a.bmp")) << "No keeps the file";
    EXPECT_NE(Title(frame->m_hWnd).find("a.bmp"), std::string::npos) << Title(frame->m_hWnd);
}

TEST_F(FrameFileCommandsTest, RenameKeepsTheExtensionAndTheTitleFollows) {
    const std::string folder = "C:\\vxpfile_rename";
    CImageFrame* frame = OpenFolder(folder);
    ASSERT_NE(frame, nullptr);
    struct Case {
        const char* name;
        const char* typed;
        const char* expectedFile; // null: nothing renamed
    };
    const Case cases[] = {
        {"a name without extension keeps the picture's", "holiday", "holiday.bmp"},
        {"a name with its own extension is taken as typed", "sunset.bmp", "sunset.bmp"},
        {"Cancel renames nothing", "", nullptr},
    };
    std::string current = "a.bmp";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_dialogs.renameTo = c.typed;
        Send(frame, ID_FILE_RENAME);
        EXPECT_EQ(m_dialogs.shownName, current) << "the dialog opens with the file's name";
        if (c.expectedFile) {
            EXPECT_FALSE(Exists(folder + "\\" + current));
            current = c.expectedFile;
        }
        EXPECT_TRUE(Exists(folder + "\\" + current));
        EXPECT_TRUE(PumpUntil([&] {
            return Title(frame->m_hWnd).find(current) != std::string::npos;
        })) << Title(frame->m_hWnd);
        // The shown image follows its file, so its commands reach it.
        ASSERT_NE(frame->GetDocument(), nullptr);
        EXPECT_STRCASEEQ((folder + "\\" + current).c_str(), frame->GetDocument()->path);
    }
    // A name that would leave the folder is refused with a word.
    m_dialogs.renameTo = "..\\elsewhere.bmp";
    BoxAnswerer failed("Failed!");
    Send(frame, ID_FILE_RENAME);
    EXPECT_TRUE(PumpUntil([&] { return !FindOwnBox("Failed!"); }));
    EXPECT_EQ(failed.Texts().size(), 1u);
    EXPECT_TRUE(Exists(folder + "\\" + current));
    EXPECT_FALSE(Exists("C:\\elsewhere.bmp"));
}

TEST_F(FrameFileCommandsTest, CopyToAndMoveToPutTheFileIntoTheChosenFolder) {
    const std::string folder = "C:\\vxpfile_copy";
    const std::string target = "C:\\vxpfile_copy_target";
    EmptyFolder(target);
    CImageFrame* frame = OpenFolder(folder);
    ASSERT_NE(frame, nullptr);
    const std::string original = ReadFileBytes(folder + "\\a.bmp");

    m_dialogs.folder.clear();
    Send(frame, ID_FILE_COPY_TO);
    EXPECT_EQ(m_dialogs.browseTitle, "Copy To");
    EXPECT_FALSE(Exists(target + "\\a.bmp")) << "Cancel copies nothing";

    m_dialogs.folder = target;
    Send(frame, ID_FILE_COPY_TO);
    EXPECT_EQ(ReadFileBytes(target + "\\a.bmp"), original);
    EXPECT_TRUE(Exists(folder + "\\a.bmp")) << "a copy leaves the file";

    // Move the picture now shown (b) away: it leaves the folder and the
    // viewer goes on with what is left.
    Send(frame, ID_VIEW_NEXT_IMAGE);
    ASSERT_TRUE(PumpUntil([&] { return Title(frame->m_hWnd).find("b.bmp") != std::string::npos; }));
    const std::string moved = ReadFileBytes(folder + "\\b.bmp");
    Send(frame, ID_FILE_MOVE_TO);
    EXPECT_EQ(m_dialogs.browseTitle, "Move To");
    EXPECT_EQ(ReadFileBytes(target + "\\b.bmp"), moved);
    EXPECT_FALSE(Exists(folder + "\\b.bmp"));
    EXPECT_TRUE(PumpUntil([&] { return Title(frame->m_hWnd).find("of 2)") != std::string::npos; }))
        << Title(frame->m_hWnd);
}

} // namespace
