// Where the application core reaches the windows that show images and lists:
// the decode progress walk over the canvases (the explorer's, then the
// viewers'), the redraw of one view's rows, and the delivery of item-list
// changes to the frames in the order each change asks for.
#include <windows.h>

#include <vector>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/image_cache.h"
#include "explorer/main_frame.h"
#include "program/program_frames.h"
#include "viewer/image_frame.h"
#include "viewer/image_view.h"
#include "viewer/image_window.h"
#include "resources/messages.h"
#include "viewer/viewer_windows.h"

namespace {

HWND ExplorerWindow() {
    CMainFrame* explorer = g_applicationState.Explorer();
    return explorer ? explorer->m_hWnd : nullptr;
}

} // namespace

void CProgramFrames::NotifyImageWindows(CImageObject* image, int32_t event, int32_t first,
                                        int32_t count) {
    if (event != 2 && event != 3 && event != 4)
        return;
    if (CMainFrame* explorer = g_applicationState.Explorer()) {
        if (CImageWindow* canvas = explorer->GetImageWindow())
            TellCanvas(explorer->m_hWnd, *canvas, image, event, first, count);
    }
    NotifyViewerCanvases(image, event, first, count);
}

void CProgramFrames::RedrawImageViewRows(CImageView* view, int first, int count) {
    if (!view)
        return;
    if (CMainFrame* explorer = g_applicationState.Explorer()) {
        if (explorer->GetImageView() == view) {
            RedrawCanvasRows(view->GetCanvas(), first, count);
            return;
        }
    }
    RedrawViewerViewRows(view, first, count);
}

void CProgramFrames::SendItemListChange(CFileItemList* list, int code, const char* item,
                                        const char* explorerItem) {
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
