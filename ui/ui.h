// The window template layer in one include.
#pragma once

#include "ui/window.h"
#include "ui/message_map.h"
#include "ui/window_impl.h"
#include "ui/dialog.h"
#include "ui/data_exchange.h"
#include "ui/message_loop.h"
#include "ui/app_module.h"
#include "ui/com_ptr.h"
#include "ui/frame_window.h"
#include "ui/command_bar.h"
#include "ui/update_ui.h"
#include "ui/wait_cursor.h"
