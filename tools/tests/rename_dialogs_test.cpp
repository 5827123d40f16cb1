// The Rename and Batch Rename Files dialogs, run modally on the test's thread
// and driven from inside their loops: the names Rename refuses and the
// messages it gives, the batch dialog's sample, its refusals and its stored
// values, and one batch run on disk in a folder with '%' in its name.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/tests/change_recorder.h"
#include "app/tests/temp_folder.h"
#include "tests/support/dialog_script.h"
#include "tools/file_dialogs.h"
#include "tools/rename_dialogs.h"
#include "tools/tests/option_values.h"

namespace {

using testsupport::DialogScript;

const char* const kBatchValues[] = {"BatchRenameFilenamePrefix", "BatchRenameSequenceStartAt",
                                    "BatchRenamePaddingZero"};

std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.emplace_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

const char kInvalidName[] =
    "A file name cannot be empty or contain any of these characters: \\ / : * ? \" < > |";

TEST(RenameDialog, RefusesNamesNoFileMayHaveAndNamesOfOtherFilesKeepingTheDialogOpen) {
    CTestFolder folder("rename");
    const std::string path = folder.Write("photo.jpg", 3);
    folder.Write("taken.jpg", 1);
    struct Case {
        const char* typed;
        bool accepted;
        const char* caption; // of the message, when refused
        const char* message;
        UINT icon;
    } cases[] = {
        {"garden.jpg", true, "", "", 0},
        {"garden", true, "", "", 0},
        {"PHOTO.JPG", true, "", "", 0}, // the file itself, in other letters
        {"100% %s%n.jpg", true, "", "", 0},
        {"taken.jpg", false, "Information", "File already exists!", MB_ICONWARNING},
        {"TAKEN", false, "Information", "File already exists!", MB_ICONWARNING},
        {"a?b.jpg", false, "Failed!", kInvalidName, MB_ICONERROR},
        {"dir\\x.jpg", false, "Failed!", kInvalidName, MB_ICONERROR},
        {"", false, "Failed!", kInvalidName, MB_ICONERROR},
        {" ..", false, "Failed!", kInvalidName, MB_ICONERROR},
    };
    for (const Case& c : cases) {
        CRenameDialog dialog;
        dialog.name = "photo.jpg";
        dialog.path = path;
        std::string shown;
        bool openAfterOk = false;
        DialogScript script("Rename", [&](HWND d) {
            shown = DialogScript::Text(d, IDC_RENAME_EDIT);
            DialogScript::SetText(d, IDC_RENAME_EDIT, c.typed);
            DialogScript::PressOk(d);
            openAfterOk = ::IsWindow(d) && ::IsWindowVisible(d);
            if (openAfterOk)
                DialogScript::PressCancel(d);
        });
        script.boxCaptions = {"Failed!", "Information"};
        const INT_PTR answer = dialog.DoModal(nullptr);
        EXPECT_EQ(shown, "photo.jpg") << c.typed;
        if (c.accepted) {
            EXPECT_EQ(answer, IDOK) << c.typed;
            EXPECT_EQ(dialog.name, c.typed);
            EXPECT_TRUE(script.boxes.empty()) << c.typed;
            continue;
        }
        EXPECT_EQ(answer, IDCANCEL) << c.typed;
        EXPECT_TRUE(openAfterOk) << c.typed;
        ASSERT_EQ(script.boxes.size(), 1u) << c.typed;
        EXPECT_EQ(script.boxes[0].caption, c.caption) << c.typed;
        EXPECT_EQ(script.boxes[0].text, c.message) << c.typed;
        EXPECT_EQ(script.boxes[0].icon, c.icon) << c.typed;
        EXPECT_EQ(dialog.name, "photo.jpg") << c.typed;
    }
    EXPECT_EQ(Content(path), "xxx");
}

TEST(RenameDialog, TakesANameOf259CharactersAndNoMore) {
    CRenameDialog dialog;
    dialog.name = "garden.jpg";
    const std::string longest(259, 'n');
    LRESULT limit = 0;
    DialogScript script("Rename", [&](HWND d) {
        testsupport::MaybeScreenshot(d, "rename_dialog");
        limit = ::SendDlgItemMessageA(d, IDC_RENAME_EDIT, EM_GETLIMITTEXT, 0, 0);
        // One character more than the box takes, typed.
        DialogScript::SetText(d, IDC_RENAME_EDIT, "");
        for (size_t i = 0; i < longest.size() + 1; ++i)
            ::SendDlgItemMessageA(d, IDC_RENAME_EDIT, WM_CHAR, 'n', 0);
        DialogScript::PressOk(d);
    });
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(limit, 259);
    EXPECT_EQ(dialog.name, longest);
}

TEST(RenameDialog, IsTheDialogTheCoreAsksThroughAndCancelKeepsTheName) {
    CToolFileDialogs tools;
    std::string name = "old.jpg";
    {
        DialogScript script("Rename", [&](HWND d) {
            DialogScript::SetText(d, IDC_RENAME_EDIT, "new.jpg");
            DialogScript::PressOk(d);
        });
        EXPECT_TRUE(tools.AskRename(nullptr, &name));
    }
    EXPECT_EQ(name, "new.jpg");
    {
        DialogScript script("Rename", [&](HWND d) {
            DialogScript::SetText(d, IDC_RENAME_EDIT, "other.jpg");
            DialogScript::PressCancel(d);
        });
        EXPECT_FALSE(tools.AskRenameFile(nullptr, "C:\\x\\new.jpg", &name));
    }
    EXPECT_EQ(name, "new.jpg");
}

class BatchRenameDialog : public testing::Test {
protected:
    void SetUp() override { option_values::Clear(kBatchValues); }
    void TearDown() override { option_values::Clear(kBatchValues); }
};

TEST_F(BatchRenameDialog, TheSampleFollowsEveryBoxFromTheStoredDefaults) {
    struct Case {
        const char* prefix;
        const char* start;
        const char* padding;
        const char* sample;
    } cases[] = {
        {"PHOTO", "1", "3", "PHOTO001.ext, PHOTO002.ext, PHOTO003.ext..."},
        {"PHOTO", "7", "0", "PHOTO7.ext, PHOTO8.ext, PHOTO9.ext..."},
        {"PHOTO", "99", "2", "PHOTO99.ext, PHOTO100.ext, PHOTO101.ext..."},
        {"50%", "1", "0", "50%1.ext, 50%2.ext, 50%3.ext..."},
        {"%s%n", "", "", "%s%n0.ext, %s%n1.ext, %s%n2.ext..."},
    };
    CBatchRenameDialog dialog;
    std::string opened;
    std::vector<std::string> samples;
    DialogScript script("Batch Rename Files", [&](HWND d) {
        testsupport::MaybeScreenshot(d, "batch_rename_dialog");
        opened = DialogScript::Text(d, IDC_BATCH_RENAME_PREFIX) + "|" +
                 DialogScript::Text(d, IDC_BATCH_RENAME_START) + "|" +
                 DialogScript::Text(d, IDC_BATCH_RENAME_PADDING) + "|" +
                 DialogScript::Text(d, IDC_BATCH_RENAME_SAMPLE);
        for (const Case& c : cases) {
            DialogScript::SetText(d, IDC_BATCH_RENAME_PREFIX, c.prefix);
            DialogScript::SetText(d, IDC_BATCH_RENAME_START, c.start);
            DialogScript::SetText(d, IDC_BATCH_RENAME_PADDING, c.padding);
            samples.push_back(DialogScript::Text(d, IDC_BATCH_RENAME_SAMPLE));
        }
        DialogScript::PressCancel(d);
    });
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(opened, "PHOTO|1|0|PHOTO1.ext, PHOTO2.ext, PHOTO3.ext...");
    ASSERT_EQ(samples.size(), sizeof cases / sizeof cases[0]);
    for (size_t i = 0; i < samples.size(); ++i)
        EXPECT_EQ(samples[i], cases[i].sample) << cases[i].prefix;
    // Cancel stores nothing.
    EXPECT_FALSE(option_values::AnyPresent(kBatchValues));
}

TEST_F(BatchRenameDialog, OkStoresTheChoiceWhichTheNextOpeningShows) {
    {
        CBatchRenameDialog dialog;
        DialogScript script("Batch Rename Files", [&](HWND d) {
            // The spin's range: its top is 16959.
            LRESULT range =
                ::SendDlgItemMessageA(d, IDC_BATCH_RENAME_START_SPIN, UDM_GETRANGE, 0, 0);
            EXPECT_EQ(LOWORD(range), 16959);
            DialogScript::SetText(d, IDC_BATCH_RENAME_PREFIX, "Trip 100% ");
            DialogScript::SetText(d, IDC_BATCH_RENAME_START, "16959");
            DialogScript::SetText(d, IDC_BATCH_RENAME_PADDING, "10");
            DialogScript::PressOk(d);
        });
        ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
        EXPECT_EQ(dialog.pattern.prefix, "Trip 100% ");
        EXPECT_EQ(dialog.pattern.first, 16959);
        EXPECT_EQ(dialog.pattern.padding, 10);
    }
    EXPECT_EQ(option_values::Dword("BatchRenameSequenceStartAt"), 16959u);
    EXPECT_EQ(option_values::Dword("BatchRenamePaddingZero"), 10u);
    const batch_rename::Pattern stored = CBatchRenameDialog::LoadPattern();
    EXPECT_EQ(stored.prefix, "Trip 100% ");

    // A value of another type keeps its default.
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, option_values::kKey, 0, nullptr, 0, KEY_WRITE,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD number = 5;
    ::RegSetValueExA(key, "BatchRenameFilenamePrefix", 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&number), sizeof number);
    ::RegSetValueExA(key, "BatchRenamePaddingZero", 0, REG_SZ, reinterpret_cast<const BYTE*>("3"),
                     2);
    ::RegCloseKey(key);
    const batch_rename::Pattern mixed = CBatchRenameDialog::LoadPattern();
    EXPECT_EQ(mixed.prefix, "PHOTO");
    EXPECT_EQ(mixed.first, 16959);
    EXPECT_EQ(mixed.padding, 0);
}

TEST_F(BatchRenameDialog, OkRefusesABadPrefixAndEmptyOrOutOfRangeNumbers) {
    struct Case {
        const char* prefix;
        const char* start;
        const char* padding;
        const char* message; // "" for a beep alone
        int focus;
    } cases[] = {
        {"a:b", "1", "0", "A file name cannot contain any of these characters: \\ / : * ? \" < > |",
         IDC_BATCH_RENAME_PREFIX},
        {"PHOTO", "", "0", "", IDC_BATCH_RENAME_START},
        {"PHOTO", "16960", "0", "Value must be between 0 and 16959", IDC_BATCH_RENAME_START},
        {"PHOTO", "1", "", "", IDC_BATCH_RENAME_PADDING},
        {"PHOTO", "1", "11", "Value must be between 0 and 10", IDC_BATCH_RENAME_PADDING},
    };
    for (const Case& c : cases) {
        CBatchRenameDialog dialog;
        bool openAfterOk = false;
        int focus = 0;
        DialogScript script("Batch Rename Files", [&](HWND d) {
            DialogScript::SetText(d, IDC_BATCH_RENAME_PREFIX, c.prefix);
            DialogScript::SetText(d, IDC_BATCH_RENAME_START, c.start);
            DialogScript::SetText(d, IDC_BATCH_RENAME_PADDING, c.padding);
            DialogScript::PressOk(d);
            openAfterOk = ::IsWindow(d) && ::IsWindowVisible(d);
            focus = ::GetDlgCtrlID(::GetFocus());
            DialogScript::PressCancel(d);
        });
        EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL) << c.prefix << c.start << c.padding;
        EXPECT_TRUE(openAfterOk) << c.prefix << c.start << c.padding;
        EXPECT_EQ(focus, c.focus) << c.prefix << c.start << c.padding;
        if (*c.message) {
            ASSERT_EQ(script.boxes.size(), 1u) << c.message;
            EXPECT_EQ(script.boxes[0].caption, "Failed!");
            EXPECT_EQ(script.boxes[0].text, c.message);
            EXPECT_EQ(script.boxes[0].icon, static_cast<UINT>(MB_ICONERROR));
        } else {
            EXPECT_TRUE(script.boxes.empty()) << c.start << '|' << c.padding;
        }
        EXPECT_FALSE(option_values::AnyPresent(kBatchValues));
    }
    // An empty prefix is no fault: the names are the numbers.
    CBatchRenameDialog dialog;
    DialogScript script("Batch Rename Files", [&](HWND d) {
        DialogScript::SetText(d, IDC_BATCH_RENAME_PREFIX, "");
        DialogScript::PressOk(d);
    });
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(dialog.pattern.prefix, "");
    EXPECT_TRUE(script.boxes.empty());
}

class BatchRenameOnDisk : public BatchRenameDialog {
protected:
    void SetUp() override {
        BatchRenameDialog::SetUp();
        g_applicationState.Watcher().Shutdown();
        g_applicationState.SetWindowHosts(nullptr, nullptr, &recorder);
    }
    void TearDown() override {
        g_applicationState.SetWindowHosts(nullptr, nullptr, nullptr);
        BatchRenameDialog::TearDown();
    }
    CChangeRecorder recorder;
};

TEST_F(BatchRenameOnDisk, RenamesTheSelectionInAFolderWithPercentInItsNameLosingNoFile) {
    CTestFolder root("batch_rename");
    const std::string folder = root.MakeFolder("100% photos");
    // Each file holds its first name, so every file can be followed.
    for (const char* name : {"x.jpg", "PHOTO1.jpg", "A.JPG", "PHOTO3.jpg"})
        WriteText(folder + "\\" + name, name);
    const std::vector<std::string> selection = {folder + "\\x.jpg", folder + "\\PHOTO1.jpg",
                                                folder + "\\A.JPG"};
    // The folder's list, as the explorer would show it, follows each rename.
    CFileItemList* list = g_applicationState.GetFileItemList(kListFolder, folder.c_str());
    ASSERT_NE(list, nullptr);
    DialogScript script("Batch Rename Files", [&](HWND d) { DialogScript::PressOk(d); });
    ASSERT_TRUE(RunBatchRename(nullptr, selection, folder));
    std::vector<std::string> items;
    for (int i = 0; i < list->GetItemCount(); ++i)
        items.emplace_back(list->GetItem(i));
    g_applicationState.ReleaseFileItemList(list);
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items,
              (std::vector<std::string>{"PHOTO1.jpg", "PHOTO2.jpg", "PHOTO3.jpg", "PHOTO4.jpg"}));
    // PHOTO1 waited aside while x took its name; the unselected PHOTO3 kept
    // its number and A.JPG took the next, in lower case.
    EXPECT_EQ(FolderNames(folder),
              (std::vector<std::string>{"PHOTO1.jpg", "PHOTO2.jpg", "PHOTO3.jpg", "PHOTO4.jpg"}));
    EXPECT_EQ(Content(folder + "\\PHOTO1.jpg"), "x.jpg");
    EXPECT_EQ(Content(folder + "\\PHOTO2.jpg"), "PHOTO1.jpg");
    EXPECT_EQ(Content(folder + "\\PHOTO3.jpg"), "PHOTO3.jpg");
    EXPECT_EQ(Content(folder + "\\PHOTO4.jpg"), "A.JPG");
    const auto changes = recorder.Take();
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.front().code, kListChangeBatchBegin);
    EXPECT_EQ(changes.back().code, kListChangeBatchEnd);
    int renamed = 0;
    for (const auto& change : changes)
        renamed += change.code == kListChangeRenamed ? 1 : 0;
    EXPECT_EQ(renamed, 4); // the wait under a temporary name is told too
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_applicationState.Watcher().PauseEvent(), 0));

    // A prefix that holds format directives stays literal; a file in the way
    // that cannot be moved is reported, never replaced.
    const batch_rename::Result result = RenameInSequence(
        {folder + "\\PHOTO1.jpg", folder + "\\PHOTO2.jpg"}, "", {"%s%d 100%", 9, 3});
    EXPECT_EQ(result.renamed, 2);
    EXPECT_EQ(FolderNames(folder), (std::vector<std::string>{"%s%d 100%009.jpg", "%s%d 100%010.jpg",
                                                             "PHOTO3.jpg", "PHOTO4.jpg"}));
    EXPECT_EQ(Content(folder + "\\%s%d 100%009.jpg"), "x.jpg");
}

TEST_F(BatchRenameOnDisk, AFileThatCannotBeRenamedIsNamedInOneMessageAndKept) {
    CTestFolder root("batch_locked");
    const std::string folder = root.Path();
    WriteText(folder + "\\a.jpg", "a");
    WriteText(folder + "\\b.jpg", "b");
    // An open file without delete sharing cannot be renamed.
    HANDLE held = CreateFileA((folder + "\\a.jpg").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    // No dialog opens: the script only answers the message.
    DialogScript script("", [](HWND) {});
    const batch_rename::Result result =
        RenameInSequence({folder + "\\a.jpg", folder + "\\b.jpg"}, folder, {"N", 1, 0});
    CloseHandle(held);
    ASSERT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(script.boxes[0].caption, "Failed!");
    EXPECT_EQ(script.boxes[0].text, "These files could not be renamed:\n" + folder + "\\a.jpg");
    EXPECT_EQ(result.renamed, 1);
    ASSERT_EQ(result.failed, std::vector<std::string>{folder + "\\a.jpg"});
    EXPECT_EQ(Content(folder + "\\a.jpg"), "a");
    EXPECT_EQ(Content(folder + "\\N2.jpg"), "b");
}

} // namespace
