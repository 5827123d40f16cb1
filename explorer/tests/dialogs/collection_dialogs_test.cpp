// The collection and folder properties dialogs under Wine, driven
// in-process: the paths they accept and refuse, the full path shown while a
// name is typed, and the folder date the check box sets and clears.
#include "explorer/collection_dialogs.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <string>

#include "app/tests/temp_folder.h"
#include "explorer/logic/folder_rules.h"
#include "tests/support/dialog_script.h"

namespace {

using testsupport::DialogScript;

TEST(AddToCollectionsDialog, AnExistingFolderIsTakenAndAMissingOneRefused) {
    CTestFolder root("addcoll");
    const std::string there = root.MakeFolder("there");
    struct Case {
        std::string typed;
        bool accepted;
    } cases[] = {{there, true}, {root.File("missing"), false}};
    for (const Case& c : cases) {
        CAddToCollectionsDialog dialog;
        DialogScript script("Add To My Collections", [&](HWND d) {
            DialogScript::SetText(d, IDC_COLLECTION_NAME, c.typed.c_str());
            DialogScript::PressOk(d);
            if (IsWindowVisible(d))
                DialogScript::PressCancel(d);
        });
        const INT_PTR result = dialog.DoModal(nullptr);
        EXPECT_EQ(c.accepted ? IDOK : IDCANCEL, result) << c.typed;
        if (c.accepted) {
            EXPECT_EQ(c.typed, dialog.path);
            EXPECT_TRUE(script.boxes.empty());
        } else {
            ASSERT_EQ(1u, script.boxes.size());
            EXPECT_EQ("Path not found.", script.boxes[0].text);
            EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), script.boxes[0].icon);
        }
    }
}

TEST(CreateCollectionDialog, ShowsTheFullPathWhileTypingAndRefusesAFolderThatExists) {
    CTestFolder root("newcoll");
    root.MakeFolder("Taken");
    struct Case {
        const char* name;
        bool accepted;
    } cases[] = {{"Fresh", true}, {"taken", false}};
    for (const Case& c : cases) {
        CCreateCollectionDialog dialog;
        lstrcpynA(dialog.location, root.Path().c_str(), MAX_PATH);
        std::string before, after;
        DialogScript script("Create New Collection", [&](HWND d) {
            testsupport::MaybeScreenshot(d, "create_collection_dialog");
            before = DialogScript::Text(d, IDC_COLLECTION_FULL_PATH);
            DialogScript::SetText(d, IDC_COLLECTION_NAME, c.name);
            after = DialogScript::Text(d, IDC_COLLECTION_FULL_PATH);
            DialogScript::PressOk(d);
            if (IsWindowVisible(d))
                DialogScript::PressCancel(d);
        });
        const INT_PTR result = dialog.DoModal(nullptr);
        EXPECT_EQ("", before) << "empty until the name changes";
        EXPECT_EQ(root.File(c.name), after) << "short enough to show whole";
        EXPECT_EQ(c.accepted ? IDOK : IDCANCEL, result) << c.name;
        if (c.accepted) {
            EXPECT_EQ(root.File(c.name), dialog.fullPath);
            EXPECT_FALSE(PathFileExistsA(dialog.fullPath)) << "the caller makes the folder";
        } else {
            ASSERT_EQ(1u, script.boxes.size());
            EXPECT_EQ("Path already existed.", script.boxes[0].text);
        }
    }
}

TEST(FolderPropertiesDialog, TheSetDateBoxDecidesWhetherThePickedDateIsStored) {
    struct Case {
        const char* name;
        uint32_t date;   // as stored before
        bool clickBox;   // toggles "Set Date"
        bool pickerOpen; // enabled when the dialog opens
        uint16_t year;   // stored after OK (0: none)
    } cases[] = {
        {"no date, left so", 0, false, false, 0},
        {"no date, box checked: today (UTC) is stored", 0, true, false, 1},
        {"a date, kept", PackFolderDate({2001, 2, 3}), false, true, 2001},
        {"a date, box cleared: the year becomes 0", PackFolderDate({2001, 2, 3}), true, true, 0},
    };
    for (const Case& c : cases) {
        CImageAttributes attributes;
        attributes.path = "C:\\pictures\\trip";
        attributes.artist = "Ann";
        attributes.description = "line one\r\nline two";
        attributes.keywords = "sea,sun";
        attributes.date = c.date;
        CFolderPropertiesDialog dialog(&attributes);
        bool pickerOpen = false;
        SYSTEMTIME today{};
        DialogScript script("Folder Properties", [&](HWND d) {
            testsupport::MaybeScreenshot(d, "folder_properties_dialog");
            pickerOpen = DialogScript::IsEnabled(d, IDC_FOLDER_DATE);
            EXPECT_EQ("line one\r\nline two", DialogScript::Text(d, IDC_FOLDER_DESCRIPTION));
            if (c.clickBox)
                DialogScript::Click(d, IDC_FOLDER_SET_DATE);
            DialogScript::SetText(d, IDC_FOLDER_ARTIST, "Bob");
            GetSystemTime(&today);
            DialogScript::PressOk(d);
        });
        ASSERT_EQ(IDOK, dialog.DoModal(nullptr)) << c.name;
        EXPECT_EQ(c.pickerOpen, pickerOpen) << c.name;
        const FolderDate stored = UnpackFolderDate(attributes.date);
        if (c.year == 1) {
            EXPECT_EQ(today.wYear, stored.year) << c.name;
            EXPECT_EQ(today.wMonth, stored.month) << c.name;
            EXPECT_EQ(today.wDay, stored.day) << c.name;
        } else {
            EXPECT_EQ(c.year, stored.year) << c.name;
        }
        if (c.year == 2001) {
            EXPECT_EQ(2, stored.month);
            EXPECT_EQ(3, stored.day);
        }
        EXPECT_EQ("Bob", attributes.artist);
        EXPECT_EQ("sea,sun", attributes.keywords);
    }
}

TEST(FolderPropertiesDialog, CancelLeavesTheRecordAsItWas) {
    CImageAttributes attributes;
    attributes.path = "C:\\pictures";
    attributes.artist = "Ann";
    attributes.date = PackFolderDate({1999, 12, 31});
    CFolderPropertiesDialog dialog(&attributes);
    DialogScript script("Folder Properties", [&](HWND d) {
        DialogScript::SetText(d, IDC_FOLDER_ARTIST, "Bob");
        DialogScript::Click(d, IDC_FOLDER_SET_DATE);
        DialogScript::PressCancel(d);
    });
    ASSERT_EQ(IDCANCEL, dialog.DoModal(nullptr));
    EXPECT_EQ("Ann", attributes.artist);
    EXPECT_EQ(PackFolderDate({1999, 12, 31}), attributes.date);
}

} // namespace
