// The switches that decide what the shell extension adds to Explorer's
// context menu. The program writes them; the extension reads the same key
// with its own copy of the loader.
#pragma once

#include <windows.h>

constexpr char kContextMenuOptionsKey[] = "Software\\Velmorantix\\Velmorantix XP\\ContextMenu";

struct CContextMenuOptions {
    // Each 0 (off) or nonzero (on), in the order they are saved.
    DWORD displayBrowse = 1;                    // "DisplayBrowse"
    DWORD imageContextMenuItemsInSubfolder = 1; // "ImageContextMenuItemsInSubfolder"
    DWORD displayView = 1;                      // "DisplayView"
    DWORD displayPrint = 1;                     // "DisplayPrint"
    DWORD displayEmail = 1;                     // "DisplayEmail"

    // Reads the key, creating it when missing. A value counts only as a
    // 4-byte REG_DWORD; any other leaves the switch on. When the key can be
    // neither opened nor made, the record keeps what it held.
    void Load();
    // Writes all five, defaults included; nothing when the key cannot be had.
    void Save() const;
};

// Position of an image type's (1..15) icon in the shared small image list;
// -1 for any other value.
int GetImageTypeIconIndex(int type);

// Splits a path into its folder (PathRemoveFileSpec) and its last component
// (PathFindFileName); both buffers hold MAX_PATH characters.
void SplitPath(const char* path, char* folder, char* name);
