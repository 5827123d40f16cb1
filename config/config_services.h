// What start-up and the frames call of the options and system-integration
// subsystem: the first-run wizard, the shortcut deletions and the restore of
// the file associations.
#pragma once

#include <windows.h>

// The first-run configuration wizard. Until its pages exist it shows nothing
// and ends as cancelled, so the caller keeps ShowWelcome for the next start.
class CConfigWizard {
public:
    INT_PTR DoModal(HWND parent = GetActiveWindow());
};

// Each deletes its shortcut when the folder can be found; true when the file
// is gone afterwards.
bool DeleteDesktopShortcut();     // "Velmorantix XP.lnk" on the desktop
bool DeleteStartupShortcut();     // "Velmorantix XP.lnk" in the start-up folder
bool DeleteStartMenuShortcut();   // "Velmorantix XP.lnk" in the start menu
bool DeleteQuickLaunchShortcut(); // "Launch Velmorantix XP.lnk" in quick launch

// Puts the image-type associations 1 to 15 back as they were before the
// program took them. Nothing is taken yet, so there is nothing to restore.
void RestoreAllFileAssociations();
