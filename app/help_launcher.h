// Opens the Help menu's destinations: the help file beside the program in
// the HTML help viewer, and the product's web pages in the default browser.
// What cannot be opened is said in a message box, never passed over.
#pragma once

#include <windows.h>

namespace help_pages {

// HtmlHelpA of the help control.
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
// Finds HtmlHelpA; null when the control is missing.
using HtmlHelpLoader = HtmlHelpFunction (*)();

// Shows the help file's first topic, owned by the desktop. A missing file,
// a missing help control or a viewer that does not open gives a "Failed!"
// box; false then.
bool ShowHelpContents();

// Opens the page of Help command `command` with the shell's "open". False
// for a command without a page, and (after a "Failed!" box) when the shell
// cannot open it.
bool OpenWebPage(int command);

// Replaces the search for the help control (tests stand in a recorder or a
// missing control); null restores loading hhctrl.ocx.
void SetHtmlHelpLoader(HtmlHelpLoader loader);

} // namespace help_pages
