// What the image view's source files share among themselves: the
// process-wide screen bitmap and cursors, the platform's zoom limit, and the
// message pump that the view's nested mouse and keyboard loops use.
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace image_view_detail {

// Created by the first view and destroyed by the last (see CImageView's
// constructor and destructor).
void AddViewInstance();
void RemoveViewInstance();

// The shared screen-sized bitmap for the immediate stretched drawing, guarded
// by its own lock (taken inside an image's lock).
HBITMAP ScreenBitmap();
int ScreenWidth();
int ScreenHeight();
plat::CriticalSection& ScreenBitmapLock();

// The open hand (over a picture that scrolls) and the closed hand (while
// dragging); the system's arrow when the resources are missing.
HCURSOR OpenHandCursor();
HCURSOR ClosedHandCursor();

// The largest zoom the platform's GDI stretches to.
double ZoomLimit();

// One turn of a nested loop's message pump. Removes the next message, if any,
// into `msg`. A WM_QUIT is posted again (so the application's own loop still
// sees it) and reported as kQuit: the loop must end.
enum class PumpResult { kNone, kMessage, kQuit };
PumpResult PeekLoopMessage(MSG& msg);
// Waits for the next message (GetMessage), with the same WM_QUIT rule.
PumpResult WaitLoopMessage(MSG& msg);

} // namespace image_view_detail
