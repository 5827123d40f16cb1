// The image cache and its decode threads: the free functions beside the
// CApplicationState methods (OpenImage, NeedsLargerDecode, ReleaseImage,
// OpenListImage, ForgetCachedImagePath, ForgetCachedImage).
//
// An image that OpenImage returns is decoded on a thread of its own; the
// reader's progress drives the windows that show it: the frame gets 1115
// (kMsgDecodeStarted) once the bitmap exists and 1116 (kMsgDecodeEnded) at
// the end, and each run of decoded rows goes to the canvas's QueueRows. The
// decode thread's handle stays open for the image's whole life (waits use
// it) and is closed when the image is destroyed.
//
// Lock order: the image-cache lock before an image's own lock; the
// viewer-list lock before a canvas lock.
#pragma once

#include <windows.h>

#include <cstdint>

class CImageObject;
class CImageView;
class CFileItemList;

// The decode thread's procedure; job is the record OpenImage made (image and
// reader), freed here. Exit code 0 when the reader succeeded, 1 otherwise.
unsigned __stdcall ImageDecodeThread(void* job);

// The progress callback installed in every threaded reader: event 2 sends
// 1115 and event 3 sends 1116 to each frame whose canvas shows the image;
// event 4 hands (count, first) to those canvases' QueueRows. The explorer's
// canvas first, then the viewers under the viewer-list lock, each under its
// canvas lock. The result is not used.
int32_t ImageDecodeProgress(CImageObject* image, int32_t event, int32_t first, int32_t count,
                            uintptr_t user);

// A new image, not cached, decoded on the calling thread to fit the size;
// null on failure.
CImageObject* LoadImageScaled(const char* path, int width, int height);

// A new image, not cached, holding only the file's full width and height;
// null for EMF, WMF, unrecognised types and failures.
CImageObject* ReadImageInfo(const char* path);

// The next item's index of the list (backward: the previous one), wrapping at
// both ends; -1 for a null list, an index not in the list, or fewer than two
// items.
int WrapListIndex(int index, CFileItemList* list, bool backward);

// Redraws rows of the window that shows view (the explorer's preview view,
// then each viewer's view), under its canvas lock: first -1 invalidates the
// whole canvas (background erased); otherwise rows first .. first+count-1 are
// drawn at once on the calling thread (count -1: every row decoded so far).
void RedrawImageViewRows(CImageView* view, int first, int count);

#ifdef VXP_TEST_HOOKS
// Test builds only. Called on the decode thread for every progress event of
// a cached image, before the windows are told; null removes it.
using ImageDecodeObserver = void (*)(CImageObject* image, int32_t event, int32_t first,
                                     int32_t count, uintptr_t context);
void SetImageDecodeObserver(ImageDecodeObserver observer, uintptr_t context);
// Called when an image that OpenImage made is destroyed, on the destroying
// thread, before its fields are freed; null removes it.
using CachedImageDestroyObserver = void (*)(CImageObject* image, uintptr_t context);
void SetCachedImageDestroyObserver(CachedImageDestroyObserver observer, uintptr_t context);
#endif
