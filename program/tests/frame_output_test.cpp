// The frames' output and acquisition commands with the program's tools
// registered: Print from a viewer and from the explorer's selection reaches
// the Print dialog with those files, E-mail from the explorer's selection
// reaches the mail program (the test provider fakemapi.dll through Wine's
// MAPI32.DLL) with them, Print and E-mail follow the selection, and the
// explorer's screen capture, clipboard paste and Output Setting write and
// name new files as the output settings say.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/tests/temp_folder.h"
#include "explorer/main_frame.h"
#include "imaging/codecs/bmp_codec.h"
#include "imaging/image_object.h"
#include "program/program_frames.h"
#include "tests/support/dialog_script.h"
#include "tools/print_dialog.h"
#include "tools/tests/test_printer.h"
#include "viewer/image_frame.h"

namespace {

using testsupport::DialogScript;

class ProgramFramesEnvironment : public ::testing::Environment {
public:
    void SetUp() override { RegisterProgramFrames(); }
};
::testing::Environment* const kProgramFrames =
    ::testing::AddGlobalTestEnvironment(new ProgramFramesEnvironment);

// Pumps until done() holds or the ceiling passes; the answer of done().
bool PumpUntil(DWORD ceilingMs, const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - start > ceilingMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

std::string WriteBmp(const CTestFolder& folder, const char* name, int width, int height) {
    CImageObject image;
    EXPECT_TRUE(image.Create(width, height, 24, 0));
    for (int y = 0; y < height; ++y)
        memset(image.GetRow(y, true), 40 + y % 100, 3 * width);
    const std::string path = folder.File(name);
    CBmpWriter writer;
    EXPECT_TRUE(writer.Write(path.c_str(), &image));
    return path;
}

// Width and height of a BMP file; 0 x 0 when it is none.
SIZE BmpSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char header[26] = {};
    in.read(reinterpret_cast<char*>(header), sizeof(header));
    if (!in || header[0] != 'B' || header[1] != 'M')
        return SIZE{0, 0};
    auto le32 = [&](int at) {
        return static_cast<LONG>(header[at] | header[at + 1] << 8 | header[at + 2] << 16 |
                                 static_cast<unsigned>(header[at + 3]) << 24);
    };
    return SIZE{le32(18), std::abs(le32(22))};
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool Exists(const std::string& path) {
    return PathFileExistsA(path.c_str()) != FALSE;
}

// The files the open Print dialog is about to print.
std::vector<std::string> PrintDialogFiles(HWND dialog) {
    auto* print = static_cast<CPrintDialog*>(CDialogImplBase::FromHandle(dialog));
    return print ? print->Preview().files : std::vector<std::string>{};
}

// An explorer on the test folder, its output settings pointing there.
class ExplorerOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_COOL_CLASSES};
        InitCommonControlsEx(&controls);
        saved = g_applicationState.Options();
        CAppOptions& o = g_applicationState.Options();
        lstrcpynA(o.outputSettingFilenamePath, folder.Path().c_str(),
                  sizeof(o.outputSettingFilenamePath));
        lstrcpynA(o.outputSettingFilenamePrefix, "PHOTO", sizeof(o.outputSettingFilenamePrefix));
        o.outputSettingEncoderType = 1; // BMP
        o.outputSettingSequenceStartAt = 1;
        o.outputSettingPaddingZero = 0;
        a = WriteBmp(folder, "a.bmp", 40, 30);
        b = WriteBmp(folder, "b.bmp", 50, 20);
        c = WriteBmp(folder, "c.bmp", 30, 30);
        explorer = new CMainFrame;
        ASSERT_NE(nullptr, explorer->CreateEx());
        g_applicationState.SetExplorer(explorer);
        ShowWindow(explorer->m_hWnd, SW_SHOWNORMAL);
        ASSERT_TRUE(explorer->SelectPath(folder.Path().c_str()));
        ASSERT_TRUE(PumpUntil(10000, [&] { return explorer->List().ItemCount() == 3; }));
    }
    void TearDown() override {
        if (explorer && IsWindow(explorer->m_hWnd))
            DestroyWindow(explorer->m_hWnd);
        PumpUntil(200, [] { return false; });
        g_applicationState.Options() = saved;
    }
    HWND List() { return explorer->List().m_hWnd; }
    // Selects the list items whose file names are given, and nothing else.
    void Select(const std::vector<std::string>& names) {
        ListView_SetItemState(List(), -1, 0, LVIS_SELECTED);
        CFileItemList* list = explorer->GetFileItemList();
        for (const std::string& name : names) {
            const int index = list->FindPath(folder.File(name).c_str());
            ASSERT_GE(index, 0) << name;
            ListView_SetItemState(List(), index, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
        }
        explorer->OnIdle();
    }
    bool Enabled(int command) { return (explorer->UIGetState(command) & UPDUI_DISABLED) == 0; }
    void Command(int command) {
        SendMessageA(explorer->m_hWnd, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }
    std::vector<std::string> SelectedNames() {
        std::vector<std::string> names;
        CFileItemList* list = explorer->GetFileItemList();
        for (int i = -1; (i = ListView_GetNextItem(List(), i, LVNI_SELECTED)) >= 0;) {
            char path[MAX_PATH] = "";
            if (list->GetItemPath(i, path))
                names.push_back(PathFindFileNameA(path));
        }
        return names;
    }

    CTestFolder folder{"output"};
    CAppOptions saved;
    std::string a, b, c;
    CMainFrame* explorer = nullptr;
};

TEST(ViewerOutput, PrintFromAViewerOpensThePrintDialogOnTheViewersFile) {
    std::string error;
    ASSERT_TRUE(testprinter::Install(&error)) << error;
    CTestFolder folder("viewer_print");
    const std::string path = WriteBmp(folder, "shown.bmp", 64, 48);
    WriteBmp(folder, "other.bmp", 20, 20);
    auto* viewer = new CImageFrame;
    ASSERT_NE(nullptr, viewer->CreateViewer());
    ShowWindow(viewer->m_hWnd, SW_SHOWNORMAL);
    viewer->LoadFolderList(path.c_str());
    ASSERT_TRUE(PumpUntil(10000, [&] {
        CImageObject* document = viewer->GetDocument();
        return document && document->complete && viewer->GetFileItemList();
    }));
    viewer->UpdateToolBar();
    EXPECT_EQ(0u, viewer->UIGetState(ID_FILE_PRINT) & UPDUI_DISABLED);
    EXPECT_EQ(0u, viewer->UIGetState(ID_FILE_EMAIL) & UPDUI_DISABLED);

    std::vector<std::string> files;
    DialogScript script("Velmorantix XP Print", [&](HWND d) {
        testsupport::MaybeScreenshot(d, "print_from_viewer");
        files = PrintDialogFiles(d);
        DialogScript::PressCancel(d);
    });
    SendMessageA(viewer->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_FILE_PRINT, 0), 0);
    EXPECT_TRUE(script.scriptRan);
    EXPECT_TRUE(script.boxes.empty()); // a single page asks nothing
    EXPECT_EQ(std::vector<std::string>{path}, files);
    DestroyWindow(viewer->m_hWnd);
    PumpUntil(200, [] { return false; });
}

TEST_F(ExplorerOutputTest, PrintAndEmailFollowTheSelection) {
    Select({});
    EXPECT_FALSE(Enabled(ID_FILE_PRINT));
    EXPECT_FALSE(Enabled(ID_FILE_EMAIL));
    Select({"b.bmp"});
    EXPECT_TRUE(Enabled(ID_FILE_PRINT));
    EXPECT_TRUE(Enabled(ID_FILE_EMAIL));
    // The acquisition commands that are built are on whatever is selected.
    for (int command : {ID_ACQUIRE_SCREEN, ID_ACQUIRE_CLIPBOARD, ID_OUTPUT_SETTING})
        EXPECT_TRUE(Enabled(command)) << command;
    Select({});
    for (int command : {ID_ACQUIRE_SCREEN, ID_ACQUIRE_CLIPBOARD, ID_OUTPUT_SETTING})
        EXPECT_TRUE(Enabled(command)) << command;
}

TEST_F(ExplorerOutputTest, PrintTakesTheSelectedFilesAndNothingWithoutASelection) {
    std::string error;
    ASSERT_TRUE(testprinter::Install(&error)) << error;
    Select({"c.bmp", "a.bmp"});
    std::vector<std::string> files;
    {
        DialogScript script("Velmorantix XP Print", [&](HWND d) {
            files = PrintDialogFiles(d);
            DialogScript::PressCancel(d);
        });
        Command(ID_FILE_PRINT);
        EXPECT_TRUE(script.scriptRan);
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ((std::vector<std::string>{a, c}), files);

    // Nothing selected: nothing opens.
    Select({});
    DialogScript none("Velmorantix XP Print", [&](HWND d) { DialogScript::PressCancel(d); });
    Command(ID_FILE_PRINT);
    EXPECT_FALSE(none.scriptRan);
}

// The test provider registered as the mail program for one test.
class MailProvider {
public:
    explicit MailProvider(const std::string& log) {
        SetEnvironmentVariableA("VXP_FAKEMAPI_LOG", log.c_str());
        SetEnvironmentVariableA("VXP_FAKEMAPI_RESULT", nullptr);
        HKEY mail = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &mail, nullptr);
        char old[256] = "";
        DWORD size = sizeof(old);
        if (RegQueryValueExA(mail, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old),
                             &size) == ERROR_SUCCESS)
            previous = old;
        RegSetValueExA(mail, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("FakeMail"), 9);
        HKEY fake = nullptr;
        RegCreateKeyExA(mail, "FakeMail", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &fake, nullptr);
        const std::string dll = VXP_FAKEMAPI_DLL;
        RegSetValueExA(fake, "DLLPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                       static_cast<DWORD>(dll.size() + 1));
        RegCloseKey(fake);
        RegCloseKey(mail);
    }
    ~MailProvider() {
        HKEY mail = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail", 0, KEY_ALL_ACCESS,
                          &mail) != ERROR_SUCCESS)
            return;
        if (!previous.empty())
            RegSetValueExA(mail, nullptr, 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(previous.c_str()),
                           static_cast<DWORD>(previous.size() + 1));
        RegDeleteKeyA(mail, "FakeMail");
        RegCloseKey(mail);
    }

private:
    std::string previous;
};

// The text after " key=" up to the next blank (a path runs to the end).
std::string Field(const std::string& line, const std::string& key) {
    const size_t at = line.find(" " + key + "=");
    if (at == std::string::npos)
        return "<missing>";
    const size_t from = at + key.size() + 2;
    if (key == "path")
        return line.substr(from);
    return line.substr(from, line.find(' ', from) - from);
}

TEST_F(ExplorerOutputTest, EmailHandsTheSelectedFilesToTheMailProgram) {
    const std::string log = folder.File("mapi.log");
    MailProvider provider(log);
    Select({"a.bmp", "c.bmp"});
    Command(ID_FILE_EMAIL); // returns at once: the job has a thread of its own

    // The job's question comes up on its own thread; keep the originals.
    HWND dialog = nullptr;
    ASSERT_TRUE(PumpUntil(20000, [&] {
        dialog = FindWindowA(nullptr, "E-Mail Pictures");
        return dialog != nullptr && IsWindowVisible(dialog) &&
               DialogScript::Text(dialog, IDC_EMAIL_COUNT) == "2 images";
    }));
    testsupport::MaybeScreenshot(dialog, "email_from_explorer");
    CheckRadioButton(dialog, IDC_EMAIL_YES, IDC_EMAIL_NO, IDC_EMAIL_NO);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_EMAIL_NO, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_EMAIL_NO)));
    DialogScript::PressOk(dialog);

    std::vector<std::string> lines;
    ASSERT_TRUE(PumpUntil(20000, [&] {
        lines = ReadLines(log);
        return lines.size() >= 3;
    }));
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("0", Field(lines[0], "recipients"));
    std::vector<std::string> attached = {Field(lines[1], "path"), Field(lines[2], "path")};
    std::sort(attached.begin(), attached.end());
    EXPECT_EQ((std::vector<std::string>{a, c}), attached);
}

TEST_F(ExplorerOutputTest, ScreenCaptureWritesTheScreenOnePixelSmallerAndSelectsIt) {
    WriteBmp(folder, "PHOTO00001.bmp", 8, 8);
    {
        DialogScript script("Screen Capture", [&](HWND d) {
            testsupport::MaybeScreenshot(d, "screen_capture_from_explorer");
            // The explorer is out of the way while the user chooses.
            EXPECT_FALSE(IsWindowVisible(explorer->m_hWnd));
            DialogScript::PressOk(d);
        });
        Command(ID_ACQUIRE_SCREEN);
        EXPECT_TRUE(script.scriptRan);
    }
    EXPECT_TRUE(IsWindowVisible(explorer->m_hWnd));
    const std::string shot = folder.File("PHOTO00002.bmp");
    ASSERT_TRUE(Exists(shot));
    HDC screen = GetDC(nullptr);
    const SIZE expected{GetDeviceCaps(screen, HORZRES) - 1, GetDeviceCaps(screen, VERTRES) - 1};
    ReleaseDC(nullptr, screen);
    const SIZE size = BmpSize(shot);
    EXPECT_EQ(expected.cx, size.cx);
    EXPECT_EQ(expected.cy, size.cy);
    EXPECT_TRUE(PumpUntil(
        10000, [&] { return SelectedNames() == std::vector<std::string>{"PHOTO00002.bmp"}; }));

    // Cancel writes nothing and brings the explorer back.
    DialogScript cancel("Screen Capture", [&](HWND d) { DialogScript::PressCancel(d); });
    Command(ID_ACQUIRE_SCREEN);
    EXPECT_TRUE(cancel.scriptRan);
    EXPECT_TRUE(IsWindowVisible(explorer->m_hWnd));
    EXPECT_FALSE(Exists(folder.File("PHOTO00003.bmp")));
}

// Puts a packed 24-bit bitmap of the size on the clipboard, or empties it.
void SetClipboardDib(HWND owner, int width, int height) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    if (width > 0) {
        const int stride = (width * 3 + 3) & ~3;
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) +
                                                        stride * static_cast<SIZE_T>(height));
        auto* info = static_cast<BITMAPINFOHEADER*>(GlobalLock(memory));
        memset(info, 0, sizeof(*info));
        info->biSize = sizeof(*info);
        info->biWidth = width;
        info->biHeight = height;
        info->biPlanes = 1;
        info->biBitCount = 24;
        memset(info + 1, 0x7F, stride * static_cast<size_t>(height));
        GlobalUnlock(memory);
        SetClipboardData(CF_DIB, memory);
    }
    CloseClipboard();
}

TEST_F(ExplorerOutputTest, AClipboardBitmapBecomesTheNextFreeNameInTheOutputFolder) {
    // A '%' in the prefix is a character of the name, nothing more.
    lstrcpynA(g_applicationState.Options().outputSettingFilenamePrefix, "P%s",
              sizeof(g_applicationState.Options().outputSettingFilenamePrefix));
    WriteBmp(folder, "P%s00001.bmp", 8, 8);
    SetClipboardDib(explorer->m_hWnd, 33, 21);
    {
        DialogScript quiet("Output", [&](HWND d) { DialogScript::PressCancel(d); });
        Command(ID_ACQUIRE_CLIPBOARD);
        EXPECT_TRUE(quiet.boxes.empty());
    }
    const std::string pasted = folder.File("P%s00002.bmp");
    ASSERT_TRUE(Exists(pasted));
    EXPECT_EQ(33, BmpSize(pasted).cx);
    EXPECT_EQ(21, BmpSize(pasted).cy);
    EXPECT_TRUE(PumpUntil(
        10000, [&] { return SelectedNames() == std::vector<std::string>{"P%s00002.bmp"}; }));

    // Without a bitmap the user hears why nothing came.
    SetClipboardDib(explorer->m_hWnd, 0, 0);
    DialogScript told("Output", [&](HWND d) { DialogScript::PressCancel(d); });
    Command(ID_ACQUIRE_CLIPBOARD);
    ASSERT_EQ(1u, told.boxes.size());
    EXPECT_EQ("Clipboard does not contain any image.", told.boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), told.boxes[0].icon);
    EXPECT_FALSE(Exists(folder.File("P%s00003.bmp")));
}

TEST_F(ExplorerOutputTest, OutputSettingKeepsWhatOkAcceptsAndNothingOnCancel) {
    // The output folder starts elsewhere; "Use Current" offers the shown one.
    lstrcpynA(g_applicationState.Options().outputSettingFilenamePath, "C:\\",
              sizeof(g_applicationState.Options().outputSettingFilenamePath));
    std::string offered;
    {
        DialogScript change("Output", [&](HWND d) {
            testsupport::MaybeScreenshot(d, "output_setting_from_explorer");
            DialogScript::Click(d, IDC_OUTPUT_USE_CURRENT);
            offered = DialogScript::Text(d, IDC_OUTPUT_LOCATION);
            DialogScript::SetText(d, IDC_OUTPUT_PREFIX, "SCAN");
            DialogScript::SetText(d, IDC_OUTPUT_START, "12");
            DialogScript::SetText(d, IDC_OUTPUT_PADDING, "3");
            DialogScript::PressOk(d);
        });
        Command(ID_OUTPUT_SETTING);
        EXPECT_TRUE(change.scriptRan);
        EXPECT_TRUE(change.boxes.empty());
    }
    EXPECT_EQ(folder.Path(), offered);
    const CAppOptions& o = g_applicationState.Options();
    EXPECT_STREQ("SCAN", o.outputSettingFilenamePrefix);
    EXPECT_EQ(12u, o.outputSettingSequenceStartAt);
    EXPECT_EQ(3u, o.outputSettingPaddingZero);
    EXPECT_STREQ(folder.Path().c_str(), o.outputSettingFilenamePath);

    DialogScript cancel("Output", [&](HWND d) {
        DialogScript::SetText(d, IDC_OUTPUT_PREFIX, "LOST");
        DialogScript::PressCancel(d);
    });
    Command(ID_OUTPUT_SETTING);
    EXPECT_TRUE(cancel.scriptRan);
    EXPECT_STREQ("SCAN", o.outputSettingFilenamePrefix);
}

} // namespace
