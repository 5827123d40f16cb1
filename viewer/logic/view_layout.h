// The image view's geometry: the size the picture has on screen, where the
// canvas sits when the picture is smaller than the client (centred), how far
// it can scroll, and which drawing path a layout takes. No windows here, so
// the rules are tested natively.
#pragma once

#include <string>

namespace viewer {

struct ViewLayoutInput {
    int clientWidth = 0; // the view's client area
    int clientHeight = 0;
    int frameWidth = 0; // the current frame's decoded bitmap
    int frameHeight = 0;
    int fullWidth = 0; // the image's size in its file
    int fullHeight = 0;
    double zoom = 1.0;
    bool actualSize = false; // zoom type Actual Size without a custom zoom
    int scrollX = 0;         // the canvas's scroll position now
    int scrollY = 0;
    bool keepScroll = false; // keep the position unclamped once (keep view)
};

struct ViewLayout {
    int displayedWidth = 0; // the whole picture on screen, device pixels
    int displayedHeight = 0;
    int offsetX = 0; // the canvas's place when the picture is narrower
    int offsetY = 0;
    int maxScrollX = 0; // 0 when the picture fits that way
    int maxScrollY = 0;
    int scrollX = 0;
    int scrollY = 0;
    bool scrollable = false;
    int canvasX = 0; // the canvas window's rectangle in the view
    int canvasY = 0;
    int canvasWidth = 0;
    int canvasHeight = 0;
};

// A frame's size passed through the canvas's scaling map: one scale from
// the heights (frameHeight -> displayedHeight) for both axes, rounded to
// the nearest device pixel as the map does.
void MapFrameSize(int frameWidth, int frameHeight, int displayedHeight, int& width, int& height);

ViewLayout ComputeViewLayout(const ViewLayoutInput& in);

// Clamps a scroll position into [0, maximum].
int ClampScroll(int value, int maximum);

// The pan loop's new scroll position on one axis for a press at `press`
// and the cursor at `cursor` (screen coordinates).
int PanScrollPosition(int press, int scroll, int cursor, int maximum);

struct ImmediatePathInput {
    bool progressive = false; // the layout asked for progressive drawing
    int rowsDecoded = 0;
    int displayedWidth = 0;
    int displayedHeight = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    bool scrollable = false;
    int screenWidth = 0; // the shared screen bitmap
    int screenHeight = 0;
    bool metafile = false;
};

// The immediate path (one stretch into the shared screen bitmap) serves a
// scaled picture that fits the screen and does not scroll; everything else
// draws progressively through the canvas.
bool UseImmediatePath(const ImmediatePathInput& in);

// The selection tooltip's text for a selection (left, top, right, bottom)
// whose moving corner is on the cursor's side (cursorRight: the cursor is
// right of the anchor or on it; cursorBelow likewise): "X: %d  Y: %d" for a
// single point, else "X: %d  Y: %d  (W: %d x H: %d)" with X, Y that corner.
std::string FormatSelectionTip(int left, int top, int right, int bottom, bool cursorRight,
                               bool cursorBelow);

// Where the tracking tooltip goes for the cursor at (x, y) on a screen of
// screenWidth x screenHeight: at the cursor's x, or screen width - tip width
// - 5 when it would leave the screen; 10 pixels below the cursor, or tip
// height + 10 above it when it would leave the bottom.
void PlaceSelectionTip(int cursorX, int cursorY, int tipWidth, int tipHeight, int screenWidth,
                       int screenHeight, int& x, int& y);

} // namespace viewer
