// Saving images for the frames and tools: the writer chosen by the target's
// type with the user's JPEG and PNG settings, the overwrite question, the
// Save As flow with its file dialog, and the announcement of the written
// file to the windows.
//
// Every write goes through the writers' temporary file beside the target,
// which replaces the target only when it is complete: a failed save leaves
// the original file exactly as it was.
#pragma once

#include <windows.h>

class CImageObject;

namespace image_saving {

// Writes `image` to `target`. With `ask`, an existing target is replaced only
// after the user agreed. With `rebind` the image becomes the file's own again
// (modified cleared, file time and size taken from the file) unless the
// target type cannot hold its pixels exactly (JPEG from 1 bpp or a colour
// palette, WBMP from more than 1 bpp). True when the file was written.
bool WriteImageFile(const char* target, CImageObject* image, bool rebind, bool ask, HWND owner);

// The question WriteImageFile asks before it replaces an existing target:
// true when the user agreed.
bool AskReplaceExisting(const char* target, HWND owner);

// Saves the image under its own path; a type without a writer says so and
// runs Save As instead. True only when a file was written.
bool SaveImage(CImageObject* image, bool rebind, bool ask, HWND owner);

// Save As of the document: the file dialog, the options of the chosen type,
// then a write from the full-size pixels. `chosen` (MAX_PATH, may be null)
// receives the target on success.
bool SaveImageAs(CImageObject* image, char* chosen);

// Save As of an image that is not the file's own (a page, a selection),
// proposed beside `sourcePath`.
bool SaveImageCopyAs(const char* sourcePath, CImageObject* image, char* chosen);

// The Save As file dialog over the active window, proposing `sourcePath`'s
// name and folder with the filter of its type preselected. True on OK with
// the chosen path (MAX_PATH) in `chosen`.
bool AskSaveFileName(const char* sourcePath, char* chosen);
// The 1-based filter of the dialog preselected for a source type; 0 when the
// type has none (the dialog's default is kept).
int SaveFilterIndexForType(int type);

// The Save As file dialog of the windows above the core, which keeps the
// name's extension in step with the chosen file type. Until one is
// registered the plain common dialog asks. `filters` is a common-dialog
// filter list, `filterIndex` 1-based (0: the dialog's default); the asker
// puts the chosen path (MAX_PATH) into `chosen` and returns true on OK.
struct SaveFileRequest {
    HWND owner = nullptr;
    const char* filters = nullptr;
    int filterIndex = 0;
    const char* fileName = nullptr;
    const char* folder = nullptr; // null: the dialog's own choice
    const char* defaultExtension = nullptr;
};
using SaveFileAsker = bool (*)(const SaveFileRequest& request, char* chosen);
void SetSaveFileAsker(SaveFileAsker asker);

// The option dialogs of the types that have them (PNG and JPEG), run before
// a Save As writes. The windows above the core register them; until they do,
// the stored options are used as they are.
using SaveOptionsAsker = bool (*)(HWND owner, int type);
void SetSaveOptionsAsker(SaveOptionsAsker asker);
// Whether option dialogs are registered, so that AskSaveOptions shows one.
bool SaveOptionsDialogsRegistered();
bool HasSaveOptions(int type);
bool AskSaveOptions(HWND owner, int type);

} // namespace image_saving
