// The program's side of the options pages and the wizard: "OptionsChanged"
// to the explorer and the viewers, the tray icon on the hidden window and
// the thumbnail database, all through g_applicationState.
#pragma once

#include "config/config_host.h"

IConfigHost& ProgramConfigHost();
