// What start-up and the frames call of the options and system-integration
// subsystem: the first-run wizard, the shortcuts and the file associations.
#pragma once

#include <windows.h>

#include "config/file_associations.h"
#include "config/shortcuts.h"

// The first-run configuration wizard. Until its pages exist it shows nothing
// and ends as cancelled, so the caller keeps ShowWelcome for the next start.
class CConfigWizard {
public:
    INT_PTR DoModal(HWND parent = GetActiveWindow());
};
