// The thumbnail list in a window of its own, with the application object's
// options and databases opened as start-up opens them. The harness program
// and the in-process tests share it until the explorer holds the list.
#pragma once

#include <windows.h>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/file_item_list.h"
#include "explorer/image_list_view.h"
#include "ui/window_impl.h"

namespace thumbtest {

class CThumbnailHostFrame
    : public CWindowImpl<CThumbnailHostFrame, CWindowImplBase, CFrameWinTraits> {
public:
    DECLARE_WND_CLASS("VxpThumbnailHost")

    BEGIN_MSG_MAP(CThumbnailHostFrame)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    HWND CreateHost(int x, int y, int width, int height) {
        RECT frame{x, y, x + width, y + height};
        if (!Create(nullptr, frame, "Thumbnail host"))
            return nullptr;
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                            LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS;
        if (!list.Create(m_hWnd, client, style, 10002, "Contents"))
            return nullptr;
        list.SetBackgroundColor(g_applicationState.Options().explorerThumbnailBackgroundColor);
        ShowWindow(SW_SHOW);
        return m_hWnd;
    }

    // Shows the folder's images in the mode (1 filmstrip, 2 thumbnails, 3 list).
    bool ShowFolder(const char* folder, int mode) {
        list.SetViewMode(mode);
        list.UpdateIconSpacing();
        CFileItemList* items = g_applicationState.GetFileItemList(kListFolder, folder);
        if (!items)
            return false;
        list.SetItemSource(items);
        return true;
    }

    CImageListViewCtrl list;

private:
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
        if (list.m_hWnd)
            ::MoveWindow(list.m_hWnd, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
        handled = FALSE;
        ::PostQuitMessage(0);
        return 0;
    }
};

} // namespace thumbtest
