// Private messages and notification codes shared by the application object,
// the image canvas, the image view and the viewer frame. The values are part
// of how the windows talk to each other across threads, so they live in one
// place.
#pragma once

#include <windows.h>

// Item-list change record in wParam (lParam 0); see app/file_item_list.h.
constexpr UINT kMsgItemListChanged = WM_USER + 7; // 1031

// Image view requests.
constexpr UINT kMsgViewDetachImage = WM_USER + 11;
constexpr UINT kMsgViewZoomCommand = WM_USER + 12;
constexpr UINT kMsgViewLayout = WM_USER + 14;
constexpr UINT kMsgViewLastRowDrawn = WM_USER + 15; // 1039, posted by the canvas
constexpr UINT kMsgViewSetImage = WM_USER + 16;

// Viewer frame: posted by its folder thread once the list is known.
constexpr UINT kMsgFrameUpdateTitle = WM_USER + 21; // 1045
constexpr UINT kMsgFrameUpdateUI = WM_USER + 22;    // 1046

// Decode progress, sent with SendNotifyMessageA to the frames that show the
// image (never waits for the frame's thread).
constexpr UINT kMsgDecodeStarted = WM_USER + 91; // 1115
constexpr UINT kMsgDecodeEnded = WM_USER + 92;   // 1116

// WM_NOTIFY codes from the image view to its parent (hwndFrom is NULL; match
// idFrom and code).
constexpr UINT kViewNotifyZoomChanged = 1;
constexpr UINT kViewNotifyFullyShown = 2;
