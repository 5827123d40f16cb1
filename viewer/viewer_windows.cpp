#include "viewer/viewer_windows.h"

#include <vector>

#include "app/application_state.h"
#include "viewer/image_frame.h"
#include "viewer/image_view.h"
#include "viewer/image_window.h"
#include "resources/messages.h"

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

void RedrawCanvasRows(CImageWindow& canvas, int first, int count) {
    canvas.Lock();
    if (first == -1) {
        if (canvas.m_hWnd)
            InvalidateRect(canvas.m_hWnd, nullptr, TRUE);
    } else if (count != 0) {
        canvas.RenderRowsQuiet(first, count);
    }
    canvas.Unlock();
}

void NotifyViewerCanvases(CImageObject* image, int32_t event, int32_t first, int32_t count) {
    g_applicationState.ForEachViewer([&](CImageFrame* viewer) {
        TellCanvas(viewer->m_hWnd, viewer->GetView().GetCanvas(), image, event, first, count);
    });
}

bool RedrawViewerViewRows(CImageView* view, int first, int count) {
    return g_applicationState.WithViewerList([&](std::vector<CImageFrame*>& viewers) {
        for (CImageFrame* viewer : viewers) {
            if (viewer && &viewer->GetView() == view) {
                RedrawCanvasRows(view->GetCanvas(), first, count);
                return true;
            }
        }
        return false;
    });
}
