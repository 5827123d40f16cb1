#include "viewer/logic/selection_geometry.h"

#include <cmath>
#include <cstdlib>

namespace {
// Truncates toward zero like a plain conversion, but saturates instead of
// leaving the int range (which would be undefined).
int TruncToInt(double value) {
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0)
        return 2147483647;
    if (value <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(value);
}
} // namespace

void ApplyFixedAspect(int x1, int y1, int* x2, int* y2, int aspectWidth, int aspectHeight) {
    // The marquee dialog accepts 0 for either side; such a ratio fixes
    // nothing (and must not divide by zero).
    if (aspectWidth <= 0 || aspectHeight <= 0)
        return;
    // Cutting one side to trunc(ratio x other side) leaves the rectangle off
    // the ratio by up to a pixel (4:3 over 100 x 20 would give 26 x 20). Whole
    // multiples of the reduced ratio keep it exact; reducing first keeps the
    // steps as fine as the ratio allows (1600:1200 moves in steps of 4 x 3).
    int a = aspectWidth, b = aspectHeight;
    while (b != 0) {
        int t = a % b;
        a = b;
        b = t;
    }
    double unitWidth = aspectWidth / a;
    double unitHeight = aspectHeight / a;
    double dx = std::fabs(static_cast<double>(*x2) - x1);
    double dy = std::fabs(static_cast<double>(*y2) - y1);
    double k = std::floor(std::fmin(dx / unitWidth, dy / unitHeight));
    double width = unitWidth * k;
    double height = unitHeight * k;
    *x2 = TruncToInt(*x2 >= x1 ? x1 + width : x1 - width);
    *y2 = TruncToInt(*y2 >= y1 ? y1 + height : y1 - height);
}

CanvasRect NormalizeCorners(int x1, int y1, int x2, int y2) {
    CanvasRect r;
    r.left = x1 < x2 ? x1 : x2;
    r.right = x1 < x2 ? x2 : x1;
    r.top = y1 < y2 ? y1 : y2;
    r.bottom = y1 < y2 ? y2 : y1;
    return r;
}

void ClientToImagePoint(int x, int y, int scrollX, int scrollY, int fullHeight, int displayedHeight,
                        int* imageX, int* imageY) {
    double f = displayedHeight > 0 ? static_cast<double>(fullHeight) / displayedHeight : 1.0;
    *imageX = TruncToInt(f * (static_cast<double>(x) + scrollX));
    *imageY = TruncToInt(f * (static_cast<double>(y) + scrollY));
}

CanvasRect ImageRectToDisplay(const CanvasRect& rect, int displayedHeight, int fullHeight) {
    double f = fullHeight > 0 ? static_cast<double>(displayedHeight) / fullHeight : 1.0;
    CanvasRect r;
    r.left = TruncToInt(rect.left * f);
    r.top = TruncToInt(rect.top * f);
    r.right = TruncToInt(rect.right * f);
    r.bottom = TruncToInt(rect.bottom * f);
    return r;
}

int ComputeScaleStep(int frameWidth, int frameHeight, int displayedWidth, int displayedHeight) {
    if (displayedWidth == frameWidth && displayedHeight == frameHeight)
        return 0;
    if (displayedWidth >= frameWidth && displayedHeight >= frameHeight)
        return 1;
    if (displayedWidth <= 0)
        return frameWidth + 1; // nothing shown: widen by the whole frame
    return frameWidth / displayedWidth + 1;
}
