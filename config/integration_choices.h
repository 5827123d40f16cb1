// Making the desktop integration match what the user ticked, shared by the
// Options sheet's System and Image Formats pages and the configuration
// wizard.
#pragma once

#include <windows.h>

#include "config/config_host.h"

// The tray icon and its start-up shortcut: shown with the shortcut made
// when missing, or removed with the shortcut deleted when present. The
// TrayIcon option follows.
void ApplyTrayIconChoice(IConfigHost& host, bool wanted);

// One shortcut: created when wanted and missing, deleted when not wanted and
// present, otherwise left alone.
void ApplyShortcutChoice(bool wanted, BOOL (*exists)(), HRESULT (*create)(), void (*remove)());

// One image type: associated with the program when wanted (again, even when
// it already is), given back when not wanted and the program holds it.
void ApplyAssociationChoice(int type, bool wanted);
