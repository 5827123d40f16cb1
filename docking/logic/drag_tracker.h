// The move step of a pane drag: where the ghost goes for a cursor point,
// docked at the place a target offers or floating under the cursor. The
// screen and the docking targets sit behind small interfaces, so the step
// is tested natively and the real ghost painter stays a thin XOR layer.
#pragma once

#include "docking/logic/docking_request.h"

namespace docking {

// Draws the hatched ghost frame. Drawing is an inversion: drawing the same
// rectangle twice removes it.
class GhostPainter {
public:
    virtual ~GhostPainter() = default;
    virtual void Invert(const DockRect& r) = 0;
    // The filled ghost of a splitter drag; inverting twice removes it too.
    virtual void InvertSolid(const DockRect& r) { Invert(r); }
};

// What the tracker asks of the windows around it.
class DragTargets {
public:
    virtual ~DragTargets() = default;
    // The dragged window's client point in screen coordinates.
    virtual void ClientToScreen(int& x, int& y) = 0;
    // ClampDragRect to the frame.
    virtual void Clamp(DockingRequest& request) = 0;
    // The docking-box search, then HitTest to the frame; true when one
    // accepted (it rewrote host and rect).
    virtual bool FindTarget(DockingRequest& request) = 0;
    virtual bool ControlHeld() = 0;
};

class DragTracker {
public:
    DragTracker(GhostPainter& painter, DragTargets& targets, WindowHandle pane, int width,
                int height, int offsetX, int offsetY);

    // Draws the first ghost at the given screen rectangle.
    void Begin(const DockRect& start);
    // One move step for a cursor point in the dragged window's client
    // coordinates.
    void Move(int x, int y);
    // Erases the ghost (on a drop and on a cancel alike).
    void End();

    const DockingRequest& Request() const { return request_; }
    bool GhostShown() const { return shown_; }

private:
    void Draw();
    void Erase();

    GhostPainter& painter_;
    DragTargets& targets_;
    DockingRequest request_;
    int width_, height_;
    int offsetX_, offsetY_;
    bool shown_ = false;
};

} // namespace docking
