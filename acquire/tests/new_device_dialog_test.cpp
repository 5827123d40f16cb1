// The New device detected dialog, run modally on the test's thread and driven
// from inside its own loop: the remembered choices it opens on and stores, the
// enabling that follows the action, the missing-folder message and Cancel.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "acquire/new_device_dialog.h"
#include "app/options.h"
#include "tests/support/dialog_script.h"

namespace {

using testsupport::DialogScript;

constexpr const char* kCaption = "New device detected";

std::string TempFolder() {
    char base[MAX_PATH];
    ::GetTempPathA(sizeof(base), base);
    return base;
}

CAppOptions Remembered(uint32_t action, bool remove, bool pictureOnly) {
    CAppOptions options;
    options.explorerNewDeviceActionDlgDefAction = action;
    options.explorerNewDeviceActionDlgDefRemoveItemsAfterDownloaded = remove;
    options.explorerNewDeviceActionDlgDefPictureOnly = pictureOnly;
    return options;
}

bool DownloadControlsEnabled(HWND d) {
    return DialogScript::IsEnabled(d, IDC_NEW_DEVICE_REMOVE) &&
           DialogScript::IsEnabled(d, IDC_NEW_DEVICE_PICTURE_ONLY) &&
           DialogScript::IsEnabled(d, IDC_NEW_DEVICE_FOLDER) &&
           DialogScript::IsEnabled(d, IDC_NEW_DEVICE_BROWSE);
}

bool DownloadControlsDisabled(HWND d) {
    return !DialogScript::IsEnabled(d, IDC_NEW_DEVICE_REMOVE) &&
           !DialogScript::IsEnabled(d, IDC_NEW_DEVICE_PICTURE_ONLY) &&
           !DialogScript::IsEnabled(d, IDC_NEW_DEVICE_FOLDER) &&
           !DialogScript::IsEnabled(d, IDC_NEW_DEVICE_BROWSE);
}

TEST(NewDeviceDialog, ARememberedActionAboveZeroOpensOnDownloadAndOkStoresOne) {
    CAppOptions options = Remembered(5, true, false);
    std::string folder = TempFolder();
    CNewDeviceDialog dialog(options);
    dialog.folder = folder;
    bool openedOnDownload = false, checksShown = false, enabled = false;
    DialogScript script(kCaption, [&](HWND d) {
        testsupport::MaybeScreenshot(d, "new_device");
        openedOnDownload = DialogScript::IsChecked(d, IDC_NEW_DEVICE_DOWNLOAD) &&
                           !DialogScript::IsChecked(d, IDC_NEW_DEVICE_BROWSE_ITEMS);
        checksShown = DialogScript::IsChecked(d, IDC_NEW_DEVICE_REMOVE) &&
                      !DialogScript::IsChecked(d, IDC_NEW_DEVICE_PICTURE_ONLY) &&
                      DialogScript::Text(d, IDC_NEW_DEVICE_FOLDER) == folder;
        enabled = DownloadControlsEnabled(d);
        DialogScript::Click(d, IDC_NEW_DEVICE_REMOVE);
        DialogScript::Click(d, IDC_NEW_DEVICE_PICTURE_ONLY);
        DialogScript::PressOk(d);
    });
    EXPECT_EQ(IDOK, dialog.DoModal(NULL));
    EXPECT_TRUE(openedOnDownload);
    EXPECT_TRUE(checksShown);
    EXPECT_TRUE(enabled);
    EXPECT_TRUE(script.boxes.empty());
    EXPECT_EQ(1, dialog.action);
    EXPECT_EQ(0, dialog.removeAfterDownload);
    EXPECT_EQ(1, dialog.pictureOnly);
    EXPECT_EQ(folder, dialog.folder);
    EXPECT_EQ(1u, options.explorerNewDeviceActionDlgDefAction);
    EXPECT_FALSE(options.explorerNewDeviceActionDlgDefRemoveItemsAfterDownloaded);
    EXPECT_TRUE(options.explorerNewDeviceActionDlgDefPictureOnly);
}

TEST(NewDeviceDialog, EnablingFollowsTheChosenAction) {
    CAppOptions options = Remembered(0, false, false);
    CNewDeviceDialog dialog(options);
    bool disabledAtFirst = false, enabledOnDownload = false, disabledAgain = false;
    DialogScript script(kCaption, [&](HWND d) {
        disabledAtFirst =
            DialogScript::IsChecked(d, IDC_NEW_DEVICE_BROWSE_ITEMS) && DownloadControlsDisabled(d);
        DialogScript::Click(d, IDC_NEW_DEVICE_DOWNLOAD);
        enabledOnDownload = DownloadControlsEnabled(d);
        DialogScript::Click(d, IDC_NEW_DEVICE_BROWSE_ITEMS);
        disabledAgain = DownloadControlsDisabled(d);
        DialogScript::PressCancel(d);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal(NULL));
    EXPECT_TRUE(disabledAtFirst);
    EXPECT_TRUE(enabledOnDownload);
    EXPECT_TRUE(disabledAgain);
}

TEST(NewDeviceDialog, DownloadToAMissingFolderIsRefusedAndTheDialogStaysOpen) {
    CAppOptions options = Remembered(1, true, true);
    CNewDeviceDialog dialog(options);
    dialog.folder = TempFolder() + "no such folder 100% here";
    bool stillOpen = false;
    DialogScript script(kCaption, [&](HWND d) {
        DialogScript::Click(d, IDC_NEW_DEVICE_REMOVE);
        DialogScript::PressOk(d);
        stillOpen = ::IsWindowVisible(d) != FALSE;
        DialogScript::PressCancel(d);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal(NULL));
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(1u, script.boxes.size());
    EXPECT_EQ("Velmorantix XP", script.boxes[0].caption);
    EXPECT_EQ("Path does not exists.", script.boxes[0].text);
    EXPECT_EQ((UINT)MB_ICONERROR, script.boxes[0].icon);
    // Cancel after the refusal keeps every remembered choice.
    EXPECT_EQ(1u, options.explorerNewDeviceActionDlgDefAction);
    EXPECT_TRUE(options.explorerNewDeviceActionDlgDefRemoveItemsAfterDownloaded);
    EXPECT_TRUE(options.explorerNewDeviceActionDlgDefPictureOnly);
}

TEST(NewDeviceDialog, BrowseContentIsAcceptedWhateverTheFolderHolds) {
    CAppOptions options = Remembered(1, true, false);
    CNewDeviceDialog dialog(options);
    DialogScript script(kCaption, [&](HWND d) {
        DialogScript::Click(d, IDC_NEW_DEVICE_BROWSE_ITEMS);
        DialogScript::SetText(d, IDC_NEW_DEVICE_FOLDER, "<<garbage|*?>>");
        DialogScript::PressOk(d);
    });
    EXPECT_EQ(IDOK, dialog.DoModal(NULL));
    EXPECT_TRUE(script.boxes.empty());
    EXPECT_EQ(0, dialog.action);
    EXPECT_EQ(0u, options.explorerNewDeviceActionDlgDefAction);
    EXPECT_TRUE(options.explorerNewDeviceActionDlgDefRemoveItemsAfterDownloaded);
}

} // namespace
