// Making the program the opener of the image types, and giving each
// extension back to the program that opened it before.
#pragma once

#include <windows.h>

constexpr char kAssociationProgIdPrefix[] = "Velmorantix.VelmorantixXP";
constexpr char kAssociationUndoKey[] = "VelmorantixXPUndo";
constexpr char kFileExtsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

// Associates every extension of an image type (1..15) with the program: its
// own ProgID, icon and open command, remembering the previous opener. The
// result is that of the type's own extension; FALSE for other types.
BOOL RegisterFileAssociation(int type);

// Gives the type's extensions back to what they named before. An extension
// another program has taken since is left alone. FALSE for type 0.
BOOL RestoreFileAssociation(int type);

// Restores types 1 to 15; TRUE.
BOOL RestoreAllFileAssociations();

// Whether the type's own extension names the program's ProgID.
BOOL IsFileAssociated(int type);

// Whether HKCR\<extension> names the program's ProgID for it and that ProgID
// exists. ProgIDs are registry key names, so their case does not count.
BOOL IsExtensionAssociated(const char* extension);
