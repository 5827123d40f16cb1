// Where frame management puts viewer windows: the cells of "Arrange
// Viewers" and whether a new viewer may take the saved viewer rectangle. No
// windows here, so the rules are tested natively.
#pragma once

#include <vector>

namespace viewer {

// A rectangle in screen coordinates (right and bottom exclusive).
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

inline bool operator==(const ScreenRect& a, const ScreenRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A window's place: its top-left corner and size.
struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Arrangement modes.
constexpr char kArrangeGrid = 'r';    // rows and columns, as square as possible
constexpr char kArrangeRows = 's';    // k viewers side by side per row
constexpr char kArrangeColumns = 't'; // k viewers stacked per column

// The grid of an arrangement: `rows` x `columns` cells, or a single row
// (singleRow) or single column (singleColumn) of n equal parts when the mode
// is not the grid and k is not within 1..n-1.
struct ArrangeShape {
    int rows = 0;
    int columns = 0;
    bool singleRow = false;
    bool singleColumn = false;
};

// The shape for n viewers (n >= 2), k per row or column, and a mode:
//   grid: 2 x 2 for 3 viewers, otherwise floor(sqrt(n)) rows and
//         ceil(n / rows) columns;
//   's' with 0 < k < n: k columns and ceil(n / k) rows;
//   't' with 0 < k < n: k rows and ceil(n / k) columns;
//   otherwise 's' puts all in one row, any other mode all in one column.
ArrangeShape ComputeArrangeShape(int n, int k, char mode);

// The place of each of n viewers (list order) over the work area: cells of
// (width / columns) x (height / rows), filled row by row from the work
// area's top-left corner (integer division; the remainder stays unused).
// Empty when n < 2, since one viewer is not arranged.
std::vector<WindowPlace> ArrangeViewerPlaces(int n, int k, char mode, const ScreenRect& work);

// Whether a new viewer takes the saved rectangle: false when the viewer is to
// be maximised, the rectangle is empty, or it leaves the work area at the
// left, top, right or bottom (the viewer then fills the work area). A work
// area that does not start at (0, 0), as with a task bar on the left or at
// the top, counts from its own edges.
bool UseSavedViewerRect(const ScreenRect& saved, bool maximized, const ScreenRect& work);

} // namespace viewer
