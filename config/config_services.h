// What start-up and the frames call of the options and system-integration
// subsystem: the first-run wizard, the Options sheet, the shortcuts and the
// file associations.
#pragma once

#include <windows.h>

#include "config/config_wizard.h"
#include "config/file_associations.h"
#include "config/options_sheet.h"
#include "config/shortcuts.h"
