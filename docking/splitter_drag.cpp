// The splitter drag loop.
#include "docking/splitter_drag.h"

#include <algorithm>

#include "docking/docking_core.h"
#include "ui/capture_loop.h"

namespace docking {

RECT StripRect(int orientation, const RECT& rect, int position) {
    if (orientation == 1)
        return RECT{position, rect.top, position + kStripSize, rect.bottom};
    return RECT{rect.left, position, rect.right, position + kStripSize};
}

bool RunSplitterDragLoop(HWND window, int orientation, const RECT& rect, int index, int position,
                         int grab, int low, int high, bool outline,
                         const std::function<void(int, int)>& moveSplitter) {
    GhostPainter& painter = CurrentGhostPainter();
    int current = position;
    auto ghost = [&](int at) {
        DockRect r = ToDockRect(StripRect(orientation, rect, at));
        RectClientToScreen(window, r);
        painter.InvertSolid(r);
    };
    if (outline)
        ghost(current);
    const bool done = UiRunCaptureLoop(window, [&](const MSG& msg) {
        if (msg.message != WM_MOUSEMOVE)
            return UiLoopStep::Default;
        POINT pt = {(short)LOWORD(msg.lParam), (short)HIWORD(msg.lParam)};
        if (msg.hwnd != window)
            ::MapWindowPoints(msg.hwnd, window, &pt, 1);
        const int wanted = std::clamp(AxisOf(orientation, pt) - grab, low, std::max(low, high));
        if (wanted != current) {
            if (outline) {
                ghost(current);
                ghost(wanted);
            } else {
                moveSplitter(index, wanted);
            }
            current = wanted;
        }
        ::UpdateWindow(window);
        return UiLoopStep::Taken;
    });
    if (outline) {
        ghost(current);
        if (done && current != position)
            moveSplitter(index, current);
    }
    return done;
}

} // namespace docking
