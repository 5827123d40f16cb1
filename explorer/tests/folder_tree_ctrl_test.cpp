// The folder tree under Wine, rooted at a folder of the test's own: its
// children in order with zip archives after them, archives listed as
// folders, the private messages that add, rename and remove items, and the
// collapse that the keyboard may not do.
#include "explorer/folder_tree_ctrl.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/tests/temp_folder.h"
#include "explorer/tests/pane_tree_fixture.h"

namespace {

using namespace treetest;

class FolderTree : public testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);
        if (!g_smallImageList)
            g_smallImageList = ImageList_Create(16, 16, ILC_COLOR24, 1, 0);
        root.MakeFolder("beta");
        root.MakeFolder("alpha");
        root.Write("x.txt", 3);
        ASSERT_TRUE(
            CopyFileA(VXP_TEST_DATA_DIR "\\explorer\\dirs.zip", root.File("a.zip").c_str(), FALSE));
        RECT frame{0, 0, 400, 500};
        ASSERT_NE(nullptr, host.Create(nullptr, frame, "Folder tree host"));
        RECT client{0, 0, 380, 460};
        ASSERT_NE(nullptr, tree.Create(host, client,
                                       WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                           TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                       10001));
        top = tree.InsertShellItem(nullptr, ParsePidl(root.Path()), false);
        ASSERT_NE(nullptr, top);
    }
    void TearDown() override {
        if (host.IsWindow())
            host.DestroyWindow();
    }

    void Expand(HTREEITEM item) {
        tree.FillChildren(item, false);
        TreeView_Expand(tree, item, TVE_EXPAND);
    }
    std::string Text(HTREEITEM item) { return ItemText(tree, item); }
    int Children(HTREEITEM item) {
        TVITEMA tv{};
        tv.mask = TVIF_CHILDREN;
        tv.hItem = item;
        TreeView_GetItem(tree, &tv);
        return tv.cChildren;
    }
    std::vector<HTREEITEM> ChildItems(HTREEITEM item) {
        std::vector<HTREEITEM> items;
        for (HTREEITEM child = TreeView_GetChild(tree, item); child;
             child = TreeView_GetNextSibling(tree, child))
            items.push_back(child);
        return items;
    }
    std::vector<std::string> ChildTexts(HTREEITEM item) {
        std::vector<std::string> texts;
        for (HTREEITEM child : ChildItems(item))
            texts.push_back(Text(child));
        return texts;
    }
    HTREEITEM Child(HTREEITEM item, const std::string& text) {
        for (HTREEITEM child : ChildItems(item))
            if (Text(child) == text)
                return child;
        return nullptr;
    }

    CTestFolder root{"tree"};
    CTreeTestHost host;
    CFolderTreeCtrl tree;
    HTREEITEM top = nullptr;
};

TEST_F(FolderTree, AFolderListsItsFoldersInOrderThenItsArchivesWithoutExpandButtons) {
    EXPECT_EQ(1, Children(top));
    Expand(top);
    EXPECT_EQ((std::vector<std::string>{"alpha", "beta", "a.zip"}), ChildTexts(top));
    HTREEITEM archive = Child(top, "a.zip");
    ASSERT_NE(nullptr, archive);
    EXPECT_EQ(kTreeArchive, tree.ItemData(archive)->kind);
    EXPECT_EQ(root.File("a.zip"), tree.ItemData(archive)->Text());
    EXPECT_EQ(0, Children(archive));
    EXPECT_EQ(kTreeShellFolder, tree.ItemData(Child(top, "alpha"))->kind);
    char path[MAX_PATH];
    ASSERT_TRUE(tree.GetItemPathOf(Child(top, "beta"), path));
    EXPECT_STRCASEEQ(root.File("beta").c_str(), path);
    // Every expansion lists anew; the icons are not added again.
    const int icons = ImageList_GetImageCount(g_smallImageList);
    Expand(top);
    EXPECT_EQ(3u, ChildItems(top).size());
    EXPECT_EQ(icons, ImageList_GetImageCount(g_smallImageList));
}

TEST_F(FolderTree, SelectingAnArchiveListsItsFoldersAsFolders) {
    Expand(top);
    HTREEITEM archive = Child(top, "a.zip");
    ASSERT_NE(nullptr, archive);
    TreeView_SelectItem(tree, archive);
    EXPECT_EQ(archive, tree.CurrentItem());
    EXPECT_EQ(1, Children(archive));
    EXPECT_EQ((std::vector<std::string>{"a", "c"}), ChildTexts(archive));
    HTREEITEM a = Child(archive, "a");
    HTREEITEM c = Child(archive, "c");
    EXPECT_EQ(1, Children(a)) << "a holds b";
    EXPECT_EQ(0, Children(c));
    EXPECT_EQ(root.File("a.zip") + "|a\\", tree.ItemData(a)->Text());
    Expand(a);
    EXPECT_EQ((std::vector<std::string>{"b"}), ChildTexts(a));
    EXPECT_EQ(root.File("a.zip") + "|a\\b\\", tree.ItemData(Child(a, "b"))->Text());
}

TEST_F(FolderTree, TheItemAddedMessageInsertsANewFolderOnceAndIgnoresFiles) {
    Expand(top);
    root.MakeFolder("gamma");
    const std::string folder = root.Path();
    LRESULT added = SendMessageA(tree, FTM_ITEMADDED, reinterpret_cast<WPARAM>(folder.c_str()),
                                 reinterpret_cast<LPARAM>("gamma"));
    ASSERT_NE(0, added);
    EXPECT_EQ("gamma", Text(reinterpret_cast<HTREEITEM>(added)));
    EXPECT_EQ(top, TreeView_GetParent(tree, reinterpret_cast<HTREEITEM>(added)));
    EXPECT_EQ(kTreeShellFolder, tree.ItemData(reinterpret_cast<HTREEITEM>(added))->kind);
    EXPECT_EQ(0, SendMessageA(tree, FTM_ITEMADDED, reinterpret_cast<WPARAM>(folder.c_str()),
                              reinterpret_cast<LPARAM>("gamma")))
        << "the same again";
    EXPECT_EQ(0, SendMessageA(tree, FTM_ITEMADDED, reinterpret_cast<WPARAM>(folder.c_str()),
                              reinterpret_cast<LPARAM>("x.txt")))
        << "not a folder nor an archive";
    EXPECT_EQ(4u, ChildItems(top).size());
    // Under an item never expanded only the expand button appears.
    HTREEITEM alpha = Child(top, "alpha");
    const std::string alphaPath = root.File("alpha");
    CreateDirectoryA((alphaPath + "\\inner").c_str(), nullptr);
    EXPECT_EQ(0, SendMessageA(tree, FTM_ITEMADDED, reinterpret_cast<WPARAM>(alphaPath.c_str()),
                              reinterpret_cast<LPARAM>("inner")));
    EXPECT_EQ(1, Children(alpha));
    EXPECT_EQ(nullptr, TreeView_GetChild(tree, alpha));
}

TEST_F(FolderTree, RenamedItemsChangeInPlaceAndResortAndRemovedOnesGo) {
    Expand(top);
    HTREEITEM alpha = Child(top, "alpha");
    ASSERT_TRUE(MoveFileA(root.File("alpha").c_str(), root.File("zeta").c_str()));
    SendMessageA(tree, FTM_ITEMRENAMED, reinterpret_cast<WPARAM>(root.File("alpha").c_str()),
                 reinterpret_cast<LPARAM>(root.File("zeta").c_str()));
    EXPECT_EQ((std::vector<std::string>{"beta", "zeta", "a.zip"}), ChildTexts(top));
    EXPECT_EQ(alpha, Child(top, "zeta")) << "the same item";
    char path[MAX_PATH];
    ASSERT_TRUE(tree.GetItemPathOf(alpha, path));
    EXPECT_STRCASEEQ(root.File("zeta").c_str(), path);

    ASSERT_TRUE(RemoveDirectoryA(root.File("beta").c_str()));
    const std::string folder = root.Path();
    SendMessageA(tree, FTM_ITEMREMOVED, reinterpret_cast<WPARAM>(folder.c_str()),
                 reinterpret_cast<LPARAM>("beta"));
    EXPECT_EQ((std::vector<std::string>{"zeta", "a.zip"}), ChildTexts(top));
    // A move is a removal and an addition.
    CreateDirectoryA(root.File("zeta\\deep").c_str(), nullptr);
    Expand(alpha);
    ASSERT_TRUE(MoveFileA(root.File("zeta\\deep").c_str(), root.File("deep").c_str()));
    const LRESULT moved =
        SendMessageA(tree, FTM_ITEMMOVED, reinterpret_cast<WPARAM>(root.File("zeta\\deep").c_str()),
                     reinterpret_cast<LPARAM>(root.File("deep").c_str()));
    EXPECT_NE(0, moved);
    EXPECT_EQ(nullptr, TreeView_GetChild(tree, alpha));
    EXPECT_NE(nullptr, Child(top, "deep"));
}

TEST_F(FolderTree, OnlyTheExpandButtonMayCollapseAFolder) {
    // The list view's own keyboard collapse may not ask (Wine's does not
    // wait for the answer), so the rule is asked directly, as the tree view
    // asks it: a collapse whose message position is off the button is refused.
    Expand(top);
    NMTREEVIEWA nm{};
    nm.hdr.hwndFrom = tree;
    nm.hdr.code = TVN_ITEMEXPANDINGA;
    nm.action = TVE_COLLAPSE;
    nm.itemNew.hItem = top;
    EXPECT_EQ(TRUE, SendMessageA(tree, OCM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm)));
    nm.action = TVE_EXPAND;
    EXPECT_EQ(FALSE, SendMessageA(tree, OCM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm)));
    EXPECT_EQ(3u, ChildItems(top).size()) << "an expansion lists the children";
}

} // namespace
