// Drops onto the folder pane tree and the thumbnail list under Wine, through
// their registered drop targets called as OLE calls them, with data objects
// of the program's own built from the clipboard blocks: the row under a drag
// is highlighted and chooses the effect, a drag resting on a folder opens it,
// files and folders land in the folder (one replace answer for the whole
// drop), My Collections and favorites folders record what is dropped, a
// folder's list takes files from elsewhere, lists of no folder refuse, and
// every medium taken from the data is given back.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>
#include <utility>
#include <vector>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/collection_record.h"
#include "app/tests/temp_folder.h"
#include "app/window_hosts.h"
#include "explorer/drag_drop.h"
#include "explorer/folder_pane_tree.h"
#include "explorer/logic/clipboard_blocks.h"
#include "explorer/tests/pane_tree_fixture.h"
#include "explorer/tests/thumbnail_host.h"
#include "tests/support/dialog_script.h"
#include "tests/support/poll_until.h"

namespace {

using namespace treetest;

using Bytes = std::vector<uint8_t>;

constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
constexpr DWORD kCtrl = MK_CONTROL;
constexpr DWORD kShift = MK_SHIFT;

// Counts the references a medium's release object gets, so a test sees
// every medium taken from the data given back.
class CReleaseCounter : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (riid != IID_IUnknown) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        ++taken;
        return ++refs;
    }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    ULONG refs = 0;
    ULONG taken = 0; // AddRefs ever made
};

// A data object of ours holding the blocks, in the order given; with a
// counter, each medium names it as its release object.
IDataObject* MakeData(const std::vector<std::pair<UINT, Bytes>>& blocks,
                      CReleaseCounter* counter = nullptr) {
    auto* object = new CShellDataObject();
    object->AddRef();
    for (const auto& block : blocks) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, block.second.size());
        memcpy(GlobalLock(memory), block.second.data(), block.second.size());
        GlobalUnlock(memory);
        FORMATETC format{static_cast<CLIPFORMAT>(block.first), nullptr, DVASPECT_CONTENT, -1,
                         TYMED_HGLOBAL};
        STGMEDIUM medium{};
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = memory;
        if (counter) {
            counter->AddRef();
            medium.pUnkForRelease = counter;
        }
        object->SetData(&format, &medium, TRUE);
    }
    return object;
}

std::pair<UINT, Bytes> Files(const std::vector<std::string>& paths) {
    return {CF_HDROP, BuildFileDropBlock(paths)};
}

std::pair<UINT, Bytes> Favorites(int32_t id, const std::vector<std::string>& paths) {
    return {g_favoritesClipboardFormat, BuildFavoritesBlock(static_cast<uint32_t>(id), paths)};
}

std::pair<UINT, Bytes> ZipItems(const std::string& archive, const std::vector<std::string>& names) {
    return {g_zipClipboardFormat, BuildZipItemsBlock(archive, names)};
}

// The thread's key state as the drop targets' callers see it is the keys
// argument; the test passes it straight.
struct Drag {
    IDropTarget* target;
    POINTL at;
    DWORD Enter(IDataObject* data, DWORD keys, DWORD allowed = kAll) {
        DWORD effect = allowed;
        EXPECT_EQ(S_OK, target->DragEnter(data, keys, at, &effect));
        return effect;
    }
    DWORD Over(DWORD keys, DWORD allowed = kAll) {
        DWORD effect = allowed;
        EXPECT_EQ(S_OK, target->DragOver(keys, at, &effect));
        return effect;
    }
    DWORD Drop(IDataObject* data, DWORD keys, DWORD allowed = kAll) {
        Enter(data, keys, allowed);
        Over(keys, allowed);
        DWORD effect = allowed;
        EXPECT_EQ(S_OK, target->Drop(data, keys, at, &effect));
        return effect;
    }
};

// The Replace Confirmation as a test answers it: Replace, for all files.
class CReplaceAll : public IFileDialogs {
public:
    bool AskPassword(const char*, std::string*) override { return false; }
    int AskReplace(const char*, const char*, bool, std::string*, bool* applyToAll) override {
        ++asked;
        *applyToAll = true;
        return 1028;
    }
    int RunCopyMoveProgress(const char*, bool, const std::vector<std::string>&, int) override {
        return IDCANCEL;
    }
    int asked = 0;
};

DWORD FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0xFFFFFFFF;
    return data.nFileSizeLow;
}

class TreeDrop : public PaneTreeTest {
protected:
    TreeDrop() : PaneTreeTest("treedropdb", "treedrop", 0, {420, 560}) {}
    void SetUp() override {
        g_applicationState.SetFileDialogs(&answers);
        PaneTreeTest::SetUp();
        host.ShowWindow(SW_SHOW);
        ASSERT_NE(nullptr, tree.DropTarget()) << "the tree registers its drop target";
    }
    void TearDown() override {
        PaneTreeTest::TearDown();
        g_applicationState.SetFileDialogs(nullptr);
    }
    HTREEITEM Top(const std::string& path) {
        HTREEITEM item = tree.InsertShellItem(nullptr, ParsePidl(path), false);
        EXPECT_NE(nullptr, item);
        TreeView_Expand(tree, item, TVE_EXPAND);
        return item;
    }
    HTREEITEM ChildNamed(HTREEITEM parent, const std::string& name) {
        for (HTREEITEM c = TreeView_GetChild(tree, parent); c; c = TreeView_GetNextSibling(tree, c))
            if (lstrcmpiA(Text(c).c_str(), name.c_str()) == 0)
                return c;
        return nullptr;
    }
    // A drag resting on the middle of the item's label.
    Drag On(HTREEITEM item) {
        RECT rect{};
        TreeView_GetItemRect(tree, item, &rect, TRUE);
        POINT at{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(tree, &at);
        return Drag{tree.DropTarget(), {at.x, at.y}};
    }
    HTREEITEM FavoritesFolder(const char* name) {
        CCollectionRecord record(StoreFavoritesFolder(0, name));
        EXPECT_TRUE(g_applicationState.LoadFavoritesFolder(record));
        return tree.InsertFavoritesFolder(record, tree.FavoritesRoot());
    }
    // The row the drag highlights, as the tree keeps it and as it draws it.
    HTREEITEM Highlighted() {
        HTREEITEM kept = tree.DropHighlight();
        int drawn = 0;
        HTREEITEM shown = nullptr;
        for (HTREEITEM item = TreeView_GetRoot(tree); item;) {
            if (TreeView_GetItemState(tree, item, TVIS_DROPHILITED) & TVIS_DROPHILITED) {
                ++drawn;
                shown = item;
            }
            HTREEITEM next = TreeView_GetChild(tree, item);
            while (!next && item) {
                next = TreeView_GetNextSibling(tree, item);
                if (!next)
                    item = TreeView_GetParent(tree, item);
            }
            item = next;
        }
        EXPECT_LE(drawn, 1) << "one row at most";
        EXPECT_EQ(kept, shown);
        return kept;
    }
    std::vector<UINT> Codes() const { return host.Codes(); }

    CReplaceAll answers;
};

TEST_F(TreeDrop, TheRowUnderADragIsHighlightedAndChoosesTheEffectByItsKindAndTheKeys) {
    root.MakeFolder("dest");
    root.Write("a.zip", 10);
    const std::string file = root.Write("a.txt", 1);
    tree.InsertFavoritesRoot();
    HTREEITEM top = Top(root.Path());
    HTREEITEM search = tree.InsertSearchResultRoot(0);
    HTREEITEM dest = ChildNamed(top, "dest");
    HTREEITEM zip = ChildNamed(top, "a.zip");
    ASSERT_NE(nullptr, dest);
    ASSERT_NE(nullptr, zip);
    struct Case {
        const char* name;
        HTREEITEM item;
        DWORD keys;
        DWORD allowed;
        DWORD expected;
        bool files;
    } cases[] = {
        {"a folder moves by default", dest, 0, kAll, DROPEFFECT_MOVE, true},
        {"Ctrl copies", dest, kCtrl, kAll, DROPEFFECT_COPY, true},
        {"Ctrl+Shift links", dest, kCtrl | kShift, kAll, DROPEFFECT_LINK, true},
        {"Ctrl on a move-only source gives nothing", dest, kCtrl, DROPEFFECT_MOVE, 0, true},
        {"a zip archive takes no drop", zip, 0, kAll, 0, true},
        {"Search Result takes no drop", search, 0, kAll, 0, true},
        {"Favorites takes a drop", tree.FavoritesRoot(), 0, kAll, DROPEFFECT_MOVE, true},
        {"data of no accepted format", dest, 0, kAll, 0, false},
    };
    for (const Case& c : cases) {
        IDataObject* data =
            c.files ? MakeData({Files({file})}) : MakeData({{CF_TEXT, Bytes{'x', 0}}});
        Drag drag = On(c.item);
        EXPECT_EQ(c.expected, drag.Enter(data, c.keys, c.allowed)) << c.name;
        EXPECT_EQ(c.expected, drag.Over(c.keys, c.allowed)) << c.name;
        EXPECT_EQ(c.item, Highlighted()) << c.name;
        EXPECT_EQ(c.item, tree.CurrentItem()) << c.name;
        EXPECT_TRUE(tree.HoverTimerRunning()) << c.name;
        EXPECT_EQ(S_OK, drag.target->DragLeave());
        EXPECT_EQ(nullptr, Highlighted()) << c.name;
        EXPECT_EQ(nullptr, tree.CurrentItem()) << c.name;
        EXPECT_FALSE(tree.HoverTimerRunning()) << c.name;
        data->Release();
    }
    // A drag over another row than the selected one, as the screenshot
    // script pictures it.
    IDataObject* data = MakeData({Files({file})});
    TreeView_SelectItem(tree, top);
    On(dest).Enter(data, 0);
    UpdateWindow(host);
    testsupport::MaybeScreenshot(host, "tree_drop_highlight");
    tree.DropTarget()->DragLeave();
    // The selected row takes the highlight too.
    TreeView_SelectItem(tree, dest);
    Drag drag = On(dest);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), drag.Enter(data, 0));
    EXPECT_EQ(dest, Highlighted());
    drag.target->DragLeave();
    EXPECT_EQ(nullptr, Highlighted());
    data->Release();
}

TEST_F(TreeDrop, TheFirstAcceptedFormatTheDataOffersIsTheOneADropTakes) {
    root.MakeFolder("dest");
    HTREEITEM dest = ChildNamed(Top(root.Path()), "dest");
    auto* target = static_cast<CShellDropTarget*>(tree.DropTarget());
    const std::string file = root.Write("a.txt", 1);
    struct Case {
        const char* name;
        std::vector<std::pair<UINT, Bytes>> blocks;
        UINT matched;
    } cases[] = {
        {"files before zip entries", {ZipItems("C:\\a.zip", {"x.jpg"}), Files({file})}, CF_HDROP},
        {"zip entries before favorites",
         {Favorites(3, {file}), ZipItems("C:\\a.zip", {"x.jpg"})},
         g_zipClipboardFormat},
        {"favorites last", {Favorites(3, {file})}, g_favoritesClipboardFormat},
    };
    for (const Case& c : cases) {
        IDataObject* data = MakeData(c.blocks);
        On(dest).Enter(data, 0);
        ASSERT_TRUE(target->FormatAccepted()) << c.name;
        ASSERT_NE(nullptr, target->MatchedFormat()) << c.name;
        EXPECT_EQ(c.matched, target->MatchedFormat()->cfFormat) << c.name;
        target->DragLeave();
        data->Release();
    }
}

TEST_F(TreeDrop, FilesDroppedOnAFolderAreCopiedOrMovedThereWithOneReplaceAnswerForTheDrop) {
    const std::string dest = root.MakeFolder("dest");
    root.MakeFolder("src");
    const std::string a = root.Write("src\\a.txt", 3);
    const std::string b = root.Write("src\\b.txt", 5);
    const std::string c = root.Write("src\\c.txt", 7);
    root.Write("dest\\b.txt", 1);
    root.Write("dest\\c.txt", 1);
    HTREEITEM destItem = ChildNamed(Top(root.Path()), "dest");
    ASSERT_NE(nullptr, destItem);

    IDataObject* copied = MakeData({Files({a, b, c})});
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), On(destItem).Drop(copied, kCtrl));
    copied->Release();
    EXPECT_EQ(1, answers.asked) << "the first clash asks, for the whole drop";
    for (const auto& [name, size] :
         {std::pair<const char*, DWORD>{"a.txt", 3}, {"b.txt", 5}, {"c.txt", 7}})
        EXPECT_EQ(size, FileSize(dest + "\\" + name)) << name;
    EXPECT_TRUE(PathFileExistsA(a.c_str())) << "a copy leaves the source";
    EXPECT_EQ((std::vector<UINT>{FTN_BEGINOPERATION, FTN_ENDOPERATION}), Codes());
    EXPECT_EQ("", host.notices[0].first) << "a drop names no path";
    EXPECT_EQ(nullptr, Highlighted());
    EXPECT_EQ(nullptr, tree.CurrentItem());

    const std::string d = root.Write("src\\d.txt", 9);
    IDataObject* moved = MakeData({Files({d})});
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), On(destItem).Drop(moved, 0));
    moved->Release();
    EXPECT_FALSE(PathFileExistsA(d.c_str()));
    EXPECT_EQ(9u, FileSize(dest + "\\d.txt"));

    // A file dropped onto its own folder stays, and a source that moves by
    // deleting must not hear that it moved.
    IDataObject* own = MakeData({Files({dest + "\\d.txt"})});
    EXPECT_EQ(0u, On(destItem).Drop(own, 0));
    own->Release();
    EXPECT_EQ(9u, FileSize(dest + "\\d.txt"));
}

TEST_F(TreeDrop, AFolderDroppedOnAFolderMovesThroughTheShellButNeverIntoItself) {
    const std::string dest = root.MakeFolder("dest");
    root.MakeFolder("dest\\inner");
    root.MakeFolder("src");
    const std::string sub = root.MakeFolder("src\\sub");
    HTREEITEM top = Top(root.Path());
    HTREEITEM destItem = ChildNamed(top, "dest");
    ASSERT_NE(nullptr, destItem);
    TreeView_Expand(tree, destItem, TVE_EXPAND);

    IDataObject* data = MakeData({Files({sub})});
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), On(destItem).Drop(data, 0));
    data->Release();
    EXPECT_TRUE(PathIsDirectoryA((dest + "\\sub").c_str()));
    EXPECT_FALSE(PathFileExistsA(sub.c_str()));
    EXPECT_NE(nullptr, ChildNamed(destItem, "sub")) << "the tree shows it at its new place";
    ASSERT_EQ((std::vector<UINT>{FTN_BEGINOPERATION, FTN_FOLDERMOVED, FTN_ENDOPERATION}), Codes());
    EXPECT_EQ(0, lstrcmpiA(sub.c_str(), host.notices[1].second.c_str()));
    EXPECT_EQ(0, lstrcmpiA((dest + "\\sub").c_str(), host.notices[1].third.c_str()));

    host.notices.clear();
    HTREEITEM inner = ChildNamed(destItem, "inner");
    ASSERT_NE(nullptr, inner);
    IDataObject* itself = MakeData({Files({dest})});
    EXPECT_EQ(0u, On(inner).Drop(itself, 0));
    itself->Release();
    EXPECT_TRUE(PathIsDirectoryA((dest + "\\inner").c_str()));
    EXPECT_EQ((std::vector<UINT>{FTN_BEGINOPERATION, FTN_ENDOPERATION}), Codes())
        << "nothing was moved";
}

TEST_F(TreeDrop, DropsOnMyCollectionsAndFavoritesFoldersAreRecordedInTheCatalogue) {
    const std::string collected = root.MakeFolder("collected");
    const std::string picture = root.Write("pic.jpg", 4);
    const std::string notes = root.Write("notes.txt", 4);
    HTREEITEM collections = tree.InsertCollectionsRoot();
    tree.InsertFavoritesRoot();
    HTREEITEM first = FavoritesFolder("First");
    HTREEITEM second = FavoritesFolder("Second");
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    TreeView_Expand(tree, tree.FavoritesRoot(), TVE_EXPAND);

    IDataObject* folders = MakeData({Files({collected, picture})});
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), On(collections).Drop(folders, kCtrl));
    folders->Release();
    EXPECT_TRUE(g_applicationState.IsInMyCollections(collected.c_str()));
    EXPECT_FALSE(g_applicationState.IsInMyCollections(picture.c_str()))
        << "a file is no collection";
    EXPECT_NE(nullptr, ChildNamed(collections, "collected"));

    IDataObject* files = MakeData({Files({picture, notes})});
    EXPECT_EQ(0u, On(first).Drop(files, 0)) << "the files stay, so no move is reported";
    files->Release();
    CCollectionRecord record(FavoritesId(first));
    ASSERT_TRUE(g_applicationState.LoadFavoritesFolder(record));
    EXPECT_GE(record.FindPath(picture.c_str()), 0);
    EXPECT_LT(record.FindPath(notes.c_str()), 0) << "only pictures become favorites";
    EXPECT_TRUE(PathFileExistsA(picture.c_str()));

    IDataObject* favorites = MakeData({Favorites(FavoritesId(first), {picture})});
    On(second).Drop(favorites, 0);
    favorites->Release();
    CCollectionRecord from(FavoritesId(first)), to(FavoritesId(second));
    ASSERT_TRUE(g_applicationState.LoadFavoritesFolder(from));
    ASSERT_TRUE(g_applicationState.LoadFavoritesFolder(to));
    EXPECT_LT(from.FindPath(picture.c_str()), 0) << "moved out of the first";
    EXPECT_GE(to.FindPath(picture.c_str()), 0) << "into the second";
}

TEST_F(TreeDrop, ADragRestingOnACollapsedFolderOpensItAfterTheHoverTime) {
    root.MakeFolder("closed");
    root.MakeFolder("closed\\child");
    HTREEITEM closed = ChildNamed(Top(root.Path()), "closed");
    ASSERT_NE(nullptr, closed);
    ASSERT_FALSE(TreeView_GetItemState(tree, closed, TVIS_EXPANDED) & TVIS_EXPANDED);
    IDataObject* data = MakeData({Files({root.Write("a.txt", 1)})});
    Drag drag = On(closed);
    const DWORD started = GetTickCount();
    drag.Enter(data, 0);
    EXPECT_TRUE(testsupport::PollUntil(
        [&] { return (TreeView_GetItemState(tree, closed, TVIS_EXPANDED) & TVIS_EXPANDED) != 0; },
        8000));
    EXPECT_GE(GetTickCount() - started, 2000u) << "not before the hover time";
    EXPECT_NE(nullptr, ChildNamed(closed, "child"));
    drag.target->DragLeave();
    EXPECT_FALSE(tree.HoverTimerRunning());
    data->Release();
}

TEST_F(TreeDrop, EveryMediumADropTakesIsGivenBackAlsoWhenTheDropIsRefused) {
    const std::string dest = root.MakeFolder("dest");
    const std::string file = root.Write("a.txt", 1);
    HTREEITEM destItem = ChildNamed(Top(root.Path()), "dest");
    HTREEITEM search = tree.InsertSearchResultRoot(0);
    struct Case {
        const char* name;
        HTREEITEM item;
        std::pair<UINT, Bytes> block;
        bool taken; // the data was asked for its medium
        DWORD effect;
    } cases[] = {
        {"favorites onto a folder are refused after the data was read", destItem,
         Favorites(5, {file}), true, 0},
        {"files onto Search Result are refused before", search, Files({file}), false, 0},
        {"files onto a folder are used", destItem, Files({file}), true, DROPEFFECT_COPY},
    };
    for (const Case& c : cases) {
        CReleaseCounter counter;
        IDataObject* data = MakeData({c.block}, &counter);
        const ULONG held = counter.refs;
        EXPECT_EQ(c.effect, On(c.item).Drop(data, kCtrl)) << c.name;
        EXPECT_EQ(c.taken, counter.taken > held) << c.name;
        EXPECT_EQ(held, counter.refs) << c.name << ": every medium taken was released";
        data->Release();
        EXPECT_EQ(0u, counter.refs) << c.name;
    }
}

TEST_F(TreeDrop, AFolderDragStartedWithNoButtonHeldEndsAtOnce) {
    root.MakeFolder("dragged");
    HTREEITEM top = Top(root.Path());
    HTREEITEM item = ChildNamed(top, "dragged");
    ASSERT_NE(nullptr, item);
    for (HTREEITEM from : {item, top}) {
        NMTREEVIEWA begin{};
        begin.hdr.hwndFrom = tree;
        begin.hdr.idFrom = 10001;
        begin.hdr.code = TVN_BEGINDRAGA;
        begin.itemNew.hItem = from;
        const DWORD started = GetTickCount();
        SendMessageA(tree, OCM__BASE + WM_NOTIFY, 10001, reinterpret_cast<LPARAM>(&begin));
        EXPECT_LT(GetTickCount() - started, 5000u);
        EXPECT_FALSE(tree.HoverTimerRunning());
    }
    EXPECT_TRUE(PathIsDirectoryA(root.File("dragged").c_str()));
}

// The one drag made with the pointer: the button pressed on a folder and the
// pointer moved onto another folder, so the tree view itself starts the drag,
// then released there, while the drag's own loop runs.
DWORD WINAPI MovePointer(void* param) {
    const POINTL* path = static_cast<const POINTL*>(param);
    const LONG width = GetSystemMetrics(SM_CXSCREEN) - 1;
    const LONG height = GetSystemMetrics(SM_CYSCREEN) - 1;
    auto send = [&](DWORD flags, LONG x, LONG y) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        in.mi.dx = x * 65535 / width;
        in.mi.dy = y * 65535 / height;
        SendInput(1, &in, sizeof in);
    };
    send(0, path[0].x, path[0].y);
    Sleep(100);
    send(MOUSEEVENTF_LEFTDOWN, path[0].x, path[0].y);
    Sleep(200);
    for (int i = 1; i <= 10; ++i) {
        send(0, path[0].x + (path[1].x - path[0].x) * i / 10,
             path[0].y + (path[1].y - path[0].y) * i / 10);
        Sleep(60);
    }
    Sleep(300);
    send(MOUSEEVENTF_LEFTUP, path[1].x, path[1].y);
    return 0;
}

TEST_F(TreeDrop, AFolderDraggedWithThePointerOntoAnotherFolderMovesThere) {
    root.MakeFolder("from");
    const std::string moving = root.MakeFolder("from\\moving");
    const std::string to = root.MakeFolder("to");
    HTREEITEM top = Top(root.Path());
    HTREEITEM from = ChildNamed(top, "from");
    ASSERT_NE(nullptr, from);
    TreeView_Expand(tree, from, TVE_EXPAND);
    HTREEITEM item = ChildNamed(from, "moving");
    HTREEITEM target = ChildNamed(top, "to");
    ASSERT_NE(nullptr, item);
    ASSERT_NE(nullptr, target);
    POINTL path[2] = {On(item).at, On(target).at};
    HANDLE mover = CreateThread(nullptr, 0, MovePointer, path, 0, nullptr);
    ASSERT_NE(nullptr, mover);
    const bool moved = testsupport::PollUntil(
        [&] {
            return WaitForSingleObject(mover, 0) == WAIT_OBJECT_0 &&
                   PathIsDirectoryA((to + "\\moving").c_str());
        },
        10000);
    WaitForSingleObject(mover, 10000);
    CloseHandle(mover);
    EXPECT_TRUE(moved);
    EXPECT_FALSE(PathFileExistsA(moving.c_str()));
    EXPECT_EQ(nullptr, Highlighted());
    TreeView_Expand(tree, target, TVE_EXPAND);
    EXPECT_NE(nullptr, ChildNamed(target, "moving")) << "listed at its new place";
    EXPECT_FALSE(tree.HoverTimerRunning());
}

// --- the thumbnail list --------------------------------------------------------

class ListDrop : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        CAppOptions& o = g_applicationState.Options();
        o.explorerThumbnailWidth = o.explorerThumbnailHeight = 100;
        o.explorerThumbnailCache = false;
        o.sortBy = kSortByName;
        o.sortOrder = kSortAscending;
        ASSERT_TRUE(g_applicationState.Databases().OpenMainDatabase(data.File("main.tdb")));
        g_applicationState.SetFileDialogs(&answers);
        own = pictures.Write("own.bmp", 16);
        ASSERT_NE(nullptr, host.CreateHost(0, 0, 600, 400));
        ASSERT_NE(nullptr, host.list.DropTarget()) << "the list registers its drop target";
    }
    void TearDown() override {
        if (host.IsWindow())
            host.DestroyWindow();
        g_applicationState.ReleaseFileItemList(nullptr);
        g_applicationState.SetFileDialogs(nullptr);
        g_applicationState.Databases().CloseMainDatabase();
        OleUninitialize();
    }
    Drag OnList() {
        RECT client;
        GetClientRect(host.list.m_hWnd, &client);
        POINT at{client.right / 2, client.bottom / 2};
        ClientToScreen(host.list.m_hWnd, &at);
        return Drag{host.list.DropTarget(), {at.x, at.y}};
    }

    CTestFolder data{"listdropdb"};
    CTestFolder pictures{"listdrop"};
    CTestFolder elsewhere{"listdropfrom"};
    CReplaceAll answers;
    std::string own;
    thumbtest::CThumbnailHostFrame host;
};

TEST_F(ListDrop, AFoldersListTakesFilesFromElsewhereByItsOwnEffectRuleAndLeavesItsOwn) {
    ASSERT_TRUE(host.ShowFolder(pictures.Path().c_str(), kListViewThumbnails));
    const std::string x = elsewhere.Write("x.bmp", 5);
    const std::string y = elsewhere.Write("y.png", 6);
    struct Rule {
        const char* name;
        DWORD keys;
        DWORD allowed;
        DWORD expected;
    } rules[] = {
        {"no key moves", 0, kAll, DROPEFFECT_MOVE},
        {"no key copies when moving is not allowed", 0, DROPEFFECT_COPY | DROPEFFECT_LINK,
         DROPEFFECT_COPY},
        {"no key links as the last choice", 0, DROPEFFECT_LINK, DROPEFFECT_LINK},
        {"Shift moves", kShift, kAll, DROPEFFECT_MOVE},
        {"Shift on a copy-only source gives nothing", kShift, DROPEFFECT_COPY, 0},
        {"Ctrl copies", kCtrl, kAll, DROPEFFECT_COPY},
        {"Ctrl+Shift links", kCtrl | kShift, kAll, DROPEFFECT_LINK},
    };
    IDataObject* files = MakeData({Files({x})});
    for (const Rule& r : rules) {
        Drag drag = OnList();
        EXPECT_EQ(r.expected, drag.Enter(files, r.keys, r.allowed)) << r.name;
        EXPECT_EQ(r.expected, drag.Over(r.keys, r.allowed)) << r.name;
        drag.target->DragLeave();
    }
    files->Release();

    IDataObject* copied = MakeData({Files({x, own})});
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), OnList().Drop(copied, kCtrl));
    copied->Release();
    EXPECT_EQ(5u, FileSize(pictures.File("x.bmp")));
    EXPECT_TRUE(PathFileExistsA(x.c_str()));
    EXPECT_EQ(16u, FileSize(own)) << "its own file is left as it is";
    EXPECT_FALSE(PathFileExistsA(pictures.File("own_1.bmp").c_str()));

    IDataObject* moved = MakeData({Files({y})});
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), OnList().Drop(moved, 0));
    moved->Release();
    EXPECT_EQ(6u, FileSize(pictures.File("y.png")));
    EXPECT_FALSE(PathFileExistsA(y.c_str()));

    IDataObject* ownOnly = MakeData({Files({own})});
    EXPECT_EQ(0u, OnList().Drop(ownOnly, 0)) << "nothing moved, so no move is reported";
    ownOnly->Release();
    EXPECT_EQ(16u, FileSize(own));
}

TEST_F(ListDrop, ListsThatShowNoFolderOnDiskRefuseDropsAndGiveTheMediumBack) {
    const std::string x = elsewhere.Write("x.bmp", 5);
    const std::string archive = pictures.File("pictures.zip");
    ASSERT_TRUE(CopyFileA(VXP_TEST_DATA_DIR "\\explorer\\pictures.zip", archive.c_str(), FALSE));
    CCollectionRecord favorites;
    favorites.parentKey = 0;
    favorites.name = "Dropped";
    ASSERT_TRUE(g_applicationState.StoreFavorites(favorites));
    struct Case {
        const char* name;
        int kind;
        std::string key;
    } cases[] = {
        {"a zip folder", kListArchive, archive + "|trip\\"},
        {"a favorites folder", kListFavorites, ""},
    };
    for (const Case& c : cases) {
        const char* key = c.kind == kListFavorites
                              ? reinterpret_cast<const char*>(static_cast<intptr_t>(favorites.key))
                              : c.key.c_str();
        CFileItemList* items = g_applicationState.GetFileItemList(c.kind, key);
        ASSERT_NE(nullptr, items) << c.name;
        host.list.SetViewMode(kListViewList);
        host.list.SetItemSource(items);
        CReleaseCounter counter;
        IDataObject* data = MakeData({Files({x})}, &counter);
        const ULONG held = counter.refs;
        Drag drag = OnList();
        EXPECT_EQ(0u, drag.Enter(data, 0)) << c.name;
        EXPECT_EQ(0u, drag.Over(kCtrl)) << c.name;
        EXPECT_EQ(0u, OnList().Drop(data, kCtrl)) << c.name;
        EXPECT_EQ(held, counter.refs) << c.name;
        data->Release();
        EXPECT_TRUE(PathFileExistsA(x.c_str())) << c.name;
        EXPECT_FALSE(PathFileExistsA(pictures.File("x.bmp").c_str())) << c.name;
    }
    host.list.SetItemSource(nullptr);
}

} // namespace
