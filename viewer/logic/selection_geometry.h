// Geometry of the image canvas: the marquee selection with an optional fixed
// aspect, canvas client points to full-image points, and the margin by which
// stretched copies are widened.
#pragma once

struct CanvasRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Cuts the moving corner (*x2, *y2) so that the rectangle from the anchor
// (x1, y1) has exactly aspectWidth:aspectHeight in whole pixels, in the drag's
// direction: its sides are the largest common multiple of the reduced ratio
// that fits inside the dragged rectangle. An aspect with a side <= 0 is not
// fixed: the corner is left as it is.
void ApplyFixedAspect(int x1, int y1, int* x2, int* y2, int aspectWidth, int aspectHeight);

// The rectangle of two corners with left <= right and top <= bottom.
CanvasRect NormalizeCorners(int x1, int y1, int x2, int y2);

// Canvas client point -> full-image point: f = fullHeight / displayedHeight,
// x = trunc(f * (x + scrollX)), y likewise. A displayed height <= 0 gives
// the point unscaled.
void ClientToImagePoint(int x, int y, int scrollX, int scrollY, int fullHeight, int displayedHeight,
                        int* imageX, int* imageY);

// Full-image rectangle -> displayed pixels (times displayed / full height,
// truncated), for drawing the marquee. A full height <= 0 gives it unscaled.
CanvasRect ImageRectToDisplay(const CanvasRect& rect, int displayedHeight, int fullHeight);

// Image pixels by which paints and row copies are widened: 0 when the frame
// is shown at exactly its size, 1 when it is shown at or above its size in
// both directions, otherwise frameWidth / displayedWidth + 1.
int ComputeScaleStep(int frameWidth, int frameHeight, int displayedWidth, int displayedHeight);
