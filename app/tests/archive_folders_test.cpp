// Zip archives as folders under Wine: the archive lists of one archive share
// one temporary folder, which goes with the last of them; entries are listed
// by inner folder and extracted on demand; a protected entry asks for its
// password once.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/archive_temp_folder.h"
#include "app/file_item_list.h"
#include "app/tests/change_recorder.h"
#include "app/tests/temp_folder.h"

namespace {

using Names = std::vector<std::string>;

Names Items(CFileItemList* list) {
    Names names;
    for (int i = 0; i < list->GetItemCount(); ++i)
        names.push_back(list->GetItem(i));
    return names;
}

std::string Fixture(const char* name) {
    return std::string(VXP_TEST_DATA_DIR) + "\\app\\" + name;
}

std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class ArchiveFolders : public testing::Test {
protected:
    void SetUp() override {
        g_applicationState.Watcher().Shutdown();
        g_applicationState.SetFileDialogs(&dialogs);
        g_applicationState.Options().sortBy = kSortByName;
        g_applicationState.Options().sortOrder = kSortAscending;
    }
    void TearDown() override {
        g_applicationState.ReleaseFileItemList(nullptr);
        g_applicationState.SetFileDialogs(nullptr);
        EXPECT_EQ(0u, g_applicationState.ArchiveTempFolderCount());
    }
    CScriptedFileDialogs dialogs;
};

TEST_F(ArchiveFolders, InnerFoldersShareOneTemporaryFolderThatGoesWithTheLast) {
    const std::string archive = Fixture("pics.zip");
    std::string shouted = archive;
    CharUpperBuffA(&shouted[0], static_cast<DWORD>(shouted.size()));
    CFileItemList* one =
        g_applicationState.GetFileItemList(kListArchive, (archive + "|one").c_str());
    CFileItemList* two =
        g_applicationState.GetFileItemList(kListArchive, (shouted + "|two\\").c_str());
    CFileItemList* root = g_applicationState.GetFileItemList(kListArchive, archive.c_str());
    ASSERT_NE(nullptr, one);
    ASSERT_NE(nullptr, two);
    ASSERT_NE(nullptr, root);
    EXPECT_EQ((Names{"a.bmp", "b.gif"}), Items(one)); // no text file, no folder
    EXPECT_EQ((Names{"c.jpg"}), Items(two));          // not the deeper folder's
    EXPECT_EQ((Names{"d.png"}), Items(root));
    CArchiveTempFolder* shared = one->GetArchiveLocation()->tempFolder;
    EXPECT_EQ(shared, two->GetArchiveLocation()->tempFolder);
    EXPECT_EQ(shared, root->GetArchiveLocation()->tempFolder);
    EXPECT_EQ(1u, g_applicationState.ArchiveTempFolderCount());
    const std::string temp = shared->tempFolder;
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    EXPECT_EQ(0u, temp.find(std::string(base) + "pics.zip")) << temp;

    char path[MAX_PATH];
    ASSERT_TRUE(one->GetItemPath(1, path));
    EXPECT_EQ(archive + "\\one\\b.gif", path);
    ASSERT_TRUE(one->GetExtractedPath(1, path));
    EXPECT_EQ(temp + "\\one\\b.gif", path);
    EXPECT_EQ(0u, Content(path).find("GIF89a"));
    ASSERT_TRUE(two->GetExtractedPath(0, path));
    EXPECT_TRUE(Exists(path));

    CFileItemList* first =
        g_applicationState.ListFirstItems(kListArchive, (archive + "|one").c_str(), 2);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ((Names{"a.bmp", "b.gif"}), Items(first)); // directory order, two examined
    g_applicationState.ReleaseFileItemList(first);

    g_applicationState.ReleaseFileItemList(one);
    g_applicationState.ReleaseFileItemList(two);
    EXPECT_TRUE(Exists(temp)); // the root list still holds the archive
    g_applicationState.ReleaseFileItemList(root);
    g_applicationState.ReleaseFileItemList(nullptr); // the kept slot lets go too
    EXPECT_FALSE(Exists(temp));
    EXPECT_EQ(0u, g_applicationState.ArchiveTempFolderCount());
}

TEST_F(ArchiveFolders, AProtectedEntryAsksForItsPasswordOnce) {
    CTestFolder out("zip_out");
    const std::string copy = out.File("again.zip");
    ASSERT_TRUE(CopyFileA(Fixture("locked.zip").c_str(), copy.c_str(), FALSE));

    CFileItemList* list =
        g_applicationState.GetFileItemList(kListArchive, Fixture("locked.zip").c_str());
    ASSERT_NE(nullptr, list);
    ASSERT_EQ((Names{"x.bmp", "y.bmp"}), Items(list));
    char path[MAX_PATH];
    // A wrong answer, then Cancel: nothing is extracted, nothing is left.
    dialogs.passwords = {"wrong", ""};
    EXPECT_FALSE(list->GetExtractedPath(0, path));
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(2u, dialogs.prompts.size());
    EXPECT_EQ("File 'x.bmp' is password protected.", dialogs.prompts[0]);

    dialogs.prompts.clear();
    dialogs.passwords = {"secret"};
    ASSERT_TRUE(list->GetExtractedPath(0, path));
    EXPECT_EQ(0u, Content(path).find("BM"));
    ASSERT_TRUE(list->GetExtractedPath(1, path));
    EXPECT_EQ(1u, dialogs.prompts.size());
    EXPECT_EQ("secret", g_applicationState.ZipPassword());

    // Another archive tries the remembered password before asking.
    CFileItemList* other = g_applicationState.GetFileItemList(kListArchive, copy.c_str());
    ASSERT_NE(nullptr, other);
    ASSERT_TRUE(other->GetExtractedPath(1, path));
    EXPECT_EQ(1u, dialogs.prompts.size());
    g_applicationState.ReleaseFileItemList(list);
    g_applicationState.ReleaseFileItemList(other);
}

TEST_F(ArchiveFolders, AMissingOrDamagedArchiveGivesNoListAndSaysWhy) {
    CTestFolder folder("zip_bad");
    std::ofstream(folder.File("bad.zip"), std::ios::binary) << "PK this is not an archive";
    struct Case {
        std::string path;
        std::string why;
    };
    const Case cases[] = {
        {folder.File("bad.zip"), "The central directory was not found in the archive (or you "
                                 "were trying to open not the last disk of a multi-disk archive)"},
        {folder.File("none.zip"), "No such file or directory"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nullptr, g_applicationState.GetFileItemList(kListArchive, c.path.c_str()));
        EXPECT_EQ(g_applicationState.TakeArchiveOpenError(),
                  "Cannot open the archive " + c.path + ".\n" + c.why);
        EXPECT_EQ(g_applicationState.TakeArchiveOpenError(), "") << "told once";
    }
    EXPECT_EQ(0u, g_applicationState.ArchiveTempFolderCount());
}

} // namespace
