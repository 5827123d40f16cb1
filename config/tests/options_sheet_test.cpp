// The Options sheet driven in-process: what each page reads and writes, the
// range and folder messages that keep the sheet on its page, the
// "OptionsChanged" codes that reach stand-in explorer and viewer windows,
// the associations, shortcuts and tray icon of the System and Image Formats
// pages, and the stored option values.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "app/image_saving.h"
#include "config/context_menu_options.h"
#include "config/file_associations.h"
#include "config/options_sheet.h"
#include "config/shortcuts.h"
#include "config_test_host.h"
#include "tests/support/dialog_script.h"

namespace {

using configtest::CurrentPage;
using configtest::StoredNumber;
using configtest::TestHost;
using testsupport::DialogScript;
using testsupport::PollUntil;

constexpr int kApplyNowButton = 0x3021;

class OptionsSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        configtest::SetUpProcess();
        configtest::FreshOptions();
        char pictures[MAX_PATH] = "";
        ASSERT_TRUE(GetSpecialFolder(CSIDL_MYPICTURES | CSIDL_FLAG_CREATE, pictures));
        home = pictures;
        lstrcpynA(g_applicationState.Options().explorerHomeFolder, home.c_str(), MAX_PATH);
        host.explorer = &explorer;
        host.viewers = {&viewer1, &viewer2};
        g_applicationState.SetTrayIconShown(false);
    }

    // Runs the sheet (on the Explorer page unless a viewer is active) with
    // the script; the result of the run.
    INT_PTR Run(const std::function<void(COptionsSheet&, HWND)>& script,
                bool viewerActive = false) {
        COptionsSheet sheet(viewerActive, host);
        DialogScript run("Options", [&](HWND dialog) { script(sheet, dialog); });
        run.boxCaptions.push_back("Delete Thumbnails");
        run.boxAnswer = boxAnswer;
        INT_PTR result = sheet.DoModal(owner);
        boxes = run.boxes;
        EXPECT_TRUE(run.scriptRan);
        return result;
    }

    void ShowPage(HWND sheet, int index) { ::SendMessageA(sheet, PSM_SETCURSEL, index, 0); }
    void PressOk(HWND sheet) { ::SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0); }

    TestHost host;
    configtest::StandInWindow explorer, viewer1, viewer2;
    HWND owner = nullptr;
    std::string home;
    int boxAnswer = IDOK;
    std::vector<testsupport::RecordedBox> boxes;
};

TEST_F(OptionsSheetTest, ASpacingOnlyChangeSendsTheExplorerExactlyTheSpacingCode) {
    EXPECT_EQ(Run([&](COptionsSheet& sheet, HWND dialog) {
                  HWND page = sheet.explorerPage.m_hWnd;
                  EXPECT_EQ(CurrentPage(dialog), page);
                  EXPECT_EQ(DialogScript::Text(page, IDC_OPT_THUMB_XSPACE), "10");
                  EXPECT_EQ(DialogScript::Text(page, IDC_OPT_THUMB_YSPACE), "20");
                  EXPECT_FALSE(DialogScript::IsEnabled(dialog, kApplyNowButton));
                  DialogScript::SetText(page, IDC_OPT_THUMB_XSPACE, "15");
                  EXPECT_TRUE(DialogScript::IsEnabled(dialog, kApplyNowButton));
                  PressOk(dialog);
              }),
              IDOK);
    EXPECT_EQ(explorer.codes, std::vector<uint32_t>{3});
    EXPECT_TRUE(viewer1.codes.empty());
    EXPECT_EQ(g_applicationState.Options().explorerThumbnailXSpace, 15u);
    EXPECT_EQ(StoredNumber("ExplorerThumbnailXSpace"), 15u);
    EXPECT_EQ(StoredNumber("ExplorerThumbnailWidth"), 100u);
}

TEST_F(OptionsSheetTest, SizeAndPreviewCountChangesSendTheSizeCodeThenThePreviewCode) {
    Run([&](COptionsSheet& sheet, HWND dialog) {
        HWND page = sheet.explorerPage.m_hWnd;
        DialogScript::SetText(page, IDC_OPT_THUMB_WIDTH, "120");
        DialogScript::SetText(page, IDC_OPT_THUMB_YSPACE, "0");
        DialogScript::SetText(page, IDC_OPT_PREVIEW_COUNT, "7");
        PressOk(dialog);
    });
    EXPECT_EQ(explorer.codes, (std::vector<uint32_t>{2, 4}));

    // Without an explorer window nothing is sent, and the options still change.
    explorer.codes.clear();
    host.explorer = nullptr;
    Run([&](COptionsSheet& sheet, HWND dialog) {
        DialogScript::SetText(sheet.explorerPage.m_hWnd, IDC_OPT_THUMB_WIDTH, "130");
        PressOk(dialog);
    });
    EXPECT_TRUE(explorer.codes.empty());
    EXPECT_EQ(StoredNumber("ExplorerThumbnailWidth"), 130u);
}

TEST_F(OptionsSheetTest, OutOfRangeFieldsKeepTheSheetOnTheExplorerPageWithTheirMessages) {
    const std::string longFolder(300, 'a');
    struct Case {
        int id;
        const char* text;
        const char* message; // empty: a beep and no box
    } cases[] = {
        {IDC_OPT_THUMB_WIDTH, "49", "Thumbnail dimensions must be between 50 and 200"},
        {IDC_OPT_THUMB_WIDTH, "201", "Thumbnail dimensions must be between 50 and 200"},
        {IDC_OPT_THUMB_HEIGHT, "201", "Thumbnail dimensions must be between 50 and 200"},
        {IDC_OPT_THUMB_XSPACE, "101", "Value must be between 0 and 100"},
        {IDC_OPT_THUMB_YSPACE, "-1", "Value must be between 0 and 100"},
        {IDC_OPT_PREVIEW_HOVER, "2001", "Value must be between 0 and 2000"},
        {IDC_OPT_PREVIEW_COUNT, "0", "Value must be between 1 and 10"},
        {IDC_OPT_PREVIEW_COUNT, "11", "Value must be between 1 and 10"},
        {IDC_OPT_THUMB_WIDTH, "wide", ""},
        {IDC_OPT_HOME_FOLDER, "C:\\no such folder", "Path does not exists!"},
        {IDC_OPT_HOME_FOLDER, longFolder.c_str(), ""},
    };
    EXPECT_EQ(Run([&](COptionsSheet& sheet, HWND dialog) {
                  HWND page = sheet.explorerPage.m_hWnd;
                  for (const Case& c : cases) {
                      const std::string good = DialogScript::Text(page, c.id);
                      // Refused from another page too: the sheet comes back.
                      ShowPage(dialog, 2);
                      DialogScript::SetText(page, c.id, c.text);
                      PressOk(dialog);
                      ASSERT_TRUE(PollUntil([&] { return CurrentPage(dialog) == page; })) << c.text;
                      EXPECT_TRUE(::IsWindow(dialog)) << c.text;
                      EXPECT_EQ(::GetFocus(), ::GetDlgItem(page, c.id)) << c.text;
                      DialogScript::SetText(page, c.id, good.c_str());
                  }
                  // 50 and 200 are inside the range.
                  DialogScript::SetText(page, IDC_OPT_THUMB_WIDTH, "50");
                  DialogScript::SetText(page, IDC_OPT_THUMB_HEIGHT, "200");
                  PressOk(dialog);
              }),
              IDOK);
    std::vector<std::string> messages;
    for (const Case& c : cases)
        if (c.message[0] != '\0')
            messages.push_back(c.message);
    ASSERT_EQ(boxes.size(), messages.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].text, messages[i]);
        const bool folder = messages[i] == "Path does not exists!";
        EXPECT_EQ(boxes[i].caption, folder ? "Velmorantix XP" : "Failed!");
        EXPECT_EQ(boxes[i].icon, UINT(folder ? MB_ICONINFORMATION : MB_ICONERROR));
    }
    EXPECT_EQ(StoredNumber("ExplorerThumbnailWidth"), 50u);
    EXPECT_EQ(StoredNumber("ExplorerThumbnailHeight"), 200u);
}

TEST_F(OptionsSheetTest, DelayIsStoredInMillisecondsAndTheFullScreenChoiceIsLeftAlone) {
    g_applicationState.Options().slideShowFullscreen = true;
    g_applicationState.SaveOptions();
    Run([&](COptionsSheet& sheet, HWND dialog) {
        ShowPage(dialog, 2);
        HWND page = sheet.slideShowPage.m_hWnd;
        EXPECT_EQ(DialogScript::Text(page, IDC_OPT_SLIDE_DELAY), "5");
        // Random order has nothing to repeat.
        DialogScript::Click(page, IDC_OPT_SLIDE_RANDOM);
        EXPECT_FALSE(DialogScript::IsEnabled(page, IDC_OPT_SLIDE_REPEAT));
        DialogScript::Click(page, IDC_OPT_SLIDE_FORWARD);
        EXPECT_TRUE(DialogScript::IsEnabled(page, IDC_OPT_SLIDE_REPEAT));
        DialogScript::Click(page, IDC_OPT_SLIDE_BACKWARD);
        DialogScript::SetText(page, IDC_OPT_SLIDE_DELAY, "0.05");
        PressOk(dialog);
        EXPECT_TRUE(::IsWindow(dialog));
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(page, IDC_OPT_SLIDE_DELAY));
        DialogScript::SetText(page, IDC_OPT_SLIDE_DELAY, "2.5");
        PressOk(dialog);
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Slide Show delay must be between 0.10 and 1000.00 second(s)");
    EXPECT_EQ(boxes[0].caption, "Failed!");
    EXPECT_EQ(StoredNumber("SlideShowDelay"), 2500u);
    EXPECT_EQ(StoredNumber("SlideShowSequence"), 1u);
    EXPECT_EQ(StoredNumber("SlideShowFullscreen"), 1u);
    EXPECT_TRUE(g_applicationState.Options().slideShowFullscreen);
}

TEST_F(OptionsSheetTest, ViewerPageOpensFirstForAnActiveViewerAndStoresItsChoices) {
    RECT ownerRect = {300, 200, 900, 700};
    owner = ::CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, ownerRect.left,
                            ownerRect.top, 600, 500, nullptr, nullptr, nullptr, nullptr);
    RECT sheetRect = {};
    Run(
        [&](COptionsSheet& sheet, HWND dialog) {
            HWND page = sheet.viewerPage.m_hWnd;
            EXPECT_EQ(CurrentPage(dialog), page);
            ::GetWindowRect(dialog, &sheetRect);
            EXPECT_TRUE(DialogScript::IsChecked(page, IDC_OPT_DBLCLK_NEXT));
            EXPECT_TRUE(DialogScript::IsChecked(page, IDC_OPT_WHEEL_BROWSE));
            DialogScript::Click(page, IDC_OPT_WHEEL_MOVE);
            DialogScript::Click(page, IDC_OPT_DBLCLK_EXPLORER);
            DialogScript::Click(page, IDC_OPT_VIEWER_FULLSCREEN);
            DialogScript::Click(page, IDC_OPT_VIEWER_REPEAT);
            PressOk(dialog);
        },
        true);
    ::DestroyWindow(owner);
    // Centred over its owner.
    EXPECT_NEAR((sheetRect.left + sheetRect.right) / 2, 600, 2);
    EXPECT_NEAR((sheetRect.top + sheetRect.bottom) / 2, 450, 2);
    EXPECT_EQ(StoredNumber("ViewerMouseWheel"), 2u);
    EXPECT_EQ(StoredNumber("ViewerMouseLDblClk"), 1u);
    EXPECT_EQ(StoredNumber("ViewerFullscreen"), 1u);
    EXPECT_EQ(StoredNumber("ViewerRepeat"), 0u);
    EXPECT_TRUE(explorer.codes.empty());
}

TEST_F(OptionsSheetTest, ColorChangesReachTheExplorerAndEveryViewer) {
    Run([&](COptionsSheet& sheet, HWND dialog) {
        ShowPage(dialog, 4);
        EXPECT_EQ(sheet.colorPage.buttons[0].colour, 0xC09E7Du);
        EXPECT_EQ(sheet.colorPage.buttons[5].colour, 0x0000FFu);
        for (CColorButton& button : sheet.colorPage.buttons)
            button.colour = 0x123456;
        PressOk(dialog);
    });
    EXPECT_EQ(explorer.codes, (std::vector<uint32_t>{1, 0, 5}));
    EXPECT_EQ(viewer1.codes, std::vector<uint32_t>{0});
    EXPECT_EQ(viewer2.codes, std::vector<uint32_t>{0});
    EXPECT_EQ(StoredNumber("ViewerBackgroundClr"), 0x123456u);
    EXPECT_EQ(StoredNumber("FolderPreviewFrameColor"), 0x123456u);
    // The caption colour lives for this run only.
    EXPECT_EQ(g_applicationState.Options().slideShowCaptionColor, 0x123456u);
    EXPECT_EQ(StoredNumber("SlideShowCaptionColor"), 0xDEADBEEFu);
}

TEST_F(OptionsSheetTest, UncheckingJpegGivesItsExtensionsBackToThePreviousProgram) {
    ::RegSetValueA(HKEY_CLASSES_ROOT, ".jpg", REG_SZ, "OtherApp.jpg", 12);
    ::SHDeleteKeyA(HKEY_CLASSES_ROOT, ".png");
    ASSERT_TRUE(RegisterFileAssociation(6));
    RestoreFileAssociation(4);
    Run([&](COptionsSheet& sheet, HWND dialog) {
        ShowPage(dialog, 3);
        HWND list = ::GetDlgItem(sheet.imageFormatsPage.m_hWnd, IDC_FORMAT_LIST);
        ASSERT_EQ(ListView_GetItemCount(list), 15);
        EXPECT_TRUE(ListView_GetCheckState(list, 4)) << "JPG opens checked";
        EXPECT_FALSE(ListView_GetCheckState(list, 7)) << "PNG opens clear";
        ListView_SetCheckState(list, 4, FALSE);
        ListView_SetCheckState(list, 7, TRUE);
        EXPECT_TRUE(DialogScript::IsEnabled(dialog, kApplyNowButton));
        PressOk(dialog);
    });
    char value[MAX_PATH] = "";
    LONG size = sizeof(value);
    ASSERT_EQ(::RegQueryValueA(HKEY_CLASSES_ROOT, ".jpg", value, &size), ERROR_SUCCESS);
    EXPECT_STREQ(value, "OtherApp.jpg");
    EXPECT_FALSE(IsFileAssociated(6));
    EXPECT_TRUE(IsFileAssociated(4));
    RestoreFileAssociation(4);
}

// The save options the image tools would show, as the page asks for them.
std::vector<int> g_askedSaveOptions;
bool RecordSaveOptions(HWND, int type) {
    g_askedSaveOptions.push_back(type);
    return true;
}

TEST_F(OptionsSheetTest, OptionsOpensTheSaveOptionsOfTheSelectedPngOrJpegRowOnly) {
    struct Case {
        const char* name;
        bool registered;
        int row;       // selected row of the list
        bool enabled;  // the Options button
        int askedType; // what a click asks for; 0 nothing
    };
    const Case cases[] = {
        {"JPG with the dialogs registered", true, 4, true, 6},
        {"PNG with the dialogs registered", true, 7, true, 4},
        {"BMP has no options", true, 0, false, 0},
        {"without the dialogs the button stays off", false, 4, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        image_saving::SetSaveOptionsAsker(c.registered ? RecordSaveOptions : nullptr);
        g_askedSaveOptions.clear();
        Run([&](COptionsSheet& sheet, HWND dialog) {
            ShowPage(dialog, 3);
            HWND page = sheet.imageFormatsPage.m_hWnd;
            HWND list = ::GetDlgItem(page, IDC_FORMAT_LIST);
            ListView_SetItemState(list, c.row, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
            EXPECT_EQ(c.enabled, DialogScript::IsEnabled(page, IDC_FORMAT_OPTIONS));
            ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_FORMAT_OPTIONS, BN_CLICKED),
                           (LPARAM)::GetDlgItem(page, IDC_FORMAT_OPTIONS));
            ::SendMessageA(dialog, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        });
        EXPECT_EQ(c.askedType ? std::vector<int>{c.askedType} : std::vector<int>{},
                  g_askedSaveOptions);
    }
    image_saving::SetSaveOptionsAsker(nullptr);
}

TEST_F(OptionsSheetTest, ClearingTheTrayBoxRemovesTheIconAndTheStartupShortcutAtOnce) {
    ASSERT_EQ(CreateStartupShortcut(), S_OK);
    DeleteDesktopShortcut();
    g_applicationState.Options().trayIcon = true;
    g_applicationState.SaveOptions();
    g_applicationState.SetTrayIconShown(true);
    Run([&](COptionsSheet& sheet, HWND dialog) {
        ShowPage(dialog, 5);
        HWND page = sheet.systemPage.m_hWnd;
        EXPECT_TRUE(DialogScript::IsChecked(page, IDC_SYSTEM_TRAY));
        EXPECT_FALSE(DialogScript::IsChecked(page, IDC_SYSTEM_DESKTOP));
        EXPECT_TRUE(DialogScript::IsChecked(page, IDC_OPT_MENU_PRINT));
        DialogScript::Click(page, IDC_SYSTEM_TRAY);
        DialogScript::Click(page, IDC_SYSTEM_DESKTOP);
        DialogScript::Click(page, IDC_OPT_MENU_PRINT);
        PressOk(dialog);
    });
    EXPECT_EQ(host.trayRemoved, 1);
    EXPECT_FALSE(g_applicationState.TrayIconShown());
    EXPECT_FALSE(StartupShortcutExists());
    EXPECT_TRUE(DesktopShortcutExists());
    EXPECT_FALSE(g_applicationState.Options().trayIcon);
    // This page leaves the saving to the program.
    EXPECT_EQ(StoredNumber("TrayIcon"), 1u);
    CContextMenuOptions menu;
    menu.Load();
    EXPECT_EQ(menu.displayPrint, 0u);
    EXPECT_EQ(menu.displayView, 1u);
    DeleteDesktopShortcut();
}

TEST_F(OptionsSheetTest, DeleteThumbnailsAsksFirstAndEmptiesTheDatabaseEvenWhenCancelled) {
    boxAnswer = IDCANCEL;
    Run([&](COptionsSheet& sheet, HWND dialog) {
        DialogScript::Click(sheet.explorerPage.m_hWnd, IDC_OPT_THUMB_DELETE);
        ::SendMessageA(dialog, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    EXPECT_EQ(host.thumbnailResets, 0);
    boxAnswer = IDOK;
    EXPECT_EQ(Run([&](COptionsSheet& sheet, HWND dialog) {
                  DialogScript::Click(sheet.explorerPage.m_hWnd, IDC_OPT_THUMB_DELETE);
                  ::SendMessageA(dialog, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
              }),
              IDCANCEL);
    EXPECT_EQ(host.thumbnailResets, 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Delete Thumbnails");
    EXPECT_EQ(boxes[0].text, "Delete all thumbnails in the Application Data Folder?");
    EXPECT_EQ(boxes[0].icon, UINT(MB_ICONWARNING));
}

TEST_F(OptionsSheetTest, CancelLeavesEveryOptionAsItWas) {
    const CAppOptions before = g_applicationState.Options();
    Run([&](COptionsSheet& sheet, HWND dialog) {
        // Every page shown and changed, then cancelled; each is saved as a
        // picture when asked for.
        const char* names[] = {"options_explorer", "options_viewer", "options_slide_show",
                               "options_formats",  "options_color",  "options_system"};
        for (int i = 0; i < 6; ++i) {
            ShowPage(dialog, i);
            testsupport::MaybeScreenshot(dialog, names[i]);
        }
        DialogScript::SetText(sheet.explorerPage.m_hWnd, IDC_OPT_THUMB_WIDTH, "77");
        DialogScript::Click(sheet.viewerPage.m_hWnd, IDC_OPT_VIEWER_FULLSCREEN);
        DialogScript::SetText(sheet.slideShowPage.m_hWnd, IDC_OPT_SLIDE_DELAY, "9");
        DialogScript::Click(sheet.systemPage.m_hWnd, IDC_SYSTEM_DESKTOP);
        ::SendMessageA(dialog, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    const CAppOptions& after = g_applicationState.Options();
    EXPECT_EQ(after.explorerThumbnailWidth, before.explorerThumbnailWidth);
    EXPECT_EQ(after.viewerFullscreen, before.viewerFullscreen);
    EXPECT_EQ(after.slideShowDelay, before.slideShowDelay);
    EXPECT_FALSE(DesktopShortcutExists());
    EXPECT_TRUE(explorer.codes.empty());
}

} // namespace
