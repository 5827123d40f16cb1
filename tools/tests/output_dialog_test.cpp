// The Output dialog, run modally on the test's thread and driven from inside
// its own loop: every field against the option values, the range and folder
// messages, and Cancel.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include <string>

#include "app/options.h"
#include "tests/support/dialog_script.h"
#include "tools/output_dialog.h"

namespace {

using testsupport::DialogScript;

// A folder of the test's own under %TEMP%, removed again at the end.
class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH];
        ::GetTempPathA(sizeof(base), base);
        path = std::string(base) + "vxp output " + std::to_string(::GetCurrentProcessId());
        ::CreateDirectoryA(path.c_str(), NULL);
    }
    ~TempFolder() { ::RemoveDirectoryA(path.c_str()); }
    std::string path;
};

CAppOptions SomeOptions(const std::string& folder) {
    CAppOptions options;
    options.outputSettingEncoderType = 6; // JPEG
    lstrcpyA(options.outputSettingFilenamePrefix, "Holiday ");
    options.outputSettingSequenceStartAt = 42;
    options.outputSettingPaddingZero = 4;
    lstrcpyA(options.outputSettingFilenamePath, folder.c_str());
    return options;
}

std::string SelectedFormatText(HWND dialog) {
    HWND list = ::GetDlgItem(dialog, IDC_OUTPUT_FORMAT);
    LRESULT row = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
    char text[128] = "";
    ::SendMessageA(list, CB_GETLBTEXT, row, (LPARAM)text);
    return text;
}

void SelectFormatRow(HWND dialog, int row) {
    HWND list = ::GetDlgItem(dialog, IDC_OUTPUT_FORMAT);
    ::SendMessageA(list, CB_SETCURSEL, row, 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_OUTPUT_FORMAT, CBN_SELCHANGE), (LPARAM)list);
}

TEST(OutputDialog, EveryFieldRoundTripsThroughTheOptions) {
    TempFolder folder;
    CAppOptions options = SomeOptions(folder.path);
    COutputDialog dialog;
    dialog.LoadFrom(options);
    dialog.currentFolder = "C:\\";
    std::string shownPrefix, shownStart, shownPadding, shownFolder, shownFormat;
    DialogScript script("Output", [&](HWND d) {
        testsupport::MaybeScreenshot(d, "output_dialog");
        shownPrefix = DialogScript::Text(d, IDC_OUTPUT_PREFIX);
        shownStart = DialogScript::Text(d, IDC_OUTPUT_START);
        shownPadding = DialogScript::Text(d, IDC_OUTPUT_PADDING);
        shownFolder = DialogScript::Text(d, IDC_OUTPUT_LOCATION);
        shownFormat = SelectedFormatText(d);
        // New values in every field; the folder with a trailing backslash.
        DialogScript::SetText(d, IDC_OUTPUT_PREFIX, "100% ");
        DialogScript::SetText(d, IDC_OUTPUT_START, "16959");
        DialogScript::SetText(d, IDC_OUTPUT_PADDING, "10");
        DialogScript::SetText(d, IDC_OUTPUT_LOCATION, (folder.path + "\\").c_str());
        SelectFormatRow(d, 3); // PNG, id 3
        DialogScript::PressOk(d);
    });
    ASSERT_EQ(IDOK, dialog.DoModal(NULL));
    EXPECT_EQ("Holiday ", shownPrefix);
    EXPECT_EQ("42", shownStart);
    EXPECT_EQ("4", shownPadding);
    EXPECT_EQ(folder.path, shownFolder);
    EXPECT_EQ("JPG (JPEG)", shownFormat);
    EXPECT_TRUE(script.boxes.empty());

    dialog.StoreTo(options);
    EXPECT_EQ(3u, options.outputSettingEncoderType);
    EXPECT_STREQ("100% ", options.outputSettingFilenamePrefix);
    EXPECT_EQ(16959u, options.outputSettingSequenceStartAt);
    EXPECT_EQ(10u, options.outputSettingPaddingZero);
    EXPECT_EQ(folder.path, options.outputSettingFilenamePath); // backslash stripped
}

TEST(OutputDialog, OutOfRangeNumbersAndMissingFoldersKeepTheDialogOpen) {
    TempFolder folder;
    struct Case {
        const char* what;
        const char* start;
        const char* padding;
        const char* prefix;
        std::string location;
        const char* boxCaption; // empty: a beep only
        const char* boxText;
        UINT icon;
        int focus;
    } cases[] = {
        {"start above its range", "16960", "0", "P", folder.path, "Failed!",
         "Value must be between 0 and 16959", MB_ICONERROR, IDC_OUTPUT_START},
        {"start below its range", "-1", "0", "P", folder.path, "Failed!",
         "Value must be between 0 and 16959", MB_ICONERROR, IDC_OUTPUT_START},
        {"padding above its range", "1", "11", "P", folder.path, "Failed!",
         "Value must be between 0 and 10", MB_ICONERROR, IDC_OUTPUT_PADDING},
        {"empty start", "", "0", "P", folder.path, "", "", 0, IDC_OUTPUT_START},
        {"a prefix with a slash", "1", "0", "a/b", folder.path, "", "", 0, IDC_OUTPUT_PREFIX},
        {"a missing folder", "1", "0", "P", folder.path + "\\missing", "Velmorantix XP",
         "Path does not exists!", MB_ICONINFORMATION, IDC_OUTPUT_LOCATION},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        COutputDialog dialog;
        dialog.folder = folder.path;
        bool stayedOpen = false;
        HWND focus = NULL;
        HWND expectedFocus = NULL;
        DialogScript script("Output", [&](HWND d) {
            DialogScript::SetText(d, IDC_OUTPUT_START, c.start);
            DialogScript::SetText(d, IDC_OUTPUT_PADDING, c.padding);
            DialogScript::SetText(d, IDC_OUTPUT_PREFIX, c.prefix);
            DialogScript::SetText(d, IDC_OUTPUT_LOCATION, c.location.c_str());
            DialogScript::PressOk(d);
            stayedOpen = ::IsWindow(d) && ::IsWindowVisible(d);
            focus = ::GetFocus();
            expectedFocus = ::GetDlgItem(d, c.focus);
            DialogScript::PressCancel(d);
        });
        EXPECT_EQ(IDCANCEL, dialog.DoModal(NULL));
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(expectedFocus, focus);
        if (c.boxCaption[0] == '\0') {
            EXPECT_TRUE(script.boxes.empty());
        } else {
            ASSERT_EQ(1u, script.boxes.size());
            EXPECT_EQ(c.boxCaption, script.boxes[0].caption);
            EXPECT_EQ(c.boxText, script.boxes[0].text);
            EXPECT_EQ(c.icon, script.boxes[0].icon);
        }
        EXPECT_EQ(1, dialog.startAt); // nothing taken over
        EXPECT_EQ("PHOTO", dialog.prefix);
    }
}

TEST(OutputDialog, CancelChangesNothingAndUseCurrentFillsTheLocation) {
    TempFolder folder;
    CAppOptions options = SomeOptions(folder.path);
    COutputDialog dialog;
    dialog.LoadFrom(options);
    dialog.currentFolder = "D:\\current";
    std::string afterUseCurrent;
    DialogScript script("Output", [&](HWND d) {
        DialogScript::Click(d, IDC_OUTPUT_USE_CURRENT);
        afterUseCurrent = DialogScript::Text(d, IDC_OUTPUT_LOCATION);
        DialogScript::SetText(d, IDC_OUTPUT_PREFIX, "changed");
        DialogScript::PressCancel(d);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal(NULL));
    EXPECT_EQ("D:\\current", afterUseCurrent);
    CAppOptions after = options;
    dialog.StoreTo(after);
    EXPECT_STREQ(options.outputSettingFilenamePrefix, after.outputSettingFilenamePrefix);
    EXPECT_STREQ(options.outputSettingFilenamePath, after.outputSettingFilenamePath);
    EXPECT_EQ(options.outputSettingSequenceStartAt, after.outputSettingSequenceStartAt);
}

TEST(OutputDialog, OptionsIsNeverOfferedForFormatsWithoutSaveOptions) {
    // Rows in list order: BMP, GIF, JPG, PNG, PSD, RAS, TIF, WBMP.
    COutputDialog dialog;
    bool enabled[8] = {};
    DialogScript script("Output", [&](HWND d) {
        for (int row = 0; row < 8; ++row) {
            SelectFormatRow(d, row);
            enabled[row] = DialogScript::IsEnabled(d, IDC_OUTPUT_OPTIONS);
        }
        DialogScript::PressCancel(d);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal(NULL));
    for (int row = 0; row < 8; ++row) {
        bool hasOptions = row == 2 || row == 3;
        EXPECT_EQ(hasOptions && COutputDialog::SaveOptionsAvailable(), enabled[row]) << row;
    }
}

TEST(OutputDialog, OptionsOpensTheChosenFormatsOptionsDialog) {
    // Rows in list order: JPG is 2, PNG 3.
    struct Case {
        int row;
        const char* caption;
    } cases[] = {{2, "JPEG Options"}, {3, "PNG Options"}};
    for (const Case& c : cases) {
        COutputDialog dialog;
        DialogScript script("Output", [&](HWND d) {
            SelectFormatRow(d, c.row);
            DialogScript::Click(d, IDC_OUTPUT_OPTIONS);
            DialogScript::PressCancel(d);
        });
        // The options dialog is answered with OK as soon as it opens.
        script.boxCaptions.push_back(c.caption);
        EXPECT_EQ(IDCANCEL, dialog.DoModal(NULL));
        ASSERT_EQ(script.boxes.size(), 1u) << c.caption;
        EXPECT_EQ(script.boxes[0].caption, c.caption);
    }
}

} // namespace
