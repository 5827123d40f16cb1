// Selection by source in the folder pane tree under Wine, with a main
// database of the test's own: a path selects its folder (a file its
// folder) under My Computer, expanding the way, and under My Collections
// first when a collection holds it; a favorites folder three levels deep is
// found down the chain of its ancestors, and a damaged chain answers false;
// the first top-level item and Search Result are shown by their kinds.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "app/file_item_list.h"
#include "explorer/tests/pane_tree_fixture.h"

namespace {

using namespace treetest;

class FolderTreeSelect : public PaneTreeTest {
protected:
    FolderTreeSelect() : PaneTreeTest("selectdb", "selecttree") {}
    // The explorer's roots, in its order.
    void FillAsTheExplorer() {
        tree.InsertCollectionsRoot();
        tree.InsertFavoritesRoot();
        tree.InsertSpecialFolder(CSIDL_PERSONAL, nullptr);
        computer = tree.InsertSpecialFolder(CSIDL_DRIVES, nullptr);
        tree.InsertSpecialFolder(CSIDL_NETWORK, nullptr);
        tree.InsertSearchResultRoot(7);
    }
    bool SelectPath(const std::string& path) {
        return tree.SelectItemSource(kTreeShellFolder, reinterpret_cast<uintptr_t>(path.c_str()));
    }
    std::string SelectedPath() { return tree.GetSelectedFolderPath(); }
    bool IsUnder(HTREEITEM item, HTREEITEM ancestor) {
        for (; item; item = TreeView_GetParent(tree, item))
            if (item == ancestor)
                return true;
        return false;
    }
    HTREEITEM computer = nullptr;
};

TEST_F(FolderTreeSelect, APathSelectsItsFolderUnderMyComputer) {
    const std::string outer = root.MakeFolder("outer");
    const std::string inner = root.MakeFolder("outer\\inner");
    const std::string file = root.Write("outer\\inner\\photo.jpg", 10);
    FillAsTheExplorer();
    ASSERT_NE(nullptr, computer);
    struct Case {
        const char* name;
        std::string asked;
        bool answer;
        std::string selected;
    } cases[] = {
        {"a folder", inner, true, inner},
        {"a file selects its folder", file, true, inner},
        {"the parent of the selected folder", outer, true, outer},
        // The selected folder's sub-folder is selected, not taken for the
        // folder already shown.
        {"a sub-folder of the selected folder", inner, true, inner},
        {"a folder with a trailing backslash", outer + "\\", true, outer},
        {"a path that does not exist", root.File("missing\\x.jpg"), false, outer},
        {"an empty path", "", false, outer},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.answer, SelectPath(c.asked)) << c.name;
        EXPECT_EQ(0, lstrcmpiA(c.selected.c_str(), SelectedPath().c_str()))
            << c.name << ": " << SelectedPath();
        EXPECT_TRUE(IsUnder(TreeView_GetSelection(tree), computer)) << c.name;
    }
    // A folder made after its parent's children were listed, with no
    // watcher to tell the tree, is found all the same.
    tree.StopAllWatches();
    const std::string later = root.MakeFolder("outer\later");
    ASSERT_TRUE(SelectPath(later));
    EXPECT_EQ(0, lstrcmpiA(later.c_str(), SelectedPath().c_str())) << SelectedPath();
}

TEST_F(FolderTreeSelect, AFolderInACollectionIsSelectedUnderMyCollections) {
    const std::string collected = root.MakeFolder("collected");
    const std::string deep = root.MakeFolder("collected\\deep");
    ASSERT_TRUE(g_applicationState.AddToMyCollections(collected.c_str(), false));
    FillAsTheExplorer();
    ASSERT_TRUE(SelectPath(deep));
    EXPECT_EQ(0, lstrcmpiA(deep.c_str(), SelectedPath().c_str())) << SelectedPath();
    EXPECT_TRUE(IsUnder(TreeView_GetSelection(tree), tree.CollectionsRoot()));
}

TEST_F(FolderTreeSelect, AFavoritesFolderIsFoundDownTheChainOfItsAncestors) {
    const int32_t a = StoreFavoritesFolder(0, "a");
    const int32_t b = StoreFavoritesFolder(a, "b");
    const int32_t c = StoreFavoritesFolder(b, "c");
    StoreFavoritesFolder(a, "sibling");
    FillAsTheExplorer();

    ASSERT_TRUE(tree.SelectItemSource(kTreeFavorites, static_cast<uintptr_t>(c)));
    HTREEITEM selected = TreeView_GetSelection(tree);
    ASSERT_NE(nullptr, selected);
    EXPECT_EQ(c, FavoritesId(selected));
    EXPECT_EQ(b, FavoritesId(TreeView_GetParent(tree, selected)));
    EXPECT_EQ(a, FavoritesId(TreeView_GetParent(tree, TreeView_GetParent(tree, selected))));
    EXPECT_TRUE(IsUnder(selected, tree.FavoritesRoot()));

    ASSERT_TRUE(tree.SelectItemSource(kTreeFavorites, 0));
    EXPECT_EQ(tree.FavoritesRoot(), TreeView_GetSelection(tree));

    // A damaged chain: a folder that is its own parent, and an id that was
    // never stored. Neither is selected, and neither hangs.
    CCollectionRecord loop(b);
    ASSERT_TRUE(g_applicationState.LoadFavoritesFolder(loop));
    loop.parentKey = b;
    ASSERT_TRUE(g_applicationState.StoreFavorites(loop));
    EXPECT_FALSE(tree.SelectItemSource(kTreeFavorites, static_cast<uintptr_t>(c)));
    EXPECT_FALSE(tree.SelectItemSource(kTreeFavorites, 4711));
    EXPECT_EQ(tree.FavoritesRoot(), TreeView_GetSelection(tree));
}

TEST_F(FolderTreeSelect, AZipFolderIsSelectedWhereTheTreeShowsIt) {
    const std::string zips = root.MakeFolder("zips");
    const std::string archive = zips + "\\a.zip";
    ASSERT_TRUE(CopyFileA(VXP_TEST_DATA_DIR "\\explorer\\dirs.zip", archive.c_str(), FALSE));
    FillAsTheExplorer();
    ASSERT_TRUE(SelectPath(zips)); // lists the archive in the folder
    HTREEITEM item = TreeView_GetChild(tree, TreeView_GetSelection(tree));
    ASSERT_NE(nullptr, item);
    ASSERT_EQ(kTreeArchive, tree.ItemData(item)->kind);
    TreeView_SelectItem(tree, item); // lists its folders
    TreeView_SelectItem(tree, TreeView_GetRoot(tree));
    struct Case {
        const char* inner;
        std::string shown;
    } cases[] = {
        {"a\\", archive + "|a\\"},
        {"c\\", archive + "|c\\"},
        {"", archive},
        {"", archive}, // already selected
    };
    for (const Case& c : cases) {
        CArchiveLocation location;
        location.archivePath = archive;
        location.innerPath = c.inner;
        EXPECT_TRUE(tree.SelectItemSource(kTreeArchive, reinterpret_cast<uintptr_t>(&location)))
            << c.inner;
        const CFolderTreeItemData* data = tree.ItemData(TreeView_GetSelection(tree));
        ASSERT_NE(nullptr, data);
        EXPECT_EQ(c.shown, data->Text());
    }
}

TEST_F(FolderTreeSelect, TheFirstTopLevelItemAndSearchResultAreShownByTheirKinds) {
    FillAsTheExplorer();
    ASSERT_TRUE(tree.SelectItemSource(-1, 0));
    EXPECT_EQ(TreeView_GetRoot(tree), TreeView_GetSelection(tree));
    // Search Result is opened, not selected.
    ASSERT_TRUE(tree.SelectItemSource(kTreeSearchResult, 7));
    EXPECT_EQ(TreeView_GetRoot(tree), TreeView_GetSelection(tree));
    // A zip folder that the tree does not show is not selected.
    CArchiveLocation location;
    location.archivePath = root.File("none.zip");
    EXPECT_FALSE(tree.SelectItemSource(kTreeArchive, reinterpret_cast<uintptr_t>(&location)));
}

} // namespace
