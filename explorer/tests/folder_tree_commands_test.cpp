// The folder tree's file commands and the pane tree's own roots under Wine,
// in a window of the test: new folders are named in turn, delete, rename,
// cut and paste tell the notification window in order with their record
// fields, files pasted into their own folder are duplicated but dropped
// there stay, and Favorites and Search Result keep what they show.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "explorer/tests/pane_tree_fixture.h"

namespace {

using namespace treetest;

class FolderTreeCommands : public PaneTreeTest {
protected:
    FolderTreeCommands() : PaneTreeTest("treecmddb", "treecmd", TVS_EDITLABELS) {}
    void TearDown() override {
        for (const Notice& n : host.notices) {
            EXPECT_EQ(0u, n.from) << "the notices carry no control id";
            EXPECT_EQ(0u, n.wParam);
        }
        PaneTreeTest::TearDown();
    }
    HTREEITEM Top(const std::string& path) {
        HTREEITEM item = tree.InsertShellItem(nullptr, ParsePidl(path), false);
        EXPECT_NE(nullptr, item);
        return item;
    }
    HTREEITEM ChildNamed(HTREEITEM parent, const std::string& name) {
        for (HTREEITEM c = TreeView_GetChild(tree, parent); c;
             c = TreeView_GetNextSibling(tree, c)) {
            char path[MAX_PATH] = "";
            if (tree.GetItemPathOf(c, path) &&
                lstrcmpiA(PathFindFileNameA(path), name.c_str()) == 0)
                return c;
        }
        return nullptr;
    }
    void Command(UINT id) { ::SendMessageA(tree, WM_COMMAND, id, 0); }
    // Ends an open label edit as the user's Esc would.
    void CancelEdit() {
        TreeView_EndEditLabelNow(tree, TRUE);
        PumpMessages();
    }
    // What a finished label edit of item with text tells the tree.
    LRESULT EndEdit(HTREEITEM item, const char* text) {
        NMTVDISPINFOA info{};
        info.hdr.hwndFrom = tree;
        info.hdr.idFrom = 10001;
        info.hdr.code = TVN_ENDLABELEDITA;
        info.item.mask = TVIF_TEXT;
        info.item.hItem = item;
        info.item.pszText = const_cast<char*>(text);
        return ::SendMessageA(tree, OCM__BASE + WM_NOTIFY, 10001, reinterpret_cast<LPARAM>(&info));
    }
};

TEST_F(FolderTreeCommands, NewFoldersAreNamedInTurnAndAnnouncedWithTheirParent) {
    HTREEITEM top = Top(root.Path());
    tree.SetCurrentItem(top);
    Command(ID_TREE_NEW_FOLDER);
    CancelEdit();
    EXPECT_TRUE(PathIsDirectoryA(root.File("New Folder").c_str()));
    HTREEITEM first = ChildNamed(top, "New Folder");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, TreeView_GetSelection(tree)) << "the new folder is selected";

    tree.SetCurrentItem(top);
    Command(ID_TREE_NEW_FOLDER);
    CancelEdit();
    EXPECT_TRUE(PathIsDirectoryA(root.File("New Folder (1)").c_str()));
    EXPECT_NE(nullptr, ChildNamed(top, "New Folder (1)"));
    int children = 0;
    for (HTREEITEM c = TreeView_GetChild(tree, top); c; c = TreeView_GetNextSibling(tree, c))
        ++children;
    EXPECT_EQ(2, children) << "each folder has one item";

    ASSERT_EQ(2u, host.notices.size());
    for (const Notice& n : host.notices) {
        EXPECT_EQ(FTN_FOLDERCREATED, n.code);
        EXPECT_EQ(0, lstrcmpiA(root.Path().c_str(), n.first.c_str()));
    }
    EXPECT_EQ("New Folder", host.notices[0].second);
    EXPECT_EQ("New Folder (1)", host.notices[1].second);
}

TEST_F(FolderTreeCommands, DeleteSkipsTopLevelItemsAndBracketsTheDeletionWithItsNotices) {
    const std::string doomed = root.MakeFolder("doomed");
    HTREEITEM top = Top(root.Path());
    TreeView_Expand(tree, top, TVE_EXPAND);
    tree.SetCurrentItem(top);
    Command(ID_TREE_DELETE);
    EXPECT_TRUE(PathIsDirectoryA(root.Path().c_str()));
    EXPECT_TRUE(host.notices.empty()) << "a top-level item is never deleted";
    EXPECT_EQ(nullptr, tree.CurrentItem());

    HTREEITEM item = ChildNamed(top, "doomed");
    ASSERT_NE(nullptr, item);
    tree.SetCurrentItem(item);
    Command(ID_TREE_DELETE);
    EXPECT_FALSE(PathFileExistsA(doomed.c_str()));
    EXPECT_EQ(nullptr, ChildNamed(top, "doomed"));
    ASSERT_EQ(3u, host.notices.size());
    EXPECT_EQ(FTN_BEGINOPERATION, host.notices[0].code);
    EXPECT_EQ(0, lstrcmpiA(doomed.c_str(), host.notices[0].first.c_str()));
    EXPECT_EQ(FTN_FOLDERDELETED, host.notices[1].code);
    EXPECT_EQ(0, lstrcmpiA(root.Path().c_str(), host.notices[1].first.c_str()));
    EXPECT_EQ("doomed", host.notices[1].second);
    EXPECT_EQ(FTN_ENDOPERATION, host.notices[2].code);
    EXPECT_EQ(host.notices[0].first, host.notices[2].first);
}

TEST_F(FolderTreeCommands, ARenameRefusesAnEmptyNameAndReopensTheEditorWhenTheShellRefuses) {
    const std::string old = root.MakeFolder("old");
    root.MakeFolder("taken");
    HTREEITEM top = Top(root.Path());
    TreeView_Expand(tree, top, TVE_EXPAND);
    HTREEITEM item = ChildNamed(top, "old");
    ASSERT_NE(nullptr, item);

    EXPECT_FALSE(EndEdit(item, ""));
    EXPECT_FALSE(EndEdit(item, nullptr));
    EXPECT_TRUE(host.notices.empty());

    EXPECT_FALSE(EndEdit(item, "taken")) << "the label is the tree's to set";
    EXPECT_TRUE(PathIsDirectoryA(old.c_str()));
    ASSERT_EQ(2u, host.notices.size());
    EXPECT_EQ(FTN_BEGINOPERATION, host.notices[0].code);
    EXPECT_EQ(FTN_ENDOPERATION, host.notices[1].code);
    EXPECT_EQ(0, lstrcmpiA(old.c_str(), host.notices[1].first.c_str())) << "the old path";
    PumpMessages();
    EXPECT_NE(nullptr, TreeView_GetEditControl(tree)) << "the editor opens again";
    CancelEdit();

    host.notices.clear();
    EndEdit(item, "renamed");
    EXPECT_TRUE(PathIsDirectoryA(root.File("renamed").c_str()));
    char path[MAX_PATH] = "";
    ASSERT_TRUE(tree.GetItemPathOf(item, path));
    EXPECT_EQ(0, lstrcmpiA(root.File("renamed").c_str(), path)) << "the item follows";
    ASSERT_EQ(3u, host.notices.size());
    EXPECT_EQ(FTN_FOLDERRENAMED, host.notices[1].code);
    EXPECT_EQ("old", host.notices[1].second);
    EXPECT_EQ("renamed", host.notices[1].third);
    EXPECT_EQ(0, lstrcmpiA(root.File("renamed").c_str(), host.notices[2].first.c_str()));
}

TEST_F(FolderTreeCommands, ACutFolderIsGhostedAndPastedElsewhereMovesAndIsSelected) {
    root.MakeFolder("from");
    const std::string moving = root.MakeFolder("from\\moving");
    const std::string to = root.MakeFolder("to");
    root.MakeFolder("to\\sub"); // so that "to" opens and lists what comes in
    HTREEITEM top = Top(root.Path());
    TreeView_Expand(tree, top, TVE_EXPAND);
    HTREEITEM from = ChildNamed(top, "from");
    ASSERT_NE(nullptr, from);
    TreeView_Expand(tree, from, TVE_EXPAND);
    HTREEITEM item = ChildNamed(from, "moving");
    ASSERT_NE(nullptr, item);
    tree.SetCurrentItem(item);
    Command(ID_EDIT_CUT);
    EXPECT_TRUE(TreeView_GetItemState(tree, item, TVIS_CUT) & TVIS_CUT);

    // The clipboard holds the folder's exact CF_HDROP block and a move.
    IDataObject* clip = nullptr;
    ASSERT_EQ(S_OK, OleGetClipboard(&clip));
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    ASSERT_EQ(S_OK, clip->GetData(&format, &medium));
    EXPECT_EQ(20 + moving.size() + 2, GlobalSize(medium.hGlobal));
    const DROPFILES* drop = static_cast<const DROPFILES*>(GlobalLock(medium.hGlobal));
    EXPECT_EQ(20u, drop->pFiles);
    EXPECT_FALSE(drop->fWide);
    EXPECT_STREQ(moving.c_str(), reinterpret_cast<const char*>(drop) + 20);
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    format.cfFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CFSTR_PREFERREDDROPEFFECT));
    ASSERT_EQ(S_OK, clip->GetData(&format, &medium));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE),
              *static_cast<DWORD*>(GlobalLock(medium.hGlobal)));
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    clip->Release();

    HTREEITEM target = ChildNamed(top, "to");
    ASSERT_NE(nullptr, target);
    TreeView_Expand(tree, target, TVE_EXPAND);
    tree.SetCurrentItem(target);
    Command(ID_EDIT_PASTE);
    const std::string moved = to + "\\moving";
    EXPECT_TRUE(PathIsDirectoryA(moved.c_str()));
    EXPECT_FALSE(PathFileExistsA(moving.c_str()));
    char selected[MAX_PATH] = "";
    ASSERT_TRUE(tree.GetItemPathOf(TreeView_GetSelection(tree), selected));
    EXPECT_EQ(0, lstrcmpiA(moved.c_str(), selected)) << "selected at its new place";
    std::vector<UINT> codes;
    for (const Notice& n : host.notices)
        codes.push_back(n.code);
    EXPECT_EQ((std::vector<UINT>{FTN_BEGINOPERATION, FTN_FOLDERMOVED, FTN_ENDOPERATION}), codes);
    ASSERT_EQ(3u, host.notices.size());
    EXPECT_EQ("", host.notices[0].first) << "a paste names no path";
    EXPECT_EQ(0, lstrcmpiA(moving.c_str(), host.notices[1].second.c_str()));
    EXPECT_EQ(0, lstrcmpiA(moved.c_str(), host.notices[1].third.c_str()));
}

TEST_F(FolderTreeCommands, AFilePastedIntoItsOwnFolderIsDuplicatedButDroppedThereStays) {
    const std::string file = root.Write("a.txt", 1);
    HTREEITEM top = Top(root.Path());
    tree.SetCurrentItem(top);

    auto count = [&] {
        int n = 0;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA(root.File("*.txt").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            return 0;
        do
            ++n;
        while (FindNextFileA(find, &found));
        FindClose(find);
        return n;
    };
    auto medium = [&] {
        STGMEDIUM m{};
        m.tymed = TYMED_HGLOBAL;
        const size_t size = 20 + file.size() + 2;
        m.hGlobal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        char* block = static_cast<char*>(GlobalLock(m.hGlobal));
        reinterpret_cast<DROPFILES*>(block)->pFiles = 20;
        memcpy(block + 20, file.c_str(), file.size());
        GlobalUnlock(m.hGlobal);
        return m;
    };
    STGMEDIUM dropped = medium();
    EXPECT_TRUE(tree.DropOrPaste(CF_HDROP, &dropped, true, true));
    ReleaseStgMedium(&dropped);
    EXPECT_EQ(1, count()) << "dropped onto its own folder, nothing happens";
    STGMEDIUM pasted = medium();
    EXPECT_TRUE(tree.DropOrPaste(CF_HDROP, &pasted, true, false));
    ReleaseStgMedium(&pasted);
    EXPECT_EQ(2, count()) << "pasted there, it is duplicated";
}

TEST_F(FolderTreeCommands, FavoritesListTheirFoldersWhenOpenedAndNameNewOnesInTurn) {
    HTREEITEM favorites = tree.InsertFavoritesRoot();
    ASSERT_NE(nullptr, favorites);
    EXPECT_EQ(kTreeFavorites, tree.ItemData(favorites)->kind);
    EXPECT_EQ(0u, tree.ItemData(favorites)->data);

    tree.SetCurrentItem(favorites);
    Command(ID_TREE_NEW_FOLDER);
    CancelEdit();
    tree.SetCurrentItem(favorites);
    Command(ID_TREE_NEW_FOLDER);
    CancelEdit();
    std::vector<std::string> names;
    for (HTREEITEM c = TreeView_GetChild(tree, favorites); c;
         c = TreeView_GetNextSibling(tree, c)) {
        char text[MAX_PATH] = "";
        TVITEMA tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = c;
        tv.pszText = text;
        tv.cchTextMax = MAX_PATH;
        TreeView_GetItem(tree, &tv);
        names.push_back(text);
    }
    EXPECT_EQ((std::vector<std::string>{"New Folder", "New Folder (1)"}), names);

    // Stored in the catalogue: a second tree lists them when Favorites opens.
    CCollectionRecord rootRecord(0);
    ASSERT_TRUE(g_applicationState.LoadFavoritesFolder(rootRecord));
    EXPECT_EQ(2u, rootRecord.childKeys.size());
    CFolderPaneTree second;
    RECT client{0, 0, 380, 460};
    ASSERT_NE(nullptr, second.Create(host, client, WS_VISIBLE | TVS_HASBUTTONS, 10002));
    favorites = second.InsertFavoritesRoot();
    EXPECT_EQ(nullptr, TreeView_GetChild(second, favorites)) << "listed only when opened";
    TreeView_Expand(second, favorites, TVE_EXPAND);
    int listed = 0;
    for (HTREEITEM c = TreeView_GetChild(second, favorites); c;
         c = TreeView_GetNextSibling(second, c))
        ++listed;
    EXPECT_EQ(2, listed);
}

TEST_F(FolderTreeCommands, SearchResultKeepsTheKeyOfTheListItShows) {
    HTREEITEM search = tree.InsertSearchResultRoot(7);
    ASSERT_NE(nullptr, search);
    EXPECT_EQ(search, tree.SearchResultRoot());
    EXPECT_EQ(kTreeSearchResult, tree.ItemData(search)->kind);
    EXPECT_EQ(7u, tree.ItemData(search)->data);
}

} // namespace
