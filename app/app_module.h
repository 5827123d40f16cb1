// The program's module object. (The thread message that hands a finished
// frame back to the user-interface thread's loop is in resources/messages.h.)
#pragma once

#include <windows.h>

#include "resources/messages.h"
#include "ui/ui.h"

// The program's module object: the instance for classes and resources, and
// the message loop of each user-interface thread.
extern CAppModule g_module;
