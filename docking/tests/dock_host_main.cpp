// The dock host program: a docking frame with panes docked on two sides, a
// tabbed box, a floating pane and a pinned one, to look at and to picture.
#include <windows.h>

#include <cstring>

#include "docking/tests/dock_host.h"

using namespace docking;
using namespace docktest;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    CDockHostFrame frame;
    if (frame.CreateHost(60, 40, 880, 620) == NULL)
        return 1;
    CTabDockingWindow& folders = frame.AddPane("Folders");
    folders.SetPlacement(DockedAt(kSideLeft, 0, 0.0f, 210, 300));
    CTabDockingWindow& search = frame.AddPane("Search");
    search.SetPlacement(DockedAt(kSideLeft, 0, 0.6f, 210, 200));
    CTabDockingWindow& properties = frame.AddPane("Properties");
    properties.SetPlacement(DockedAt(kSideBottom, 0, 0.0f, 150, 400));
    CTabDockingWindow& metadata = frame.AddPane("Metadata");
    DockingRequest drop;
    drop.pane = metadata;
    drop.host = properties;
    drop.code = kDock;
    drop.rect = DockRect{-1, -1, -1, -1};
    SendRequest(properties, drop);
    CTabDockingWindow& preview = frame.AddPane("Preview");
    DockingPlacement pinned = DockedAt(kSideRight | kPinnedAway | kAloneInBar, 0, 0.0f, 220, 1);
    preview.SetPlacement(pinned);
    CTabDockingWindow& contents = frame.AddPane("Contents");
    DockingPlacement floating;
    floating.visible = TRUE;
    floating.floating = DockRect{560, 300, 780, 520};
    floating.request.placement.flags = kFloating;
    floating.request.placement.floating = floating.floating;
    contents.SetPlacement(floating);
    frame.UpdateLayout();
    frame.RedrawFrame();
    if (commandLine != nullptr && std::strstr(commandLine, "/flyout") != nullptr) {
        // As if the mouse rested on the pinned pane's entry.
        ::SetActiveWindow(frame);
        const RECT& bar = frame.AutoHideManager().Bar(kSideRight).rect;
        const LPARAM at = MAKELPARAM((bar.left + bar.right) / 2, bar.top + 10);
        frame.SendMessage(WM_MOUSEMOVE, 0, at);
        frame.SendMessage(WM_MOUSEHOVER, 0, at);
    }

    MSG msg;
    while (::GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
            break;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
        if (!frame.IsWindow())
            break;
    }
    return 0;
}
