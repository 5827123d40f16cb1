// File item lists under Wine: the cache and its kept slot, folder listing and
// sorting through the temporary sort database, favorites clean-up, search
// results and the questions windows ask a list.
#include "app/file_item_list.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/collection_record.h"
#include "app/item_list_internal.h"
#include "app/tests/frame_host_stub.h"
#include "app/tests/temp_folder.h"
#include "app/app_globals.h"

namespace {

using Names = std::vector<std::string>;

Names Items(CFileItemList* list) {
    Names names;
    for (int i = 0; i < list->GetItemCount(); ++i)
        names.push_back(list->GetItem(i));
    return names;
}

std::string Upper(std::string text) {
    CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// Other test programs sort in the same prefix at the same time, and their sort
// databases come and go in the shared temporary folder; this program's
// temporary folder is its own, so what it sees there is its own work.
struct PrivateTempFolder {
    PrivateTempFolder() {
        char temp[MAX_PATH];
        const DWORD n = GetTempPathA(MAX_PATH, temp);
        if (n == 0 || n >= MAX_PATH)
            return;
        const std::string dir =
            std::string(temp) + "vxp-item-lists-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir.c_str(), nullptr);
        SetEnvironmentVariableA("TMP", dir.c_str());
        SetEnvironmentVariableA("TEMP", dir.c_str());
        m_dir = dir;
    }
    ~PrivateTempFolder() {
        if (!m_dir.empty())
            RemoveDirectoryA(m_dir.c_str()); // only once the tests left it empty
    }
    std::string m_dir;
} g_privateTempFolder;

std::set<std::string> TempSortFiles() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::set<std::string> found;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((std::string(temp) + "tvq*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do
            found.insert(data.cFileName);
        while (FindNextFileA(find, &data));
        FindClose(find);
    }
    return found;
}

class FileItemLists : public testing::Test {
protected:
    void SetUp() override {
        g_applicationState.Options().sortBy = kSortByName;
        g_applicationState.Options().sortOrder = kSortAscending;
    }
    void TearDown() override {
        // Shut-down empties the kept slot; every list must then be gone.
        g_applicationState.ReleaseFileItemList(nullptr);
        EXPECT_EQ(nullptr, g_applicationState.KeptItemList());
        EXPECT_EQ(0u, g_applicationState.CachedItemListCount());
    }

    // a.bmp, B.gif, c.jpg and 0.png with distinct sizes and dates (so that
    // every sort field gives its own order), a text file and a folder whose
    // name looks like an image.
    void MakeMixedFolder(const CTestFolder& folder) {
        folder.Write("a.bmp", 30, 2002);
        folder.Write("B.gif", 10, 2004);
        folder.Write("c.jpg", 20, 2001);
        folder.Write("0.png", 40, 2003);
        folder.Write("d.txt", 5, 2005);
        folder.MakeFolder("e.jpg");
    }
};

TEST_F(FileItemLists, FolderListSortsByEveryField) {
    CTestFolder folder("sort");
    MakeMixedFolder(folder);
    CFileItemList* list = g_applicationState.GetFileItemList(kListFolder, folder.Path().c_str());
    ASSERT_NE(nullptr, list);
    EXPECT_TRUE(list->cached);
    EXPECT_EQ(kSortByName, list->sortBy); // copied from the options
    EXPECT_EQ(kSortAscending, list->sortOrder);
    EXPECT_EQ((Names{"0.png", "a.bmp", "B.gif", "c.jpg"}), Items(list));

    struct Case {
        int by;
        Names ascending;
    } cases[] = {
        // The user's locale order puts a before B, unlike byte order.
        {kSortByName, {"0.png", "a.bmp", "B.gif", "c.jpg"}},
        {kSortBySize, {"B.gif", "c.jpg", "a.bmp", "0.png"}},
        {kSortByType, {"a.bmp", "B.gif", "0.png", "c.jpg"}}, // BMP 1, GIF 3, PNG 4, JPEG 6
        {kSortByDate, {"c.jpg", "a.bmp", "0.png", "B.gif"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.by);
        list->sortBy = c.by;
        list->sortOrder = kSortAscending;
        ASSERT_TRUE(g_applicationState.FillFileItemList(list));
        EXPECT_EQ(c.ascending, Items(list));
        list->sortOrder = 2;
        ASSERT_TRUE(g_applicationState.FillFileItemList(list));
        Names descending = c.ascending;
        std::reverse(descending.begin(), descending.end());
        EXPECT_EQ(descending, Items(list));
    }
    g_applicationState.ReleaseFileItemList(list);
}

TEST_F(FileItemLists, LongNamesAreListedToo) {
    // A name this long makes keys beyond what the index keeps in its pages.
    CTestFolder folder("long");
    const std::string longName = std::string(200, 'n') + ".bmp";
    folder.Write(longName, 1);
    folder.Write("a.bmp", 2);
    CFileItemList* list = g_applicationState.GetFileItemList(kListFolder, folder.Path().c_str());
    ASSERT_NE(nullptr, list);
    for (int by = kSortByName; by <= kSortByDate; ++by) {
        list->sortBy = by;
        ASSERT_TRUE(g_applicationState.FillFileItemList(list));
        EXPECT_EQ(2, list->GetItemCount()) << "sort by " << by;
        EXPECT_GE(list->FindItem(longName.c_str()), 0);
    }
    g_applicationState.ReleaseFileItemList(list);
}

TEST_F(FileItemLists, OneListPerFolderWhateverTheCase) {
    CTestFolder folder("case");
    folder.Write("a.bmp", 1);
    const std::string upper = Upper(folder.Path());
    CFileItemList* first = g_applicationState.GetFileItemList(kListFolder, folder.Path().c_str());
    CFileItemList* second = g_applicationState.GetFileItemList(kListFolder, upper.c_str());
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, second);
    EXPECT_EQ(2, first->refCount);
    CFileItemList* found = g_applicationState.FindFileItemList(kListFolder, upper.c_str());
    EXPECT_EQ(first, found);
    ReleaseFileItemListHold(found);
    EXPECT_EQ(nullptr, g_applicationState.FindFileItemList(kListFolder, "C:\\no such folder"));
    g_applicationState.ReleaseFileItemList(second);
    g_applicationState.ReleaseFileItemList(first);
}

TEST_F(FileItemLists, KeptSlotKeepsTheLastReleasedList) {
    CTestFolder one("kept1");
    CTestFolder two("kept2");
    one.Write("a.bmp", 1);
    two.Write("b.bmp", 1);
    CFileItemList* a = g_applicationState.GetFileItemList(kListFolder, one.Path().c_str());
    CFileItemList* again = g_applicationState.GetFileItemList(kListFolder, one.Path().c_str());
    ASSERT_EQ(a, again);
    g_applicationState.ReleaseFileItemList(again);
    g_applicationState.ReleaseFileItemList(a);
    // Released by both holders: alive in the slot with one reference.
    EXPECT_EQ(a, g_applicationState.KeptItemList());
    EXPECT_EQ(1, a->refCount);
    CFileItemList* back = g_applicationState.GetFileItemList(kListFolder, one.Path().c_str());
    EXPECT_EQ(a, back);
    EXPECT_EQ(2, back->refCount);

    // Releasing another list pushes this one out once nobody else holds it.
    CFileItemList* b = g_applicationState.GetFileItemList(kListFolder, two.Path().c_str());
    ASSERT_NE(nullptr, b);
    g_applicationState.ReleaseFileItemList(back); // slot still a, count 1
    g_applicationState.ReleaseFileItemList(b);
    EXPECT_EQ(b, g_applicationState.KeptItemList());
    EXPECT_EQ(nullptr, g_applicationState.FindFileItemList(kListFolder, one.Path().c_str()));
    EXPECT_EQ(1u, g_applicationState.CachedItemListCount());
}

TEST_F(FileItemLists, RefreshDoesNotDisturbTheKeptSlot) {
    CTestFolder shown("shown");
    CTestFolder left("left");
    shown.Write("a.bmp", 1);
    left.Write("b.bmp", 1);
    CFileItemList* held = g_applicationState.GetFileItemList(kListFolder, shown.Path().c_str());
    CFileItemList* kept = g_applicationState.GetFileItemList(kListFolder, left.Path().c_str());
    g_applicationState.ReleaseFileItemList(kept);
    ASSERT_EQ(kept, g_applicationState.KeptItemList());

    shown.Write("c.bmp", 1);
    EXPECT_TRUE(g_applicationState.RefreshFileItemList(Upper(shown.Path()).c_str()));
    EXPECT_EQ((Names{"a.bmp", "c.bmp"}), Items(held));
    EXPECT_EQ(1, held->refCount);
    // The list left last is still kept and still cached.
    EXPECT_EQ(kept, g_applicationState.KeptItemList());
    EXPECT_EQ(1, kept->refCount);
    CFileItemList* found = g_applicationState.FindFileItemList(kListFolder, left.Path().c_str());
    EXPECT_EQ(kept, found);
    ReleaseFileItemListHold(found);
    EXPECT_EQ(kept, g_applicationState.KeptItemList());

    EXPECT_FALSE(g_applicationState.RefreshFileItemList("C:\\not cached"));
    g_applicationState.ReleaseFileItemList(held);
}

TEST_F(FileItemLists, FavoritesLoseDeletedFilesForGood) {
    CTestFolder folder("fav");
    const std::string stays = folder.Write("stays.bmp", 1);
    const std::string gone = folder.Write("gone.bmp", 1);
    const std::string later = folder.Write("later.jpg", 1);
    CProgramDatabases& dbs = g_applicationState.Databases();
    ASSERT_TRUE(dbs.OpenMainDatabase(folder.File("main.tdb")));
    CCollectionRecord record;
    record.parentKey = 0;
    record.name = "Trip";
    record.AddPath(gone.c_str());
    record.AddPath(stays.c_str());
    record.AddPath(later.c_str());
    ASSERT_TRUE(record.StoreFavorites(dbs.Main(), dbs.favorites));
    const char* key = reinterpret_cast<const char*>(static_cast<uintptr_t>(record.key));
    DeleteFileA(gone.c_str());

    // The first items of the folder: two paths examined, one of them gone.
    CFileItemList* first = g_applicationState.ListFirstItems(kListFavorites, key, 2);
    ASSERT_NE(nullptr, first);
    EXPECT_FALSE(first->cached);
    EXPECT_EQ((Names{stays}), Items(first));
    g_applicationState.ReleaseFileItemList(first);

    CFileItemList* list = g_applicationState.GetFileItemList(kListFavorites, key);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ((Names{later, stays}), Items(list)); // full paths, by name
    CCollectionRecord stored;
    ASSERT_TRUE(LoadFavoritesRecord(dbs, record.key, &stored));
    EXPECT_EQ(-1, stored.FindPath(gone.c_str()));
    EXPECT_EQ(2, stored.paths.GetCount());
    EXPECT_EQ("Trip", stored.name);
    char name[MAX_PATH];
    ASSERT_TRUE(list->GetItemName(1, name));
    EXPECT_STREQ("stays.bmp", name);
    g_applicationState.ReleaseFileItemList(list);
    g_applicationState.ReleaseFileItemList(nullptr);
    dbs.CloseMainDatabase();
}

TEST_F(FileItemLists, SearchResultFillsWithoutASearchRunning) {
    CTestFolder folder("result");
    const std::string x = folder.Write("x.bmp", 1);
    const std::string y = folder.Write("y.gif", 1);
    const std::set<std::string> before = TempSortFiles();

    CFileItemList* list = g_applicationState.NewSearchResultList();
    ASSERT_NE(nullptr, list);
    EXPECT_TRUE(list->IsSearchResultList());
    EXPECT_EQ(0, list->sortBy); // results keep 0 until a sort command sets them
    CFileItemList* next = g_applicationState.NewSearchResultList();
    EXPECT_NE(list, next);
    EXPECT_NE(list->GetKeyValue(), next->GetKeyValue());
    EXPECT_TRUE(g_applicationState.FillFileItemList(list)); // empty: at once
    EXPECT_EQ(before, TempSortFiles());

    list->InsertItemCopy(y.c_str(), -1);
    list->InsertItemCopy(folder.File("missing.bmp").c_str(), -1);
    list->InsertItemCopy(x.c_str(), -1);
    list->sortBy = kSortByName;
    list->sortOrder = kSortAscending;
    ASSERT_TRUE(g_applicationState.FillFileItemList(list));
    EXPECT_EQ((Names{x, y}), Items(list)); // the missing file is dropped
    EXPECT_EQ(before, TempSortFiles());    // the sort database is deleted

    // While the explorer's search runs, the list is left alone.
    CFrameHostStub frames;
    frames.searchRunning = true;
    g_applicationState.SetWindowHosts(&frames, nullptr, nullptr);
    EXPECT_TRUE(g_applicationState.IsSearchRunning());
    EXPECT_FALSE(g_applicationState.FillFileItemList(list));
    g_applicationState.SetWindowHosts(nullptr, nullptr, nullptr);

    ReleaseFileItemListHold(next);
    g_applicationState.ReleaseFileItemList(list);
}

TEST_F(FileItemLists, FirstItemsInFileSystemOrder) {
    CTestFolder folder("first");
    MakeMixedFolder(folder);
    Names expected;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder.Path() + "\\*").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do {
        const std::string name = data.cFileName;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "d.txt")
            expected.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    expected.resize(2);

    CFileItemList* list = g_applicationState.ListFirstItems(kListFolder, folder.Path().c_str(), 2);
    ASSERT_NE(nullptr, list);
    EXPECT_FALSE(list->cached);
    EXPECT_EQ(expected, Items(list));
    g_applicationState.ReleaseFileItemList(list); // not cached: gone at once
    EXPECT_EQ(nullptr, g_applicationState.KeptItemList());

    CFileItemList* one = g_applicationState.ListFirstItems(kListFolder, folder.Path().c_str(), 0);
    ASSERT_NE(nullptr, one);
    EXPECT_EQ(1, one->GetItemCount()); // a limit below 1 takes one
    one->Release();
}

TEST_F(FileItemLists, CollectsImagesDepthFirst) {
    CTestFolder folder("tree");
    folder.Write("top.bmp", 1);
    folder.Write("note.txt", 1);
    folder.MakeFolder("sub");
    folder.Write("sub\\inner.jpg", 1);
    folder.MakeFolder("sub\\deeper");
    folder.Write("sub\\deeper\\deep.gif", 1);
    CFileItemList list(kListSearchResult, reinterpret_cast<const char*>(uintptr_t(900)));
    g_applicationState.CollectImagesRecursive(folder.Path().c_str(), &list);
    Names got = Items(&list);
    std::sort(got.begin(), got.end());
    EXPECT_EQ((Names{folder.File("sub\\deeper\\deep.gif"), folder.File("sub\\inner.jpg"),
                     folder.File("top.bmp")}),
              got);
}

TEST_F(FileItemLists, ItemQuestionsOfEachKind) {
    CFileItemList folderList(kListFolder, "C:\\Pics");
    folderList.InsertItemCopy("a.bmp", -1);
    folderList.InsertItemCopy("notes.txt", -1);
    char path[MAX_PATH];
    ASSERT_TRUE(folderList.GetItemPath(0, path));
    EXPECT_STREQ("C:\\Pics\\a.bmp", path);
    EXPECT_FALSE(folderList.GetItemPath(2, path));
    EXPECT_EQ(0, folderList.FindPath("c:\\PICS\\A.BMP"));
    EXPECT_EQ(-1, folderList.FindPath("C:\\Other\\a.bmp"));
    EXPECT_EQ(-1, folderList.FindPath("C:\\Pics\\sub\\a.bmp"));
    EXPECT_EQ(0, folderList.FindItem("A.bmp"));
    EXPECT_FALSE(folderList.GetExtractedPath(0, path));

    EXPECT_EQ(-1, folderList.GetItemIconIndex(0)); // no icon list yet
    g_smallImageList = ImageList_Create(16, 16, ILC_COLOR24, 18, 0);
    EXPECT_EQ(3, folderList.GetItemIconIndex(0)); // after the three folder-tree roots
    EXPECT_EQ(-1, folderList.GetItemIconIndex(1));
    ImageList_Destroy(g_smallImageList);
    g_smallImageList = nullptr;

    CFileItemList result(kListSearchResult, reinterpret_cast<const char*>(uintptr_t(7)));
    result.InsertItemCopy("D:\\x\\y.jpg", -1);
    ASSERT_TRUE(result.GetItemPath(0, path));
    EXPECT_STREQ("D:\\x\\y.jpg", path);
    EXPECT_TRUE(result.GetItemName(0, path));
    EXPECT_STREQ("y.jpg", path);
    EXPECT_EQ(0, result.FindPath("d:\\X\\Y.JPG"));
    EXPECT_TRUE(result.HasSource(kListSearchResult, reinterpret_cast<const char*>(uintptr_t(7))));
    EXPECT_FALSE(result.HasSource(kListSearchResult, reinterpret_cast<const char*>(uintptr_t(8))));

    CFileItemList archive(kListArchive, "C:\\a\\Pics.zip|Sub");
    ASSERT_TRUE(archive.IsValid());
    archive.InsertItemCopy("x.jpg", -1);
    ASSERT_TRUE(archive.GetItemPath(0, path));
    EXPECT_STREQ("C:\\a\\Pics.zip\\Sub\\x.jpg", path);
    EXPECT_TRUE(archive.HasSource(kListArchive, "c:\\A\\pics.ZIP|sub\\"));
    EXPECT_FALSE(archive.HasSource(kListArchive, "c:\\A\\pics.ZIP"));
    EXPECT_FALSE(archive.HasSource(kListFolder, "C:\\a\\Pics.zip|Sub"));
    EXPECT_FALSE(archive.GetExtractedPath(0, path)); // no archive opened for it
    CFileItemList root(kListArchive, "C:\\a\\Pics.zip");
    EXPECT_TRUE(root.HasSource(kListArchive, "C:\\a\\Pics.zip|"));
    EXPECT_FALSE(CFileItemList(kListArchive, "|Sub").IsValid());
    EXPECT_EQ(nullptr, g_applicationState.GetFileItemList(kListArchive, "|Sub"));

    CFileItemList plain;
    EXPECT_EQ(kListDefault, plain.GetKind());
    EXPECT_EQ(kSortAscending, plain.sortOrder);
    EXPECT_EQ(kSortByName, plain.sortBy);
}

} // namespace
