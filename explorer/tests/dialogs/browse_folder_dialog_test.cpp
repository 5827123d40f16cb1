// Browse for Folder under Wine, driven in-process: how many recent folders
// it keeps, the order it writes them in, folders it no longer offers, the
// nested folders OK makes, and the rename that Enter only ends.
#include "explorer/browse_folder_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/options.h"
#include "app/tests/temp_folder.h"
#include "tests/support/dialog_script.h"

namespace {

using testsupport::DialogScript;
using Strings = std::vector<std::string>;

class BrowseForFolder : public testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);
        if (!g_smallImageList)
            g_smallImageList = ImageList_Create(16, 16, ILC_COLOR24, 1, 0);
        Clear();
    }
    void TearDown() override { Clear(); }

    static void Clear() {
        RegDeleteKeyA(HKEY_CURRENT_USER, kRecentBrowseKeyPath);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kOptionsKeyPath, 0, KEY_WRITE, &key) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(key, kRecentBrowseCountValue);
            RegCloseKey(key);
        }
    }
    static void SetCount(DWORD count) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kOptionsKeyPath, 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &key, nullptr));
        RegSetValueExA(key, kRecentBrowseCountValue, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&count), sizeof count);
        RegCloseKey(key);
    }
    static void Store(const Strings& folders) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kRecentBrowseKeyPath, 0,
                                                 nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
        for (size_t i = 0; i < folders.size(); ++i)
            RegSetValueExA(key, std::to_string(i).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(folders[i].c_str()),
                           static_cast<DWORD>(folders[i].size() + 1));
        RegCloseKey(key);
    }
    static Strings Stored() {
        Strings folders;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kRecentBrowseKeyPath, 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return folders;
        // Reads past a gap too, so that a value left behind shows.
        for (int i = 0; i < 40; ++i) {
            char text[MAX_PATH] = "";
            DWORD size = sizeof text;
            if (RegQueryValueExA(key, std::to_string(i).c_str(), nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS)
                folders.push_back(std::to_string(i) + "=" + text);
        }
        RegCloseKey(key);
        return folders;
    }
    static Strings ComboEntries(HWND dialog) {
        Strings entries;
        HWND combo = GetDlgItem(dialog, IDC_BROWSE_FOLDER);
        const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[MAX_PATH] = "";
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }

    CTestFolder root{"browse"};
};

TEST_F(BrowseForFolder, TheRegistryCountIsHeldToTenThroughTwentyAndTheOldestFallsOff) {
    struct Case {
        bool present;
        DWORD count;
        uint32_t kept;
    } cases[] = {{false, 0, 10}, {true, 5, 10}, {true, 15, 15}, {true, 50, 20}};
    for (const Case& c : cases) {
        Clear();
        if (c.present)
            SetCount(c.count);
        Strings folders;
        for (uint32_t i = 0; i < c.kept; ++i)
            folders.push_back(root.MakeFolder("f" + std::to_string(i)));
        Store(folders);
        const std::string chosen = root.MakeFolder("chosen");
        CBrowseForFolderDialog dialog;
        uint32_t count = 0;
        DialogScript script("Browse for Folder", [&](HWND d) {
            count = dialog.RecentCount();
            DialogScript::SetText(d, IDC_BROWSE_FOLDER, chosen.c_str());
            DialogScript::PressOk(d);
        });
        ASSERT_EQ(IDOK, dialog.DoModal(nullptr)) << c.count;
        EXPECT_EQ(c.kept, count) << c.count;
        const Strings stored = Stored();
        ASSERT_EQ(c.kept, stored.size()) << c.count;
        EXPECT_EQ("0=" + chosen, stored.front());
        EXPECT_EQ(std::to_string(c.kept - 1) + "=" + folders[c.kept - 2], stored.back())
            << "the oldest went, the rest moved down by one";
    }
}

TEST_F(BrowseForFolder, AFolderAlreadyListedMovesToTheTopAndValuesBeyondTheListAreDeleted) {
    const std::string a = root.MakeFolder("a"), b = root.MakeFolder("b"), c = root.MakeFolder("c");
    Store({a, b, c});
    CBrowseForFolderDialog dialog;
    DialogScript script("Browse for Folder", [&](HWND d) {
        std::string upper = c;
        for (char& ch : upper)
            ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
        DialogScript::SetText(d, IDC_BROWSE_FOLDER, upper.c_str());
        DialogScript::PressOk(d);
    });
    ASSERT_EQ(IDOK, dialog.DoModal(nullptr));
    const Strings stored = Stored();
    ASSERT_EQ(3u, stored.size()) << "listed once, in any case";
    EXPECT_EQ("1=" + a, stored[1]);
    EXPECT_EQ("2=" + b, stored[2]);
    EXPECT_EQ(0, lstrcmpiA(("0=" + c).c_str(), stored[0].c_str()));
}

TEST_F(BrowseForFolder, FoldersThatAreGoneAreNotOfferedButStayInTheRegistry) {
    const std::string kept = root.MakeFolder("kept");
    const std::string gone = root.File("gone");
    Store({gone, kept});
    CBrowseForFolderDialog dialog;
    Strings offered;
    std::string shown;
    DialogScript script("Browse for Folder", [&](HWND d) {
        testsupport::MaybeScreenshot(d, "browse_folder_dialog");
        offered = ComboEntries(d);
        shown = DialogScript::Text(d, IDC_BROWSE_FOLDER);
        DialogScript::PressCancel(d);
    });
    ASSERT_EQ(IDCANCEL, dialog.DoModal(nullptr));
    EXPECT_EQ(Strings{kept}, offered);
    EXPECT_EQ(kept, shown) << "the first entry is selected";
    EXPECT_EQ((Strings{"0=" + gone, "1=" + kept}), Stored());
}

TEST_F(BrowseForFolder, OkMakesEveryMissingFolderOfATypedPath) {
    const std::string typed = root.File("one\\two\\three");
    CBrowseForFolderDialog dialog;
    std::string button;
    DialogScript script("Browse for Folder", [&](HWND d) {
        DialogScript::SetText(d, IDC_BROWSE_FOLDER, typed.c_str());
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_FOLDER, CBN_EDITCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_BROWSE_FOLDER)));
        button = DialogScript::Text(d, ID_TREE_NEW_FOLDER);
        DialogScript::Click(d, IDC_BROWSE_OK);
    });
    ASSERT_EQ(IDOK, dialog.DoModal(nullptr));
    EXPECT_EQ("&Create New Collection", button) << "a path that does not exist yet";
    EXPECT_TRUE(PathIsDirectoryA(typed.c_str()));
    EXPECT_STREQ(typed.c_str(), dialog.path);
}

TEST_F(BrowseForFolder, AFolderThatCannotBeMadeKeepsTheDialogOpenWithAnError) {
    const std::string file = root.Write("file.txt", 3);
    const std::string below = file + "\\sub";
    CBrowseForFolderDialog dialog;
    bool stillOpen = false;
    DialogScript script("Browse for Folder", [&](HWND d) {
        DialogScript::SetText(d, IDC_BROWSE_FOLDER, below.c_str());
        DialogScript::PressOk(d);
        stillOpen = IsWindow(d) && IsWindowVisible(d);
        DialogScript::PressCancel(d);
    });
    ASSERT_EQ(IDCANCEL, dialog.DoModal(nullptr));
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(1u, script.boxes.size());
    EXPECT_EQ("Cannot create folder.", script.boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), script.boxes[0].icon);
    EXPECT_TRUE(Stored().empty());
}

TEST_F(BrowseForFolder, GoOnAMissingPathSaysSoAndAnExistingOneEnablesGo) {
    const std::string there = root.MakeFolder("there");
    CBrowseForFolderDialog dialog;
    bool goEnabled = false;
    std::string button;
    DialogScript script("Browse for Folder", [&](HWND d) {
        DialogScript::SetText(d, IDC_BROWSE_FOLDER, there.c_str());
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_FOLDER, CBN_EDITCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_BROWSE_FOLDER)));
        goEnabled = DialogScript::IsEnabled(d, IDC_BROWSE_GO);
        button = DialogScript::Text(d, ID_TREE_NEW_FOLDER);
        DialogScript::SetText(d, IDC_BROWSE_FOLDER, root.File("missing").c_str());
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_GO, BN_CLICKED), 0);
        DialogScript::PressCancel(d);
    });
    ASSERT_EQ(IDCANCEL, dialog.DoModal(nullptr));
    EXPECT_TRUE(goEnabled);
    EXPECT_EQ("&Make New Folder", button);
    ASSERT_EQ(1u, script.boxes.size());
    EXPECT_EQ("Path not found", script.boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), script.boxes[0].icon);
}

} // namespace
