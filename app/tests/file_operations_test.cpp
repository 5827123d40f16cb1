// The program's own file operations under Wine, on real temporary folders:
// rename (also of letter case only), copy and move with each Replace
// Confirmation answer, delete, the change notices they send, and the
// catalogue records that follow the files.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/collection_record.h"
#include "app/file_item_list.h"
#include "app/logic/image_attributes.h"
#include "app/tests/change_recorder.h"
#include "app/tests/temp_folder.h"
#include "tests/support/dialog_script.h"

namespace {

using Changes = std::vector<RecordedChange>;

std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The spelling the file system keeps for a path's last part.
std::string StoredName(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return "";
    FindClose(find);
    return data.cFileName;
}

class FileOperations : public testing::Test {
protected:
    void SetUp() override {
        // Only the operations' own notices are wanted here; the watcher's
        // notices of outside changes are tested on their own.
        g_applicationState.Watcher().Shutdown();
        g_applicationState.SetWindowHosts(nullptr, nullptr, &recorder);
        g_applicationState.SetFileDialogs(&dialogs);
        ASSERT_TRUE(g_applicationState.Databases().OpenMainDatabase(data.File("main.tdb")));
        g_applicationState.LoadFolderSymbols();
    }
    void TearDown() override {
        g_applicationState.ReleaseFileItemList(nullptr);
        g_applicationState.Databases().CloseMainDatabase();
        g_applicationState.SetFileDialogs(nullptr);
        g_applicationState.SetWindowHosts(nullptr, nullptr, nullptr);
    }
    // A cached list of the folder, held for the test.
    CFileItemList* Show(const CTestFolder& folder) {
        CFileItemList* list =
            g_applicationState.GetFileItemList(kListFolder, folder.Path().c_str());
        lists.push_back(list);
        return list;
    }
    void ReleaseShown() {
        for (CFileItemList* list : lists)
            g_applicationState.ReleaseFileItemList(list);
        lists.clear();
    }
    void GiveAttributes(const std::string& path, const char* artist) {
        CImageAttributes attributes;
        attributes.path = path;
        attributes.artist = artist;
        ASSERT_TRUE(g_applicationState.SaveImageAttributes(attributes));
    }
    std::string ArtistOf(const std::string& path) {
        CImageAttributes attributes;
        attributes.path = path;
        return g_applicationState.LoadImageAttributes(attributes) ? attributes.artist : "<none>";
    }

    CTestFolder data{"ops_db"};
    CChangeRecorder recorder;
    CScriptedFileDialogs dialogs;
    std::vector<CFileItemList*> lists;
};

TEST_F(FileOperations, RenameRefusesItsOwnPathAndPerformsACaseOnlyRename) {
    CTestFolder folder("rename");
    const std::string a = folder.Write("a.jpg", 3);
    CFileItemList* list = Show(folder);
    GiveAttributes(a, "Ann");
    recorder.Take();

    EXPECT_FALSE(g_applicationState.RenameFile(a.c_str(), a.c_str(), true));
    EXPECT_TRUE(recorder.Take().empty());

    const std::string upper = folder.File("A.jpg");
    ASSERT_TRUE(g_applicationState.RenameFile(upper.c_str(), a.c_str(), true));
    EXPECT_EQ("A.jpg", StoredName(upper));
    EXPECT_EQ((Changes{{kListChangeRenamed, "A.jpg"}}), recorder.Take()); // exactly one
    EXPECT_STREQ("A.jpg", list->GetItem(0));
    EXPECT_EQ("Ann", ArtistOf(upper));

    const std::string b = folder.File("b.jpg");
    ASSERT_TRUE(g_applicationState.RenameFile(b.c_str(), upper.c_str(), true));
    EXPECT_TRUE(Exists(b));
    EXPECT_EQ((Changes{{kListChangeRenamed, "b.jpg"}}), recorder.Take());
    EXPECT_EQ("Ann", ArtistOf(b)); // the record followed the file
    EXPECT_EQ("<none>", ArtistOf(upper));
    EXPECT_EQ(WAIT_OBJECT_0,
              WaitForSingleObject(g_applicationState.Watcher().PauseEvent(), 0)); // set again
    ReleaseShown();
}

TEST_F(FileOperations, CopyOntoAnExistingFileFollowsEachReplaceAnswer) {
    CTestFolder from("copy_from"), to("copy_to");
    struct Case {
        const char* what;
        CScriptedFileDialogs::ReplaceAnswer answer;
        bool cancelled;
        const char* targetContent; // what the existing target holds afterwards
        const char* extraFile;     // a file that exists afterwards, or null
        Changes changes;
    } cases[] = {
        {"Replace", {1028, ""}, false, "new", nullptr, {{kListChangeAdded, "x.jpg"}}},
        {"Rename to the proposal",
         {1022, ""},
         false,
         "old",
         "x_1.jpg",
         {{kListChangeAdded, "x_1.jpg"}}},
        {"Rename typed",
         {1022, "holiday.jpg"},
         false,
         "old",
         "holiday.jpg",
         {{kListChangeAdded, "holiday.jpg"}}},
        {"Skip", {3, ""}, false, "old", nullptr, {}},
        {"Cancel", {2, ""}, true, "old", nullptr, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string source = from.File("x.jpg"), target = to.File("x.jpg");
        WriteText(source, "new");
        WriteText(target, "old");
        DeleteFileA(to.File("x_1.jpg").c_str());
        DeleteFileA(to.File("holiday.jpg").c_str());
        Show(to);
        recorder.Take();
        dialogs.replaceAnswers = {c.answer};
        dialogs.proposals.clear();
        bool cancelled = false;
        int choice = 0;
        EXPECT_TRUE(g_applicationState.CopyOrMoveFile(source.c_str(), target.c_str(), &cancelled,
                                                      &choice, true, true));
        EXPECT_EQ(c.cancelled, cancelled);
        EXPECT_EQ(c.targetContent, Content(target));
        EXPECT_EQ("new", Content(source));
        if (c.extraFile) {
            EXPECT_EQ("new", Content(to.File(c.extraFile)));
        }
        // The proposal is a name in the target folder, not a path.
        EXPECT_EQ(std::vector<std::string>{"x_1.jpg"}, dialogs.proposals);
        EXPECT_EQ(c.changes, recorder.Take());
        ReleaseShown();
    }
}

TEST_F(FileOperations, AnAnswerForAllFilesIsRememberedAndTheSameFileIsNeverDeleted) {
    CTestFolder from("all_from"), to("all_to");
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg"}) {
        WriteText(from.File(name), "new");
        WriteText(to.File(name), "old");
    }
    dialogs.replaceAnswers = {{3, "", false}, {3, "", true}};
    int choice = 0;
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg"})
        EXPECT_TRUE(g_applicationState.CopyOrMoveFile(
            from.File(name).c_str(), to.File(name).c_str(), nullptr, &choice, true, true));
    EXPECT_EQ(2, dialogs.replaceAsked); // the third was skipped silently
    EXPECT_EQ(3, choice);
    EXPECT_EQ("old", Content(to.File("3.jpg")));

    // Replace with source and target naming one file: nothing is lost.
    const std::string only = from.File("1.jpg");
    dialogs.replaceAnswers = {{1028, ""}};
    std::string shouted = only;
    CharUpperBuffA(&shouted[0], static_cast<DWORD>(shouted.size()));
    EXPECT_TRUE(g_applicationState.CopyOrMoveFile(only.c_str(), shouted.c_str(), nullptr, nullptr,
                                                  true, true));
    EXPECT_EQ("new", Content(only));
    EXPECT_EQ(2, dialogs.replaceAsked); // not even asked
}

TEST_F(FileOperations, CopyAndMoveCarryTheAttributesAndReportFailure) {
    CTestFolder from("attr_from"), to("attr_to");
    const std::string a = from.Write("a.jpg", 4), b = from.Write("b.jpg", 4);
    GiveAttributes(a, "Ann");
    GiveAttributes(b, "Bob");
    Show(from);
    Show(to);
    recorder.Take();
    EXPECT_TRUE(g_applicationState.CopyOrMoveFile(a.c_str(), to.File("a.jpg").c_str(), nullptr,
                                                  nullptr, true, true));
    EXPECT_EQ("Ann", ArtistOf(a)); // the copy keeps the source's record
    EXPECT_EQ("Ann", ArtistOf(to.File("a.jpg")));
    EXPECT_TRUE(g_applicationState.CopyOrMoveFile(b.c_str(), to.File("b.jpg").c_str(), nullptr,
                                                  nullptr, false, true));
    EXPECT_FALSE(Exists(b));
    EXPECT_EQ("<none>", ArtistOf(b));
    EXPECT_EQ("Bob", ArtistOf(to.File("b.jpg")));
    EXPECT_EQ((Changes{{kListChangeAdded, "a.jpg"},
                       {kListChangeRemoved, "b.jpg"},
                       {kListChangeAdded, "b.jpg"}}),
              recorder.Take());
    // A source that is not there is a failure, not a handled answer.
    EXPECT_FALSE(g_applicationState.CopyOrMoveFile(
        from.File("gone.jpg").c_str(), to.File("gone.jpg").c_str(), nullptr, nullptr, true, true));
    ReleaseShown();
}

TEST_F(FileOperations, DeleteAnnouncesItsBatchAndTheFilesGone) {
    CTestFolder folder("delete");
    const std::string a = folder.Write("a.jpg", 1), b = folder.Write("b.png", 1);
    GiveAttributes(a, "Ann");
    Show(folder);
    recorder.Take();
    const std::string paths = a + '\0' + b + '\0';
    EXPECT_TRUE(g_applicationState.DeleteFiles(paths.c_str(), nullptr, false));
    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(b));
    EXPECT_EQ((Changes{{kListChangeBatchBegin, ""},
                       {kListChangeRemoved, "a.jpg"},
                       {kListChangeRemoved, "b.png"},
                       {kListChangeBatchEnd, ""}}),
              recorder.Take());
    EXPECT_EQ("<none>", ArtistOf(a));

    // A file added in a folder that no cached list shows tells no one.
    CTestFolder unseen("unseen");
    g_applicationState.OnFileAdded(kListFolder, unseen.Path().c_str(), "new.jpg");
    EXPECT_TRUE(recorder.Take().empty());
    ReleaseShown();
}

TEST_F(FileOperations, DuplicatesAreCopiesBesideTheFile) {
    CTestFolder folder("dup");
    const std::string a = folder.Write("a.jpg", 5);
    Show(folder);
    recorder.Take();
    g_applicationState.DuplicateFile(a.c_str(), nullptr);
    g_applicationState.DuplicateFile(a.c_str(), nullptr);
    const Changes changes = recorder.Take();
    ASSERT_EQ(2u, changes.size());
    for (const RecordedChange& change : changes) {
        EXPECT_EQ(kListChangeAdded, change.code);
        EXPECT_TRUE(Exists(folder.File(change.item))) << change.item;
    }
    EXPECT_NE(changes[0].item, changes[1].item);
    ReleaseShown();
}

TEST_F(FileOperations, FavoritesCollectionsAndFolderRecords) {
    CTestFolder folder("fav_ops");
    const std::string a = folder.Write("a.jpg", 1);
    CCollectionRecord trip;
    trip.parentKey = 0;
    trip.name = "Trip";
    ASSERT_TRUE(g_applicationState.StoreFavorites(trip));
    const std::string upperA = folder.File("A.JPG");
    const std::string twice = a + '\0' + upperA + '\0' + folder.File("notes.txt") + '\0';
    {
        testsupport::DialogScript answers("(no dialog)", [](HWND) {});
        answers.boxCaptions = {"Favorites"};
        int added = -1;
        EXPECT_TRUE(g_applicationState.AddToFavoritesFolder(twice.c_str(), trip.key, &added));
        EXPECT_EQ(1, added);
        ASSERT_EQ(1u, answers.boxes.size());
        EXPECT_EQ("Favorite item " + upperA + " already existed.", answers.boxes[0].text);
        EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), answers.boxes[0].icon);
    }
    CCollectionRecord stored(trip.key);
    ASSERT_TRUE(g_applicationState.LoadFavoritesFolder(stored));
    EXPECT_EQ(1, stored.paths.GetCount());

    // A sub-folder goes with its parent, and the root stays.
    CCollectionRecord inner;
    inner.parentKey = trip.key;
    inner.name = "Inner";
    ASSERT_TRUE(g_applicationState.StoreFavorites(inner));
    stored.childKeys.push_back(inner.key);
    ASSERT_TRUE(g_applicationState.StoreFavorites(stored));
    EXPECT_FALSE(g_applicationState.DeleteFavoritesFolder(0, false));
    EXPECT_TRUE(g_applicationState.DeleteFavoritesFolder(trip.key, false));
    CCollectionRecord gone(inner.key), root(0);
    EXPECT_FALSE(g_applicationState.LoadFavoritesFolder(gone));
    EXPECT_TRUE(g_applicationState.LoadFavoritesFolder(root));

    // My Collections: one entry whatever the letter case.
    EXPECT_TRUE(g_applicationState.AddToMyCollections(folder.Path().c_str(), false));
    std::string shouted = folder.Path();
    CharUpperBuffA(&shouted[0], static_cast<DWORD>(shouted.size()));
    EXPECT_TRUE(g_applicationState.IsInMyCollections(shouted.c_str()));
    {
        testsupport::DialogScript answers("(no dialog)", [](HWND) {});
        EXPECT_FALSE(g_applicationState.AddToMyCollections(shouted.c_str(), false));
        EXPECT_FALSE(g_applicationState.AddToMyCollections(folder.File("none").c_str(), false));
        ASSERT_EQ(2u, answers.boxes.size());
        EXPECT_EQ("Path already existed in My Collections", answers.boxes[0].text);
        EXPECT_EQ("Path doesn't exists", answers.boxes[1].text);
    }
    EXPECT_TRUE(g_applicationState.RemoveFromMyCollections(shouted.c_str()));

    // Renaming C:\...\a leaves the records of its sibling ab alone.
    EXPECT_EQ(0, g_applicationState.AddFolderSymbol("C:\\pics\\a")); // the first id is 0
    EXPECT_EQ(1, g_applicationState.AddFolderSymbol("C:\\pics\\ab"));
    EXPECT_EQ(2, g_applicationState.AddFolderSymbol("C:\\pics\\a\\deep"));
    g_applicationState.RenameFolderData("C:\\pics\\a", "D:\\moved");
    EXPECT_EQ(0, g_applicationState.FindFolderSymbol("D:\\moved"));
    EXPECT_EQ(2, g_applicationState.FindFolderSymbol("d:\\MOVED\\deep"));
    EXPECT_EQ(1, g_applicationState.FindFolderSymbol("C:\\pics\\ab"));
    std::string resolved;
    ASSERT_TRUE(g_applicationState.ResolveAttributesKey("#2#x.jpg", &resolved));
    EXPECT_EQ("D:\\moved\\deep\\x.jpg", resolved);
    g_applicationState.DeleteFolderData("D:\\moved");
    EXPECT_EQ(-1, g_applicationState.FindFolderSymbol("D:\\moved\\deep"));
    EXPECT_EQ(1, g_applicationState.FindFolderSymbol("C:\\pics\\ab"));
}

} // namespace
