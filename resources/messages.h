// The program's private window and thread messages and the notification
// codes its windows send one another. They cross threads and layers (the
// decode threads of the core talk to the frames, the canvas to the view, the
// folder thread to its viewer), so each is defined here once and every
// sender and receiver uses the name.
#pragma once

#include <windows.h>

// Posted to the user-interface thread (no window) by a frame after its last
// message, with the frame object in wParam; the thread's message filter
// deletes the object.
constexpr UINT kFreeFrameMessage = WM_USER + 2; // 1026

// Item-list change record in wParam (lParam 0); see app/file_item_list.h.
constexpr UINT kMsgItemListChanged = WM_USER + 7; // 1031

// Sent by a worker thread to its progress dialog when its work has ended.
constexpr UINT kMsgWorkerEnded = WM_USER + 8; // 1032
// Sent by a worker thread to its progress dialog to show a question or a
// message on the user-interface thread; lParam is the dialog's own record.
constexpr UINT kMsgWorkerAsk = WM_USER + 9; // 1033

// Image view requests.
constexpr UINT kMsgViewDetachImage = WM_USER + 11;
constexpr UINT kMsgViewZoomCommand = WM_USER + 12;
constexpr UINT kMsgViewLayout = WM_USER + 14;
constexpr UINT kMsgViewLastRowDrawn = WM_USER + 15; // 1039, posted by the canvas
constexpr UINT kMsgViewSetImage = WM_USER + 16;

// Viewer frame: posted by its folder thread once the list is known.
constexpr UINT kMsgFrameUpdateTitle = WM_USER + 21; // 1045
constexpr UINT kMsgFrameUpdateUI = WM_USER + 22;    // 1046

// To the explorer frame: refresh the information and metadata panes, and
// show the selection count (posted once per burst of selection changes).
constexpr UINT kMsgRefreshPanes = WM_USER + 33;   // 1057
constexpr UINT kMsgSelectionCount = WM_USER + 34; // 1058

// Folder tree private messages (wParam, lParam): ANSI paths of at most 260
// characters; a folder and a name are joined, so a name may hold several
// levels. Sent by the tree's directory watcher, the tree itself and the
// explorer.
constexpr UINT FTM_ITEMADDED = WM_USER + 41;     // 1065: folder, name; the new item or 0
constexpr UINT FTM_ITEMREMOVED = WM_USER + 42;   // 1066: folder, name
constexpr UINT FTM_ITEMRENAMED = WM_USER + 43;   // 1067: old full path, new full path
constexpr UINT FTM_ITEMMOVED = WM_USER + 44;     // 1068: old full path, new full path
constexpr UINT FTM_REFRESHDRIVES = WM_USER + 45; // 1069: refresh-always flag, 0
constexpr UINT FTM_DRIVEADDED = WM_USER + 46;    // 1070: drive number (posted)
constexpr UINT FTM_DRIVEREMOVED = WM_USER + 47;  // 1071: drive number (posted)
constexpr UINT FTM_DRIVECHANGED = WM_USER + 48;  // 1072: drive number or 0 (posted)

// Folder tree notices: WM_NOTIFY codes (wParam 0, idFrom 0) sent by a tree
// to its notification window with a FolderTreeNotice record. The strings
// are the tree's own, valid only during the call.
constexpr UINT FTN_DRIVEADDED = 1074;     // fourth: drive number (0 = A:)
constexpr UINT FTN_DRIVEREMOVED = 1075;   // fourth: drive number
constexpr UINT FTN_DRIVECHANGED = 1076;   // fourth: drive number, or 0
constexpr UINT FTN_FOLDERCREATED = 1077;  // parent folder, new name
constexpr UINT FTN_FOLDERDELETED = 1078;  // parent folder, name
constexpr UINT FTN_FOLDERRENAMED = 1079;  // parent folder, old name, new name
constexpr UINT FTN_FOLDERMOVED = 1080;    // second: old full path, third: new full path
constexpr UINT FTN_BEGINOPERATION = 1081; // path, or 0 for a drop or paste
constexpr UINT FTN_ENDOPERATION = 1082;   // path, or 0

// Posted by the thumbnail list to itself after a scroll: the worker goes on
// from the first visible item, so what is on screen is made first.
constexpr UINT kMsgListMakeVisibleFirst = WM_USER + 61; // 1085

// Decode progress, sent with SendNotifyMessageA to the frames that show the
// image (never waits for the frame's thread).
constexpr UINT kMsgDecodeStarted = WM_USER + 91; // 1115
constexpr UINT kMsgDecodeEnded = WM_USER + 92;   // 1116

// Posted by a viewer to itself: tell the user about a file that cannot be
// read once the message loop runs (start-up must not sit in a message box
// while it holds the single-instance mutex).
constexpr UINT kMsgReportUnreadable = WM_APP + 1;

// WM_NOTIFY codes from the image view to its parent (hwndFrom is NULL; match
// idFrom and code).
constexpr UINT kViewNotifyZoomChanged = 1;
constexpr UINT kViewNotifyFullyShown = 2;

// Docking windows: a DockingRequest (docking/logic/docking_request.h) in
// lParam, wParam 0, always sent; the answer is non-zero for done or yes.
constexpr UINT kMsgDockingRequest = WM_USER + 1; // 1025

// A docking host's notice to a pane that it took it in or gave it back:
// wParam low word 1 = docked in the window lParam (high word 1: a vertical
// caption), wParam 0 = floating again, lParam the host it left.
constexpr UINT kMsgDockingNotice = WM_USER; // 1024

// The Find dialog: posted by its search thread to the dialog when the search
// has ended (wParam: the number of hits), and posted by the dialog to its
// owner once its window is gone (wParam: the dialog object), after which the
// owner frees the object.
constexpr UINT kMsgFindClosed = WM_USER + 51; // 1075
constexpr UINT kMsgFindEnded = WM_USER + 52;  // 1076

// Posted by the folder pane tree to itself when the pointer leaves the
// previewed folder: hide the folder preview and watch for the next hover.
constexpr UINT kMsgTreeHidePreview = WM_USER + 93; // 1117

// The folder tree's notice (a WM_NOTIFY code) that a volume arrived and its
// drive item appeared under My Computer; the record's fourth field holds the
// drive number (0 = A:).
constexpr UINT kFtnDriveAdded = 1074;

// Posted by the running copy to its hidden window just before its message
// loop starts: the rest of start-up (OLE, the databases, the first frame) runs
// from the loop, so that the hidden window answers from the first moment.
constexpr UINT kMsgFinishStartUp = WM_USER + 110; // 1134
