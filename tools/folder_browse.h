// The tools' dialogs whose "Browse..." chooses where files go ask the
// program's own Browse for Folder through the application (the explorer that
// holds it is a layer the tools may not include).
#pragma once

#include "app/folder_browser.h"
