// The folder pane tree under Wine with a main database of the test's own:
// My Collections lists the stored folders that still exist and erases the
// others from the index, and the history of selected items goes back and
// forward within its ends and stays in range when items go.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "explorer/tests/pane_tree_fixture.h"

namespace {

using namespace treetest;

class FolderPaneTree : public PaneTreeTest {
protected:
    FolderPaneTree() : PaneTreeTest("panedb", "panetree") {}
};

TEST_F(FolderPaneTree, MyCollectionsListsStoredFoldersAndErasesThoseThatAreGone) {
    const std::string kept = root.MakeFolder("kept");
    const std::string gone = root.MakeFolder("gone");
    ASSERT_TRUE(g_applicationState.AddToMyCollections(kept.c_str(), false));
    ASSERT_TRUE(g_applicationState.AddToMyCollections(gone.c_str(), false));
    ASSERT_TRUE(RemoveDirectoryA(gone.c_str()));

    HTREEITEM collections = tree.InsertCollectionsRoot();
    ASSERT_NE(nullptr, collections);
    EXPECT_EQ("My Collections", Text(collections));
    HTREEITEM child = TreeView_GetChild(tree, collections);
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(nullptr, TreeView_GetNextSibling(tree, child)) << "the missing folder is not shown";
    char path[MAX_PATH] = "";
    ASSERT_TRUE(tree.GetItemPathOf(child, path));
    EXPECT_EQ(0, lstrcmpiA(kept.c_str(), path));
    EXPECT_EQ(kTreeShellFolder, tree.ItemData(child)->kind);

    // The erasure was flushed: a fresh open of the database agrees.
    g_applicationState.Databases().CloseMainDatabase();
    ASSERT_TRUE(g_applicationState.Databases().OpenMainDatabase(data.File("main.tdb")));
    EXPECT_FALSE(g_applicationState.IsInMyCollections(gone.c_str()));
    EXPECT_TRUE(g_applicationState.IsInMyCollections(kept.c_str()));
}

TEST_F(FolderPaneTree, TheHistoryMovesWithinItsEndsAndStaysInRangeWhenItemsGo) {
    const std::string a = root.MakeFolder("a"), b = root.MakeFolder("b"), c = root.MakeFolder("c");
    HTREEITEM items[3];
    const std::string folders[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        LPITEMIDLIST pidl = nullptr;
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, folders[i].c_str(), -1, wide, MAX_PATH);
        IShellFolder* desktop = nullptr;
        SHGetDesktopFolder(&desktop);
        ULONG eaten = 0;
        desktop->ParseDisplayName(nullptr, nullptr, wide, &eaten, &pidl, nullptr);
        desktop->Release();
        items[i] = tree.InsertShellItem(nullptr, pidl, false);
        ASSERT_NE(nullptr, items[i]);
    }
    for (HTREEITEM item : items)
        TreeView_SelectItem(tree, item);
    TreeView_SelectItem(tree, items[2]); // the same again adds nothing
    ASSERT_EQ(3u, tree.History().size());
    EXPECT_EQ(items[2], tree.History()[0]) << "the most recent first";

    tree.HistoryForward();
    EXPECT_EQ(items[2], TreeView_GetSelection(tree)) << "nothing is newer";
    tree.HistoryBack();
    tree.HistoryBack();
    EXPECT_EQ(items[0], TreeView_GetSelection(tree));
    EXPECT_EQ(2u, tree.HistoryPosition());
    tree.HistoryBack();
    EXPECT_EQ(items[0], TreeView_GetSelection(tree)) << "nothing is older";
    EXPECT_EQ(2u, tree.HistoryPosition());
    tree.HistoryForward();
    EXPECT_EQ(items[1], TreeView_GetSelection(tree));
    EXPECT_EQ(3u, tree.History().size()) << "going back and forth adds no entries";

    TreeView_DeleteItem(tree, items[0]);
    TreeView_DeleteItem(tree, items[2]);
    EXPECT_LT(tree.HistoryPosition(), tree.History().size());
    for (HTREEITEM item : tree.History())
        EXPECT_NE(items[2], item);
}

} // namespace
