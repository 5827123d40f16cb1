// What start-up calls of the image tools: printing a list of files and
// e-mailing pictures. Until the tools exist both end on their cancel path.
#pragma once

#include <windows.h>

class CStringList;
class CApplicationState;

// Prints the listed files (full paths); false when nothing was printed.
bool PrintFiles(HWND frame, CApplicationState* app, CStringList* files, bool modal);

// Thread procedure for _beginthreadex: takes over the heap-allocated list of
// full paths and frees it when it ends.
unsigned __stdcall EmailPicturesThread(void* files);
