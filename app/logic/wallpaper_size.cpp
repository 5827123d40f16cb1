#include "app/logic/wallpaper_size.h"

namespace wallpaper {

namespace {

// The image shrunk until it fits the screen (cover false) or just covers it.
Copy Shrunk(int w, int h, int screenW, int screenH, bool cover) {
    const double rx = static_cast<double>(screenW) / w;
    const double ry = static_cast<double>(screenH) / h;
    Copy copy;
    const bool byWidth = cover ? !(rx < ry) : rx <= ry;
    if (byWidth) {
        copy.width = screenW;
        copy.height = static_cast<int>(h * rx);
    } else {
        copy.width = static_cast<int>(w * ry);
        copy.height = screenH;
    }
    return copy;
}

} // namespace

Copy CopyFor(int style, int w, int h, int screenW, int screenH) {
    Copy copy;
    copy.style = style;
    if (w <= 0 || h <= 0 || screenW <= 0 || screenH <= 0 || style == kTile)
        return copy;
    const bool wider = w > screenW, higher = h > screenH;
    if (!wider && !higher)
        return copy;
    if (style == kCenter) {
        copy = Shrunk(w, h, screenW, screenH, wider && higher);
        copy.style = kCenter;
    } else if (style == kStretch) {
        copy = Shrunk(w, h, screenW, screenH, false);
        copy.style = kCenter;
    }
    return copy;
}

} // namespace wallpaper
