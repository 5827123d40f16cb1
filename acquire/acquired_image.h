// Writing an image that a device delivered as a packed device-independent
// bitmap: the next free name of the output settings, in the output format.
#pragma once

#include <windows.h>

#include <string>

struct CAppOptions;

// Reads the bitmap in `dib` and writes it to the output folder as prefix +
// number (padded to the output padding, counting from the output start
// number) + the output format's extension. The path written, or empty when
// the bitmap cannot be read or the file cannot be written (the writer
// reports that over `owner`).
std::string SaveAcquiredBitmap(HGLOBAL dib, const CAppOptions& options, HWND owner);
