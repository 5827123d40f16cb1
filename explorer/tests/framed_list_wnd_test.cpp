// The folder preview under Wine: the popup's size follows the pictures it
// shows, its list sits inside a 2-pixel frame, a new colour empties it, and
// a folder tree shows it for the folder under a resting pointer beside the
// cursor and hides it as the pointer, the Ctrl key and the selection say.
#include "explorer/framed_list_wnd.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/tests/temp_folder.h"
#include "explorer/folder_pane_tree.h"
#include "explorer/folder_preview.h"

namespace {

class CPreviewHostFrame : public CWindowImpl<CPreviewHostFrame, CWindowImplBase, CFrameWinTraits> {
public:
    DECLARE_WND_CLASS("VxpFolderPreviewHost")
    BEGIN_MSG_MAP(CPreviewHostFrame)
    REFLECT_NOTIFICATIONS()
    END_MSG_MAP()
};

void SetCtrl(bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

class FolderPreview : public testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);
        if (!g_smallImageList)
            g_smallImageList = ImageList_Create(16, 16, ILC_COLOR24, 1, 0);
        CAppOptions& o = g_applicationState.Options();
        o.explorerThumbnailWidth = o.explorerThumbnailHeight = 100;
        o.explorerThumbnailCache = false;
        o.folderPreviewActivate = true;
        o.folderPreviewCtrlActivate = true;
        o.folderPreviewHoverTime = 25;
        o.folderPreviewThumbnails = 4;
        o.folderPreviewThumbnailColor = RGB(255, 255, 225);
        o.folderPreviewFrameColor = RGB(255, 255, 225);
        SetCtrl(false);
        for (int i = 0; i < 10; ++i)
            ten.Write("p" + std::to_string(i) + ".bmp", 16);
        for (const char* name : {"a.bmp", "b.jpg", "c.png"})
            three.Write(name, 16);
        none.Write("notes.txt", 16);
    }
    void TearDown() override {
        SetCtrl(false);
        if (host.IsWindow())
            host.DestroyWindow();
        g_applicationState.ReleaseFileItemList(nullptr);
    }
    CFileItemList* FirstItems(const CTestFolder& folder) {
        return g_applicationState.ListFirstItems(kListFolder, folder.Path().c_str(), 4);
    }

    CTestFolder ten{"preview-ten"};
    CTestFolder three{"preview-three"};
    CTestFolder none{"preview-none"};
    CPreviewHostFrame host;
};

TEST_F(FolderPreview, ThePopupIsSizedForTheTilesItShowsWithTheListInsideItsFrame) {
    CFramedListWnd popup;
    ASSERT_NE(nullptr, popup.Create(nullptr));
    EXPECT_EQ(WS_DISABLED | WS_BORDER | WS_POPUP,
              GetWindowLongA(popup.m_hWnd, GWL_STYLE) & (WS_DISABLED | WS_BORDER | WS_POPUP));
    char name[64] = "";
    GetClassNameA(popup.m_hWnd, name, sizeof name);
    EXPECT_STREQ("FolderPreviewCtrl", name);
    struct Case {
        const char* name;
        const CTestFolder& folder;
        int items, width;
    } cases[] = {
        {"no pictures", none, 0, 3},
        {"three pictures", three, 3, 3 * 101 + 3},
        {"ten pictures show four", ten, 4, 4 * 101 + 3},
    };
    for (const Case& c : cases) {
        popup.SetItemSource(FirstItems(c.folder));
        int width = 0, height = 0;
        popup.GetPreferredSize(&width, &height);
        EXPECT_EQ(c.width, width) << c.name;
        EXPECT_EQ(106, height) << c.name;
        EXPECT_EQ(c.items, popup.List().ItemCount()) << c.name;
        const RECT outer = WindowRect(popup.m_hWnd);
        EXPECT_EQ(c.width, outer.right - outer.left) << c.name;
        EXPECT_EQ(106, outer.bottom - outer.top) << c.name;
        RECT client{}, child = WindowRect(popup.List().m_hWnd);
        GetClientRect(popup.m_hWnd, &client);
        POINT origin{0, 0};
        ClientToScreen(popup.m_hWnd, &origin);
        EXPECT_EQ(origin.x + 2, child.left) << c.name;
        EXPECT_EQ(origin.y + 2, child.top) << c.name;
        // The list is the client less 4 each way; a frame of 3 pixels has none.
        EXPECT_EQ(std::max(0L, client.right - 4), child.right - child.left) << c.name;
        EXPECT_EQ(client.bottom - 4, child.bottom - child.top) << c.name;
    }

    popup.ShowAt(50, 60);
    EXPECT_TRUE(popup.IsShown());
    const RECT shown = WindowRect(popup.m_hWnd);
    EXPECT_EQ(50, shown.left);
    EXPECT_EQ(60, shown.top);
    EXPECT_EQ(4 * 101 + 3, shown.right - shown.left) << "showing keeps the size";
    EXPECT_NE(popup.m_hWnd, GetActiveWindow()) << "the popup never takes activation";

    g_applicationState.Options().folderPreviewThumbnailColor = RGB(10, 20, 30);
    popup.ApplyColors();
    EXPECT_EQ(nullptr, popup.List().ItemSource());
    EXPECT_EQ(0, popup.List().ItemCount());
    EXPECT_EQ(RGB(10, 20, 30),
              static_cast<COLORREF>(SendMessageA(popup.List().m_hWnd, LVM_GETBKCOLOR, 0, 0)));
    popup.DestroyWindow();
}

class FolderPreviewInTree : public FolderPreview {
public: // the cases of a table act on the fixture
    void SetUp() override {
        FolderPreview::SetUp();
        // The real pointer rests far from the tree, so no motion of its own
        // reaches it while a test pumps messages.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        RECT frame{0, 0, 400, 500};
        ASSERT_NE(nullptr, host.Create(nullptr, frame, "Folder preview host"));
        RECT client{0, 0, 380, 460};
        ASSERT_NE(nullptr, tree.Create(host, client,
                                       WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                           TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                       10001));
        host.ShowWindow(SW_SHOW);
        for (const CTestFolder* folder : {&ten, &three, &none})
            items.push_back(Insert(folder->Path()));
        tree.SetPreviewEnabled(true);
    }
    HTREEITEM Insert(const std::string& path) {
        LPITEMIDLIST pidl = nullptr;
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        IShellFolder* desktop = nullptr;
        SHGetDesktopFolder(&desktop);
        ULONG eaten = 0;
        desktop->ParseDisplayName(nullptr, nullptr, wide, &eaten, &pidl, nullptr);
        desktop->Release();
        return tree.InsertShellItem(nullptr, pidl, false);
    }
    // The middle of the item's label, in the tree's client area.
    POINT LabelOf(HTREEITEM item) {
        RECT rect{};
        std::memcpy(&rect, &item, sizeof item); // the item goes in, its rectangle comes out
        SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    void Hover(HTREEITEM item) {
        const POINT at = LabelOf(item);
        SendMessageA(tree, WM_MOUSEHOVER, 0, MAKELPARAM(at.x, at.y));
    }
    void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    CFramedListWnd& Popup() { return tree.Preview().Popup(); }

    CFolderPaneTree tree;
    std::vector<HTREEITEM> items;
};

TEST_F(FolderPreviewInTree, ARestingPointerShowsTheFoldersFirstPicturesBesideTheCursor) {
    ASSERT_EQ(3u, items.size());
    Hover(items[1]);
    ASSERT_TRUE(Popup().IsShown());
    EXPECT_EQ(3, Popup().List().ItemCount());
    EXPECT_EQ(items[1], tree.Preview().PreviewedItem());
    POINT cursor = LabelOf(items[1]);
    ClientToScreen(tree, &cursor);
    const RECT at = WindowRect(Popup().m_hWnd);
    EXPECT_EQ(cursor.x + 20, at.left);
    EXPECT_EQ(cursor.y + 20, at.top);

    Hover(items[0]);
    EXPECT_EQ(4, Popup().List().ItemCount()) << "another folder fills the popup anew";
    Hover(items[2]);
    EXPECT_FALSE(Popup().IsShown()) << "a folder without pictures hides it";
}

TEST_F(FolderPreviewInTree, ThePopupGoesWithThePointerTheSelectionAndTheCtrlKey) {
    struct Case {
        const char* name;
        void (*act)(FolderPreviewInTree&);
        bool shown;
    } cases[] = {
        {"leaving the tree",
         [](FolderPreviewInTree& t) { SendMessageA(t.tree, WM_MOUSELEAVE, 0, 0); }, false},
        {"moving off the folder",
         [](FolderPreviewInTree& t) {
             SendMessageA(t.tree, WM_MOUSEMOVE, 0, MAKELPARAM(370, 450));
             t.Pump();
         },
         false},
        {"moving within the folder",
         [](FolderPreviewInTree& t) {
             const POINT at = t.LabelOf(t.items[0]);
             SendMessageA(t.tree, WM_MOUSEMOVE, 0, MAKELPARAM(at.x + 1, at.y));
             t.Pump();
         },
         true},
        {"scrolling",
         [](FolderPreviewInTree& t) { SendMessageA(t.tree, WM_VSCROLL, SB_LINEDOWN, 0); }, false},
        {"a new selection", [](FolderPreviewInTree& t) { TreeView_SelectItem(t.tree, t.items[1]); },
         false},
        {"pressing Ctrl when Ctrl suppresses it",
         [](FolderPreviewInTree& t) {
             SetCtrl(true);
             SendMessageA(t.tree, WM_KEYDOWN, VK_CONTROL, 0);
             SetCtrl(false);
         },
         false},
    };
    for (const Case& c : cases) {
        TreeView_SelectItem(tree, items[2]);
        Hover(items[0]);
        ASSERT_TRUE(Popup().IsShown()) << c.name;
        c.act(*this);
        EXPECT_EQ(c.shown, Popup().IsShown()) << c.name;
    }

    TreeView_SelectItem(tree, items[0]);
    Hover(items[0]);
    EXPECT_FALSE(Popup().IsShown()) << "the selected folder is not previewed";
    EXPECT_EQ(nullptr, Popup().List().ItemSource()) << "a new selection gave the list back";
}

TEST_F(FolderPreviewInTree, WithOnlyCtrlActivateThePreviewShowsWhileCtrlIsHeld) {
    CAppOptions& o = g_applicationState.Options();
    o.folderPreviewActivate = false;
    Hover(items[0]);
    EXPECT_FALSE(Popup().IsShown());
    SetCtrl(true);
    Hover(items[0]);
    EXPECT_TRUE(Popup().IsShown());
    SetCtrl(false);
    SendMessageA(tree, WM_KEYUP, VK_CONTROL, 0);
    EXPECT_FALSE(Popup().IsShown()) << "releasing Ctrl hides it";

    tree.SetPreviewEnabled(false);
    SetCtrl(true);
    Hover(items[0]);
    EXPECT_FALSE(Popup().IsShown()) << "a tree without the preview never shows it";
}

} // namespace
