// The program's module object and the thread message that hands a finished
// frame back to the user-interface thread's loop.
#pragma once

#include <windows.h>

#include "ui/ui.h"

// WM_USER + 2, posted to the thread (no window) by a viewer frame after its
// window was destroyed, with the frame object in wParam. The loop's filter
// frees the frame.
constexpr UINT kFreeFrameMessage = WM_USER + 2;

// The program's module object: the instance for classes and resources, and
// the message loop of each user-interface thread.
extern CAppModule g_module;
