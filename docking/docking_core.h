// Helpers every docking window shares: sending requests, the search for a
// docking target under the cursor, taking a pane into a host and giving it
// back, and the ghost painter that draws drag outlines on the screen.
#pragma once

#include <windows.h>

#include "resources/messages.h"
#include "docking/docking_statics.h"
#include "docking/logic/docking_request.h"
#include "docking/logic/drag_tracker.h"

namespace docking {

inline RECT ToRect(const DockRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}
inline DockRect ToDockRect(const RECT& r) {
    return DockRect{r.left, r.top, r.right, r.bottom};
}
// The request's rectangle between screen and client coordinates of hWnd.
void RectScreenToClient(HWND hWnd, DockRect& r);
void RectClientToScreen(HWND hWnd, DockRect& r);

inline LRESULT SendRequest(HWND to, DockingRequest& request) {
    return to != NULL ? ::SendMessageA(to, kMsgDockingRequest, 0, (LPARAM)&request) : 0;
}
// Through the process's registered message: only docking windows and boxes know it.
inline LRESULT SendBoxRequest(HWND to, DockingRequest& request) {
    return to != NULL ? ::SendMessageA(to, g_dockingBoxMessage, 0, (LPARAM)&request) : 0;
}
// Sends the frame an AutoHide request for one pane (count 0) or for the
// panes of a box (count >= 2, `list` in tab order, `pane` the shown one).
BOOL SendAutoHide(HWND frame, HWND pane, int32_t flags, int32_t barSize, bool showNow,
                  int32_t count = 0, WindowHandle* list = nullptr);

// Whether the window is a docking window or a tabbed docking box of this process.
bool IsDockingBox(HWND hWnd);

// The target search of a drag: the docking boxes from the window under the
// rectangle's top-left corner upwards, then the frame. True when one took
// the request (its host and rectangle are then the target's).
bool FindDockingTarget(HWND frame, DockingRequest& request);

// Takes a pane in as a child of `host`: hidden, child style (removing
// `removeStyles` too), re-parented, activated caption, then the notice
// (wParam `notice`, lParam host).
void TakePaneIn(HWND pane, HWND host, WPARAM notice, DWORD removeStyles = 0);
// Gives a pane back as a hidden top-level popup (`addStyles` added) with the
// floating notice (lParam `from`).
void GivePaneBack(HWND pane, HWND from, DWORD addStyles = 0);

// An 8x8 halftone pattern brush (rows 0x5555 and 0xAAAA), or NULL.
HBRUSH CreateHalftoneBrush();

// Draws ghosts on the whole screen with PATINVERT: the frame ghost of a
// pane drag (3-pixel bars) and the solid ghost of a splitter drag.
class ScreenGhostPainter : public GhostPainter {
public:
    void Invert(const DockRect& r) override;
    void InvertSolid(const DockRect& r) override;
};

// The painter the docking windows draw their ghosts with: the screen, or the
// one a test put in its place (NULL puts the screen back).
GhostPainter& CurrentGhostPainter();
void SetGhostPainter(GhostPainter* painter);

} // namespace docking
