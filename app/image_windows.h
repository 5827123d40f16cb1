// The decode progress walk over the windows that show an image (see
// image_windows.cpp).
#pragma once

#include <cstdint>

class CImageObject;

// Event 2 sends 1115 and event 3 sends 1116 to every frame whose canvas shows
// the image; event 4 hands (count, first) to those canvases' QueueRows. The
// explorer's canvas first, then the viewers under the viewer-list lock, each
// under its canvas lock. Other events do nothing.
void NotifyImageWindows(CImageObject* image, int32_t event, int32_t first, int32_t count);
