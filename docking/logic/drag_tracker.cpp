#include "docking/logic/drag_tracker.h"

namespace docking {

DragTracker::DragTracker(GhostPainter& painter, DragTargets& targets, WindowHandle pane, int width,
                         int height, int offsetX, int offsetY)
    : painter_(painter), targets_(targets), width_(width), height_(height), offsetX_(offsetX),
      offsetY_(offsetY) {
    request_.pane = pane;
}

void DragTracker::Draw() {
    painter_.Invert(request_.rect);
    shown_ = true;
}

void DragTracker::Erase() {
    if (shown_)
        painter_.Invert(request_.rect);
    shown_ = false;
}

void DragTracker::Begin(const DockRect& start) {
    Erase();
    request_.rect = start;
    Draw();
}

void DragTracker::Move(int x, int y) {
    Erase();
    int sx = x, sy = y;
    targets_.ClientToScreen(sx, sy);
    request_.host = nullptr;
    request_.code = kClampDragRect;
    request_.rect = DockRect{sx, sy, sx + width_, sy + height_};
    targets_.Clamp(request_);
    request_.code = kHitTest;
    const bool floating = targets_.ControlHeld() || !targets_.FindTarget(request_);
    if (floating) {
        // The floating ghost keeps the dragged size, unclamped; the window
        // does not move during the drag, so client offsets are screen offsets.
        request_.host = nullptr;
        const int left = x + offsetX_, top = y + offsetY_;
        request_.rect = DockRect{left, top, left + width_, top + height_};
    }
    Draw();
}

void DragTracker::End() {
    Erase();
}

} // namespace docking
