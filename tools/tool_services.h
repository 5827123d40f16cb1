// What start-up calls of the image tools: printing a list of files and
// e-mailing pictures.
#pragma once

#include <windows.h>

class CStringList;
class CApplicationState;

// Prints the listed files (full paths) through the Print dialog, after making
// sure a printer exists (the Add Printer wizard is waited for when modal);
// false when nothing was printed.
bool PrintFiles(HWND frame, CApplicationState* app, CStringList* files, bool modal);

// Thread procedure for _beginthreadex: takes over the heap-allocated list of
// full paths, e-mails them (tools/email_pictures.h) and frees the list.
unsigned __stdcall EmailPicturesThread(void* files);
