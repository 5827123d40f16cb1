// What the folder tree tests under Wine share: a parent window that records
// the tree's own notices and reflects the tree view's back to it, and a
// fixture that puts a folder pane tree in it over a main database of the
// test's own.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/collection_record.h"
#include "app/tests/temp_folder.h"
#include "explorer/folder_pane_tree.h"
#include "explorer/tests/shell_item_path.h"

namespace treetest {

struct Notice {
    UINT code;
    std::string first, second, third;
    UINT_PTR from; // the header's control id
    WPARAM wParam;
};

inline std::string NoticeField(uintptr_t value) {
    return value ? reinterpret_cast<const char*>(value) : "";
}

class CTreeTestHost : public CWindowImpl<CTreeTestHost, CWindowImplBase, CFrameWinTraits> {
public:
    DECLARE_WND_CLASS("VxpTreeTestHost")
    BEGIN_MSG_MAP(CTreeTestHost)
    MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
    END_MSG_MAP()

    std::vector<Notice> notices;

    std::vector<UINT> Codes() const {
        std::vector<UINT> codes;
        for (const Notice& n : notices)
            codes.push_back(n.code);
        return codes;
    }

private:
    LRESULT OnNotify(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code >= FTN_DRIVEADDED && header->code <= FTN_ENDOPERATION) {
            const FolderTreeNotice* n = reinterpret_cast<const FolderTreeNotice*>(header);
            notices.push_back({header->code, NoticeField(n->first), NoticeField(n->second),
                               NoticeField(n->third), header->idFrom, wParam});
            return 0;
        }
        return ::SendMessageA(header->hwndFrom, OCM__BASE + WM_NOTIFY, wParam, lParam);
    }
};

inline void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

inline std::string ItemText(HWND tree, HTREEITEM item) {
    char text[MAX_PATH] = "";
    TVITEMA tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    TreeView_GetItem(tree, &tv);
    return text;
}

// A favorites folder stored under parent and listed in the parent's record;
// its id.
inline int32_t StoreFavoritesFolder(int32_t parent, const char* name) {
    CCollectionRecord record;
    record.parentKey = parent;
    record.name = name;
    EXPECT_TRUE(g_applicationState.StoreFavorites(record));
    CCollectionRecord up(parent);
    EXPECT_TRUE(g_applicationState.LoadFavoritesFolder(up));
    up.childKeys.push_back(record.key);
    EXPECT_TRUE(g_applicationState.StoreFavorites(up));
    return record.key;
}

// A folder pane tree of the given extra styles filling a host window of the
// given size, its notices sent to the host, over a main database in a
// folder of the fixture's own.
class PaneTreeTest : public testing::Test {
protected:
    PaneTreeTest(const char* databaseFolder, const char* rootFolder, DWORD extraStyles = 0,
                 SIZE frame = {400, 500})
        : data(databaseFolder), root(rootFolder), styles(extraStyles), size(frame) {}

    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        if (!g_smallImageList)
            g_smallImageList = ImageList_Create(16, 16, ILC_COLOR24, 1, 0);
        ASSERT_TRUE(g_applicationState.Databases().OpenMainDatabase(data.File("main.tdb")));
        RECT frame{0, 0, size.cx, size.cy};
        ASSERT_NE(nullptr, host.Create(nullptr, frame, "Folder tree test host"));
        RECT client{0, 0, size.cx - 20, size.cy - 40};
        ASSERT_NE(nullptr, tree.Create(host, client,
                                       WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                           TVS_LINESATROOT | TVS_SHOWSELALWAYS | styles,
                                       10001));
        tree.SetNotifyWindow(host);
    }
    void TearDown() override {
        if (host.IsWindow())
            host.DestroyWindow();
        g_applicationState.Databases().CloseMainDatabase();
        OleUninitialize();
    }

    std::string Text(HTREEITEM item) { return ItemText(tree, item); }
    // The favorites id an item of the tree shows.
    int32_t FavoritesId(HTREEITEM item) {
        return static_cast<int32_t>(static_cast<intptr_t>(tree.ItemData(item)->data));
    }

    CTestFolder data;
    CTestFolder root;
    CTreeTestHost host;
    CFolderPaneTree tree;

private:
    DWORD styles;
    SIZE size;
};

} // namespace treetest
