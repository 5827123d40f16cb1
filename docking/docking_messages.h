// The messages the docking windows exchange.
#pragma once

#include <windows.h>

// A DockingRequest (docking/logic/docking_request.h) in lParam, wParam 0,
// always sent. The answer is non-zero for done or yes.
constexpr UINT kMsgDockingRequest = WM_USER + 1; // 1025

// A host's notice to a pane that it took it in or gave it back: wParam low
// word 1 = docked in the window lParam (high word 1: a vertical caption for
// a bar's panes, the top and bottom auto-hide bars), wParam 0 = floating
// again, lParam the host it left.
constexpr UINT kMsgDockingNotice = WM_USER; // 1024

// The tab strip's notice that a tab was dragged off it (a bare NMHDR).
constexpr UINT CTN_DRAGOUT = (UINT)-581;
