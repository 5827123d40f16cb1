// A viewer's sort, Convert and Help commands: sorting stores the choice,
// reorders the viewer's folder and keeps the shown file (and its unsaved
// edits); a running search refuses it; Convert hands the shown file to the
// Convert dialog; Contents and Index opens the help file beside the
// program, or says why it cannot; the web pages reach the browser the
// prefix has registered for their addresses.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/frame_dialogs.h"
#include "app/help_launcher.h"
#include "app/logic/help_pages.h"
#include "imaging/image_object.h"
#include "resources/resource.h"
#include "tests/support/dialog_script.h"
#include "ui/update_ui.h"
#include "viewer/image_frame.h"
#include "viewer/tests/frame_test_support.h"

namespace {

using namespace frame_test;

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    folder.erase(folder.find_last_of('\\') + 1);
    return folder;
}

std::string Picture(const char* folder, const char* name, int side) {
    CreateDirectoryA(folder, nullptr);
    const std::string path = std::string(folder) + "\\" + name;
    WriteBmp(path, side, side, 24, {}, [](int x, int y) { return uint32_t(x * 7 + y * 13); });
    return path;
}

class FrameListHelpCommandsTest : public ViewerFrameTest {
protected:
    void SetUp() override {
        ViewerFrameTest::SetUp();
        g_applicationState.SetWindowHosts(&m_host, &m_host, &m_lists);
    }
    void TearDown() override {
        ViewerFrameTest::TearDown();
        g_applicationState.SetWindowHosts(&m_host, &m_host, nullptr);
    }
    ViewerListWindows m_lists;

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
    static void Send(CImageFrame* frame, int command) {
        SendMessageA(frame->m_hWnd, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }
    // The message boxes a command shows, each answered with OK.
    static std::vector<testsupport::RecordedBox> BoxesOf(CImageFrame* frame, int command) {
        testsupport::DialogScript boxes("(no dialog of its own)", [](HWND) {});
        Send(frame, command);
        return boxes.boxes;
    }
    static bool Checked(CImageFrame* frame, int id) {
        frame->UpdateToolBar();
        return (frame->UIGetState(id) & UPDUI_CHECKED) != 0;
    }
    static bool Enabled(CImageFrame* frame, int id) {
        frame->UpdateToolBar();
        return (frame->UIGetState(id) & UPDUI_DISABLED) == 0;
    }
};

TEST_F(FrameListHelpCommandsTest, SortingStoresTheChoiceReordersTheFolderAndKeepsTheShownFile) {
    // Sizes: a < c < b.
    Picture("C:\\vxp_sort", "a.bmp", 8);
    Picture("C:\\vxp_sort", "b.bmp", 40);
    Picture("C:\\vxp_sort", "c.bmp", 20);
    CImageFrame* frame = OpenViewerOn("C:\\vxp_sort\\c.bmp");
    ASSERT_NE(frame, nullptr);
    CFileItemList* list = frame->GetItemList();
    EXPECT_EQ(2, frame->GetCurrentIndex());
    EXPECT_TRUE(Enabled(frame, ID_SORT_BY_SIZE));
    EXPECT_TRUE(Checked(frame, ID_SORT_BY_NAME));
    EXPECT_TRUE(Checked(frame, ID_SORT_ASCENDING));

    struct Step {
        const char* name;
        int command;
        const char* order; // the list's items afterwards
        int index;         // of c.bmp
        int sortBy, sortOrder;
    } steps[] = {
        {"by size", ID_SORT_BY_SIZE, "a.bmp c.bmp b.bmp ", 1, 2, 1},
        {"descending keeps the key", ID_SORT_DESCENDING, "b.bmp c.bmp a.bmp ", 1, 2, 2},
        {"by name keeps the order", ID_SORT_BY_NAME, "c.bmp b.bmp a.bmp ", 0, 1, 2},
        {"ascending", ID_SORT_ASCENDING, "a.bmp b.bmp c.bmp ", 2, 1, 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        CImageObject* shown = frame->GetDocument();
        Send(frame, step.command);
        ASSERT_EQ(list, frame->GetItemList());
        std::string order;
        for (int i = 0; i < list->GetItemCount(); ++i)
            order += std::string(list->GetItem(i)) + " ";
        EXPECT_EQ(step.order, order);
        EXPECT_EQ(step.index, frame->GetCurrentIndex());
        ASSERT_NE(nullptr, frame->GetDocument());
        EXPECT_STREQ("C:\\vxp_sort\\c.bmp", frame->GetDocument()->path);
        EXPECT_EQ(shown, frame->GetDocument()) << "the same image, from the cache";
        EXPECT_EQ(uint32_t(step.sortBy), g_applicationState.Options().sortBy);
        EXPECT_EQ(uint32_t(step.sortOrder), g_applicationState.Options().sortOrder);
        EXPECT_EQ(step.sortBy, list->sortBy);
        EXPECT_EQ(step.sortOrder, list->sortOrder);
        for (int id = ID_SORT_BY_NAME; id <= ID_SORT_BY_DATE; ++id)
            EXPECT_EQ(id - ID_SORT_BY_NAME + 1 == step.sortBy, Checked(frame, id)) << id;
        EXPECT_EQ(step.sortOrder == 1, Checked(frame, ID_SORT_ASCENDING));
        EXPECT_EQ(step.sortOrder == 2, Checked(frame, ID_SORT_DESCENDING));
        EXPECT_NE(std::string::npos,
                  Title(frame->m_hWnd).find("(" + std::to_string(step.index + 1) + " of 3)"))
            << Title(frame->m_hWnd);
    }

    // An edit not saved yet is kept: the sort does not read the file again.
    Send(frame, ID_ADJUST_INVERT);
    CImageObject* edited = frame->GetDocument();
    ASSERT_NE(nullptr, edited);
    ASSERT_TRUE(edited->modified);
    Send(frame, ID_SORT_BY_SIZE);
    EXPECT_EQ(edited, frame->GetDocument());
    EXPECT_TRUE(frame->GetDocument()->modified);
    EXPECT_EQ(1, frame->GetCurrentIndex());
    EXPECT_NE(std::string::npos, Title(frame->m_hWnd).find(" * ")) << Title(frame->m_hWnd);
}

TEST_F(FrameListHelpCommandsTest, ARunningSearchRefusesToSortItsResultAndTheOrderStays) {
    const std::string first = Picture("C:\\vxp_sort_search", "z.bmp", 8);
    const std::string second = Picture("C:\\vxp_sort_search", "m.bmp", 8);
    CImageFrame* frame = OpenViewerOn(first);
    ASSERT_NE(frame, nullptr);
    auto* result =
        new CFileItemList(kListSearchResult, reinterpret_cast<const char*>(uintptr_t(7)));
    ASSERT_TRUE(result->InsertItemCopy(first.c_str(), -1));
    ASSERT_TRUE(result->InsertItemCopy(second.c_str(), -1));
    result->sortBy = 1;
    result->sortOrder = 1;
    frame->SetItemList(result, 0);
    const uint32_t sortBy = g_applicationState.Options().sortBy;

    m_host.searchRunning = true;
    const std::vector<testsupport::RecordedBox> boxes = BoxesOf(frame, ID_SORT_BY_NAME);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Velmorantix XP", boxes[0].caption);
    EXPECT_EQ("Please stop search before sorting items.", boxes[0].text);
    EXPECT_EQ(UINT(MB_ICONINFORMATION), boxes[0].icon);
    EXPECT_STREQ(first.c_str(), result->GetItem(0)) << "the order stays";
    EXPECT_EQ(sortBy, g_applicationState.Options().sortBy);

    // Once the search has ended the result sorts like any list.
    m_host.searchRunning = false;
    EXPECT_TRUE(BoxesOf(frame, ID_SORT_BY_NAME).empty());
    EXPECT_STREQ(second.c_str(), result->GetItem(0));
    EXPECT_EQ(1, frame->GetCurrentIndex()) << "z.bmp is still the current item";
}

// Records what Convert was asked to do.
class ConvertDialogsStub : public IFrameDialogs {
public:
    ConvertDialogsStub() { SetFrameDialogs(this); }
    ~ConvertDialogsStub() override { SetFrameDialogs(nullptr); }
    ConvertDialogsStub(const ConvertDialogsStub&) = delete;
    ConvertDialogsStub& operator=(const ConvertDialogsStub&) = delete;

    bool AskRotateCanvas(HWND, double&) override { return false; }
    void ShowAbout(HWND) override {}
    bool AskArrangeViewers(HWND, char&, int&) override { return false; }
    bool ConvertImages(HWND owner, const char* currentFolder,
                       const std::vector<std::string>& paths) override {
        ++requests;
        askedOwner = owner;
        askedFolder = currentFolder;
        askedPaths = paths;
        return true;
    }

    int requests = 0;
    HWND askedOwner = nullptr;
    std::string askedFolder;
    std::vector<std::string> askedPaths;
};

TEST_F(FrameListHelpCommandsTest, ConvertHandsTheShownFileAndItsFolderToTheConvertDialog) {
    const std::string path = Picture("C:\\vxp_convert", "photo.bmp", 16);
    Picture("C:\\vxp_convert", "other.bmp", 16);
    CImageFrame* frame = OpenViewerOn(path);
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(Enabled(frame, ID_FILE_CONVERT)) << "no dialog to ask";
    Send(frame, ID_FILE_CONVERT);

    ConvertDialogsStub dialogs;
    EXPECT_TRUE(Enabled(frame, ID_FILE_CONVERT));
    Send(frame, ID_FILE_CONVERT);
    ASSERT_EQ(1, dialogs.requests);
    EXPECT_EQ(frame->m_hWnd, dialogs.askedOwner);
    EXPECT_EQ("C:\\vxp_convert", dialogs.askedFolder);
    EXPECT_EQ(std::vector<std::string>{path}, dialogs.askedPaths);
}

// The help control as the tests stand it in: a recorder of its calls, or
// none at all.
struct HelpCall {
    int count = 0;
    HWND owner = nullptr;
    std::string file;
    UINT command = 0xFFFF;
    DWORD_PTR data = 1;
};
HelpCall g_helpCall;
bool g_helpOpens = true;

HWND WINAPI RecordHtmlHelp(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
    ++g_helpCall.count;
    g_helpCall.owner = owner;
    g_helpCall.file = file ? file : "";
    g_helpCall.command = command;
    g_helpCall.data = data;
    return g_helpOpens ? GetDesktopWindow() : nullptr;
}
help_pages::HtmlHelpFunction RecorderControl() {
    return &RecordHtmlHelp;
}
help_pages::HtmlHelpFunction MissingControl() {
    return nullptr;
}

TEST_F(FrameListHelpCommandsTest, ContentsAndIndexOpensTheHelpFileBesideTheProgramOrSaysWhyNot) {
    const std::string helpFile = ProgramFolder() + help_pages::kHelpFileName;
    Picture("C:\\vxp_help", "a.bmp", 8);
    CImageFrame* frame = OpenViewerOn("C:\\vxp_help\\a.bmp");
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(Enabled(frame, ID_HELP_INDEX));

    struct Case {
        const char* name;
        bool fileThere;
        help_pages::HtmlHelpLoader control;
        bool opens;
        int calls;
        std::string box; // "" = none
    } cases[] = {
        {"the file opens at its first topic, owned by the desktop", true, RecorderControl, true, 1,
         ""},
        {"a missing file is said and nothing opens", false, RecorderControl, true, 0,
         "Cannot find the help file " + helpFile},
        {"a missing help control is said", true, MissingControl, true, 0,
         "Cannot show the help file " + helpFile + ": the help control hhctrl.ocx is missing"},
        {"a viewer that does not open is said", true, RecorderControl, false, 1,
         "Cannot open the help file " + helpFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(helpFile.c_str());
        if (c.fileThere) {
            HANDLE file =
                CreateFileA(helpFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, file);
            CloseHandle(file);
        }
        help_pages::SetHtmlHelpLoader(c.control);
        g_helpCall = HelpCall{};
        g_helpOpens = c.opens;
        const std::vector<testsupport::RecordedBox> boxes = BoxesOf(frame, ID_HELP_INDEX);
        EXPECT_EQ(c.calls, g_helpCall.count);
        if (c.calls) {
            EXPECT_EQ(GetDesktopWindow(), g_helpCall.owner);
            EXPECT_EQ(helpFile, g_helpCall.file);
            EXPECT_EQ(0u, g_helpCall.command) << "HH_DISPLAY_TOPIC";
            EXPECT_EQ(DWORD_PTR(0), g_helpCall.data);
        }
        if (c.box.empty()) {
            EXPECT_TRUE(boxes.empty());
        } else {
            ASSERT_EQ(1u, boxes.size());
            EXPECT_EQ("Failed!", boxes[0].caption);
            EXPECT_EQ(c.box, boxes[0].text);
            EXPECT_EQ(UINT(MB_ICONERROR), boxes[0].icon);
        }
    }
    help_pages::SetHtmlHelpLoader(nullptr);
    DeleteFileA(helpFile.c_str());
}

// Registers `program` as the prefix's browser of http and https addresses.
void RegisterBrowser(const std::string& program) {
    const std::string command = "\"" + program + "\" \"%1\"";
    // Where a user's own handler goes; Wine's shell reads only the merged
    // classes root, which a prefix of the test's own may change as well.
    const struct {
        HKEY root;
        const char* path;
    } places[] = {{HKEY_CURRENT_USER, "Software\\Classes\\"}, {HKEY_CLASSES_ROOT, ""}};
    for (const auto& place : places) {
        for (const char* scheme : {"http", "https"}) {
            const std::string base = std::string(place.path) + scheme;
            HKEY key = nullptr;
            ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(place.root, base.c_str(), 0, nullptr, 0,
                                                     KEY_WRITE, nullptr, &key, nullptr));
            RegSetValueExA(key, "URL Protocol", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
            RegCloseKey(key);
            ASSERT_EQ(ERROR_SUCCESS,
                      RegCreateKeyExA(place.root, (base + "\\shell\\open\\command").c_str(), 0,
                                      nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
            RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                           static_cast<DWORD>(command.size() + 1));
            RegCloseKey(key);
        }
    }
}

TEST_F(FrameListHelpCommandsTest, EachWebPageCommandOpensItsAddressInTheRegisteredBrowser) {
    // The recorder under a name of its own, so that its record is this
    // test's alone.
    CreateDirectoryA("C:\\vxp_browser", nullptr);
    const std::string browser = "C:\\vxp_browser\\record_browser.exe";
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "record_editor.exe").c_str(), browser.c_str(), FALSE));
    RegisterBrowser(browser);
    const std::string record = browser + ".cmdline";
    Picture("C:\\vxp_browser", "a.bmp", 8);
    CImageFrame* frame = OpenViewerOn("C:\\vxp_browser\\a.bmp");
    ASSERT_NE(frame, nullptr);

    for (const help_pages::WebPage& page : help_pages::kWebPages) {
        SCOPED_TRACE(page.address);
        EXPECT_TRUE(Enabled(frame, page.command));
        DeleteFileA(record.c_str());
        EXPECT_TRUE(BoxesOf(frame, page.command).empty());
        ASSERT_TRUE(PumpUntil([&] { return !ReadFileBytes(record).empty(); }, 20000))
            << "the browser was not started";
        const std::string line = ReadFileBytes(record);
        const std::string quoted = std::string("\"") + page.address + "\"";
        ASSERT_GE(line.size(), quoted.size()) << line;
        EXPECT_EQ(quoted, line.substr(line.size() - quoted.size())) << line;
    }
}

} // namespace
