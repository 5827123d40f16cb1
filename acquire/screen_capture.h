// Copies what a window (or the whole screen) shows into a new 24-bit image.
// The image is one pixel smaller than the source in each direction: a window
// of 640 x 480 gives 639 x 479.
#pragma once

#include <windows.h>

class CImageObject;

// The captured size for a source window, or for the screen when it is NULL.
SIZE CaptureSize(HWND source);

// Fills `image` (empty, or destroyed first) from the source's window DC. False
// when the bitmap cannot be made; the DC is released in every case.
bool CaptureToImage(HWND source, CImageObject* image);
