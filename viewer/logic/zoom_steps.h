// The image view's zoom rules: the Zoom In / Zoom Out step table, the fit
// scale of the five zoom types, and keeping the centre in place when the
// scale changes. No windows here, so the tables are tested natively.
//
// Steps go 1 % at a time below 10 %, 10 % at a time up to 100 % (landing
// exactly on 100 %), 25 % up to 1000 %, 50 % above. Every step lands on a
// whole percentage (and on a multiple of 25 % or 50 % above 100 %), so
// repeated steps never drift in binary floating point: from 1 %, nine Zoom In
// give exactly 10 % and the tenth 20 %.
#pragma once

namespace viewer {

// The largest zoom: 100.0 on the Windows NT family, 14.0 on the others
// (their GDI cannot stretch further).
constexpr double kZoomLimitNt = 100.0;
constexpr double kZoomLimitOther = 14.0;
// The smallest zoom a Zoom Out reaches, and where a Zoom In below it goes.
constexpr double kZoomFloor = 0.01;

inline double ZoomLimitFor(bool ntFamily) {
    return ntFamily ? kZoomLimitNt : kZoomLimitOther;
}

// The step's choice of row: the zoom as a whole percentage, rounded.
long long ZoomPercentOf(double zoom);

// Puts a zoom on its grid: whole percentages up to 100 %, multiples of 0.25
// up to 1000 %, of 0.5 above.
double SnapZoom(double zoom);

// One Zoom In from `zoom`, limited to `limit` (a zoom at or above the limit
// becomes the limit). Below 1 % it goes to 1 %; above 10000 % it stays.
double ZoomStepIn(double zoom, double limit);
// One Zoom Out from `zoom`; never below 1 %. Above 10000 % it stays.
double ZoomStepOut(double zoom);
// A zoom set as a percentage: percent / 100, no limit applied.
double ZoomFromPercent(long long percent);

// Zoom types.
constexpr int kZoomTypeActual = 0;
constexpr int kZoomTypeFit = 1;
constexpr int kZoomTypeShrink = 2;
constexpr int kZoomTypeEnlarge = 3;
constexpr int kZoomTypeLock = 4;

// The scale a zoom type gives for an image of full size (fullWidth x
// fullHeight) in a client of clientWidth x clientHeight, where fit is the
// smaller of the two ratios: 0 -> 1.0, 1 -> fit, 2 -> min(fit, 1.0),
// 3 -> max(fit, 1.0), 4 (or an unknown type) -> `current`. The result is
// limited to `limit`. With an empty image or client the fit is unknown and
// the fitting types keep `current`.
double ComputeFitZoom(int zoomType, double current, int clientWidth, int clientHeight,
                      int fullWidth, int fullHeight, double limit);

// After the zoom changed from oldZoom to newZoom, the scroll position that
// keeps the point at the centre of a canvas of canvasWidth x canvasHeight in
// place. Unchanged when the zoom did not change, when the position is (0, 0)
// or when oldZoom is not positive.
void KeepCentreOnZoom(int canvasWidth, int canvasHeight, double oldZoom, double newZoom,
                      int& scrollX, int& scrollY);

} // namespace viewer
