// Every window that asks the application for a folder gets the explorer's
// own Browse for Folder: its caption is the asker's title (or its own), it
// starts in the asker's folder, and OK hands back the folder it made.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/folder_browser.h"
#include "app/tests/temp_folder.h"
#include "explorer/browse_folder_dialog.h"
#include "program/program_frames.h"
#include "resources/resource.h"
#include "tests/support/dialog_script.h"

namespace {

using testsupport::DialogScript;

class ProgramFolderBrowser : public testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);
        if (!g_smallImageList)
            g_smallImageList = ImageList_Create(16, 16, ILC_COLOR24, 1, 0);
        RegDeleteKeyA(HKEY_CURRENT_USER, kRecentBrowseKeyPath);
        RegisterProgramFrames();
    }
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kRecentBrowseKeyPath); }

    CTestFolder root{"program-browse"};
};

TEST_F(ProgramFolderBrowser, TheAskersTitleAndFolderOpenTheExplorersDialog) {
    const std::string start = root.MakeFolder("start");
    const std::string made = root.File("new\\deeper");
    struct Case {
        const char* name;
        const char* title;
        const char* caption;
        bool ok;
        bool (*ask)(const char* title, std::string* folder);
    } cases[] = {
        {"a tool's Browse, cancelled", "Download to", "Download to", false,
         [](const char* title, std::string* folder) {
             return BrowseForFolder(nullptr, title, folder);
         }},
        {"a tool's Browse without a title, taking a typed new folder", nullptr, "Browse for Folder",
         true,
         [](const char* title, std::string* folder) {
             return BrowseForFolder(nullptr, title, folder);
         }},
        {"the frames' file dialogs, taking a typed new folder", "Copy To", "Copy To", true,
         [](const char* title, std::string* folder) {
             return g_applicationState.FileDialogs()->BrowseForFolder(nullptr, title, folder);
         }},
    };
    for (const Case& c : cases) {
        RemoveDirectoryA(made.c_str());
        RemoveDirectoryA(root.File("new").c_str());
        std::string shownFolder;
        bool hasTree = false;
        DialogScript script(c.caption, [&](HWND d) {
            shownFolder = DialogScript::Text(d, IDC_BROWSE_FOLDER);
            hasTree = GetDlgItem(d, IDC_BROWSE_TREE) != nullptr;
            if (!c.ok) {
                DialogScript::PressCancel(d);
                return;
            }
            DialogScript::SetText(d, IDC_BROWSE_FOLDER, made.c_str());
            DialogScript::PressOk(d);
        });
        std::string folder = start;
        EXPECT_EQ(c.ok, c.ask(c.title, &folder)) << c.name;
        EXPECT_TRUE(script.scriptRan) << c.name;
        EXPECT_EQ(start, shownFolder) << c.name;
        EXPECT_TRUE(hasTree) << c.name;
        EXPECT_EQ(c.ok ? made : start, folder) << c.name;
        EXPECT_EQ(c.ok, PathIsDirectoryA(made.c_str()) != FALSE) << c.name;
    }
}

} // namespace
