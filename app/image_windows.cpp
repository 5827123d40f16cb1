// Where the application object reaches the windows that show images and
// lists: the decode progress walk over the canvases, the redraw of one
// view's rows, and the delivery of item-list changes to the frames. Kept in
// one place because it is the only code here that knows the viewer classes.
#include <windows.h>

#include <vector>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/image_cache.h"
#include "app/image_windows.h"
#include "explorer/main_frame.h"
#include "viewer/image_frame.h"
#include "viewer/image_view.h"
#include "viewer/image_window.h"
#include "viewer/viewer_messages.h"

namespace {

// One progress event for one canvas: rows under its row lock only (see
// QueueRowsOf), the start and the end under the canvas lock.
void TellCanvas(HWND frame, CImageWindow& canvas, CImageObject* image, int32_t event, int32_t first,
                int32_t count) {
    if (event == 4) {
        canvas.QueueRowsOf(image, count, first);
        return;
    }
    canvas.Lock();
    if (canvas.GetImage() == image) {
        switch (event) {
        case 2:
            SendNotifyMessageA(frame, kMsgDecodeStarted, 0, 0);
            break;
        case 3:
            SendNotifyMessageA(frame, kMsgDecodeEnded, 0, 0);
            break;
        default:
            break;
        }
    }
    canvas.Unlock();
}

HWND ExplorerWindow() {
    CMainFrame* explorer = g_applicationState.explorer;
    return explorer ? explorer->m_hWnd : nullptr;
}

} // namespace

void NotifyImageWindows(CImageObject* image, int32_t event, int32_t first, int32_t count) {
    if (event != 2 && event != 3 && event != 4)
        return;
    if (CMainFrame* explorer = g_applicationState.explorer) {
        if (CImageWindow* canvas = explorer->GetImageWindow())
            TellCanvas(explorer->m_hWnd, *canvas, image, event, first, count);
    }
    plat::ScopedLock guard(g_applicationState.viewerListLock);
    for (CImageFrame* viewer : g_applicationState.viewers)
        if (viewer)
            TellCanvas(viewer->m_hWnd, viewer->GetView().GetCanvas(), image, event, first, count);
}

void RedrawImageViewRows(CImageView* view, int first, int count) {
    if (!view)
        return;
    auto redraw = [&](CImageWindow& canvas) {
        canvas.Lock();
        if (first == -1) {
            if (canvas.m_hWnd)
                InvalidateRect(canvas.m_hWnd, nullptr, TRUE);
        } else if (count != 0) {
            canvas.RenderRowsQuiet(first, count);
        }
        canvas.Unlock();
    };
    if (CMainFrame* explorer = g_applicationState.explorer) {
        if (explorer->GetImageView() == view) {
            redraw(view->GetCanvas());
            return;
        }
    }
    plat::ScopedLock guard(g_applicationState.viewerListLock);
    for (CImageFrame* viewer : g_applicationState.viewers) {
        if (viewer && &viewer->GetView() == view) {
            redraw(view->GetCanvas());
            return;
        }
    }
}

void SendItemListChange(CFileItemList* list, int code, const char* item, const char* explorerItem) {
    ItemListChange forViewers{list, item, code};
    ItemListChange forExplorer{list, explorerItem ? explorerItem : item, code};
    const HWND explorer = ExplorerWindow();
    auto toExplorer = [&] {
        if (explorer)
            SendMessageA(explorer, kMsgItemListChanged, reinterpret_cast<WPARAM>(&forExplorer), 0);
    };
    if (code == kListChangeBatchBegin || code == kListChangeBatchEnd) {
        toExplorer();
        return;
    }
    const std::vector<HWND> viewers = g_applicationState.ViewerWindows();
    auto toViewers = [&](bool lastFirst) {
        const WPARAM wParam = reinterpret_cast<WPARAM>(&forViewers);
        if (lastFirst) {
            for (auto it = viewers.rbegin(); it != viewers.rend(); ++it)
                SendMessageA(*it, kMsgItemListChanged, wParam, 0);
        } else {
            for (HWND window : viewers)
                SendMessageA(window, kMsgItemListChanged, wParam, 0);
        }
    };
    switch (code) {
    case kListChangeAdded:
    case kListChangeFileChanged:
        toViewers(false);
        toExplorer();
        break;
    case kListChangeRemoved:
        toViewers(true);
        toExplorer();
        break;
    default:
        toExplorer();
        toViewers(false);
        break;
    }
}
