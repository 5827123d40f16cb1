#include "viewer/logic/zoom_steps.h"

#include <algorithm>
#include <cmath>

namespace viewer {

namespace {

// Zoom values above this many percent are not stepped (only limited).
constexpr long long kMaxSteppedPercent = 10000;

double SnapTo(double zoom, double grid) {
    return std::round(zoom / grid) * grid;
}

} // namespace

long long ZoomPercentOf(double zoom) {
    if (!(zoom > 0.0))
        return 0;
    if (zoom > 1e12)
        return static_cast<long long>(1e14);
    return std::llround(zoom * 100.0);
}

double SnapZoom(double zoom) {
    if (!(zoom > 0.0))
        return zoom;
    if (zoom > 10.0)
        return SnapTo(zoom, 0.5);
    if (zoom > 1.0)
        return SnapTo(zoom, 0.25);
    // Whole percentages: a division of an exact integer by 100 is the nearest
    // double to that percentage, the same value a typed-in percentage gives.
    return static_cast<double>(std::llround(zoom * 100.0)) / 100.0;
}

double ZoomStepIn(double zoom, double limit) {
    long long p = ZoomPercentOf(zoom);
    double z = zoom;
    if (zoom < kZoomFloor) {
        // A fit below 1 % (a huge panorama) must still be able to grow.
        z = kZoomFloor;
    } else if (p < 10) {
        z = SnapZoom(zoom + 0.01);
    } else if (p < 100) {
        z = std::min(SnapZoom(zoom + 0.1), 1.0);
    } else if (p < 1000) {
        z = SnapZoom(zoom + 0.25);
    } else if (p <= kMaxSteppedPercent) {
        z = SnapZoom(zoom + 0.5);
    }
    if (z >= limit)
        z = limit;
    return z;
}

double ZoomStepOut(double zoom) {
    long long p = ZoomPercentOf(zoom);
    double z = zoom;
    if (p <= 10) {
        z = SnapZoom(zoom - 0.01);
    } else if (p <= 100) {
        z = std::min(SnapZoom(zoom - 0.1), 1.0);
    } else if (p <= 1000) {
        z = SnapZoom(zoom - 0.25);
    } else if (p <= kMaxSteppedPercent) {
        z = SnapZoom(zoom - 0.5);
    }
    if (!(z > kZoomFloor))
        z = kZoomFloor;
    return z;
}

double ZoomFromPercent(long long percent) {
    return static_cast<double>(percent) / 100.0;
}

double ComputeFitZoom(int zoomType, double current, int clientWidth, int clientHeight,
                      int fullWidth, int fullHeight, double limit) {
    double zoom = current;
    bool fitKnown = clientWidth > 0 && clientHeight > 0 && fullWidth > 0 && fullHeight > 0;
    double fit = 0.0;
    if (fitKnown) {
        fit = std::min(static_cast<double>(clientWidth) / fullWidth,
                       static_cast<double>(clientHeight) / fullHeight);
    }
    switch (zoomType) {
    case kZoomTypeActual:
        zoom = 1.0;
        break;
    case kZoomTypeFit:
        if (fitKnown)
            zoom = fit;
        break;
    case kZoomTypeShrink:
        if (fitKnown)
            zoom = std::min(fit, 1.0);
        break;
    case kZoomTypeEnlarge:
        if (fitKnown)
            zoom = std::max(fit, 1.0);
        break;
    default:
        break;
    }
    if (zoom >= limit)
        zoom = limit;
    return zoom;
}

void KeepCentreOnZoom(int canvasWidth, int canvasHeight, double oldZoom, double newZoom,
                      int& scrollX, int& scrollY) {
    if (oldZoom == newZoom || !(oldZoom > 0.0) || (scrollX == 0 && scrollY == 0))
        return;
    double cx = std::trunc((canvasWidth * 0.5 + scrollX) / oldZoom);
    double cy = std::trunc((canvasHeight * 0.5 + scrollY) / oldZoom);
    // Kept within int range; the layout clamps into the scroll range later.
    double nx = std::trunc(cx * newZoom) - canvasWidth / 2;
    double ny = std::trunc(cy * newZoom) - canvasHeight / 2;
    nx = std::clamp(nx, -2147483647.0, 2147483647.0);
    ny = std::clamp(ny, -2147483647.0, 2147483647.0);
    scrollX = static_cast<int>(nx);
    scrollY = static_cast<int>(ny);
}

} // namespace viewer
