// What the explorer's two superclasses of the system list view share: the
// registration of a copy of the list view's class under a name of their own,
// and the thumbnail sides they read from the options.
#pragma once

#include <windows.h>

#include <cstdint>

// Registers, once, the list view's own procedure and extra bytes under
// className in the program's module; the object is bound to each window right
// after creation. False when the list view's class cannot be had.
bool RegisterListViewSuperclass(const char* className);

// A thumbnail side option (ExplorerThumbnailWidth or ...Height): 50 to 200
// as stored, anything else the default of 100.
int ThumbnailSide(uint32_t option);
