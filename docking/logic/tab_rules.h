// The custom tab strip's rules that need no window: tab widths and their
// fitting, the button rectangles, hit-test flags and the plans for
// selection and deletion (which notifications go out, and when).
#pragma once

#include <vector>

namespace docking {

// Style bits of the tab strip.
enum TabStyle : unsigned {
    CTS_SCROLLBUTTONS = 0x0001,
    CTS_BOTTOM = 0x0002,
    CTS_CLOSEBUTTON = 0x0008,
    CTS_HOTTRACK = 0x0040,
    CTS_VERTICAL = 0x0080,
    CTS_BOLDSELECTED = 0x2000,
    CTS_TOOLTIPS = 0x4000,
};

// Hit-test flags.
enum TabHit : unsigned {
    CTCHT_NOWHERE = 0x0001,
    CTCHT_ONITEM = 0x0006,
    CTCHT_ONCLOSEBTN = 0x0010,
    CTCHT_ONSCROLLRIGHTBTN = 0x0020,
    CTCHT_ONSCROLLLEFTBTN = 0x0040,
};

constexpr int kTabInset = 3;
constexpr int kTabTextMargin = 4;
constexpr int kFirstTabOffset = 5;
constexpr int kMinTextRoom = 12;
constexpr int kTabButtonSize = 15;

struct TabRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const TabRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// inset + image + margin + text + margin + inset; no margins without text.
int TabNaturalWidth(int imageWidth, int textWidth);

// Widths of the tabs without scroll buttons: natural widths while they
// fit; then the unselected tabs shrink in proportion, then to equal
// shares, and when even the minimum does not fit every tab gets room/count.
std::vector<int> FitTabWidths(const std::vector<int>& natural, int selected, int areaWidth);

struct TabButtons {
    TabRect area;  // what is left for the tabs
    TabRect close; // empty without CTS_CLOSEBUTTON
    TabRect right; // scroll right, empty without CTS_SCROLLBUTTONS
    TabRect left;  // scroll left
};

TabButtons LayoutTabButtons(const TabRect& client, unsigned style);

// The hit flag for a point: the buttons first, then a tab inside the area.
unsigned TabHitFlag(const TabButtons& b, bool onTab, int x, int y);

// The selection a SetCurSel asks for: an index outside the tabs (-1
// included) re-selects the current one.
inline int RequestedSelection(int index, int count, int current) {
    return index < 0 || index >= count ? current : index;
}

// What DeleteItem does with the selection around the removal.
struct TabDeletePlan {
    bool valid = false;
    int selectBefore = -1;    // SetCurSel with notifications before the removal
    int selectAfter = -1;     // SetCurSel with notifications after the removal
    int silentSelection = -2; // the selection set without notification (-2: unchanged)
};

TabDeletePlan PlanTabDelete(int position, int count, int selection, bool keepSelection);

// Drag-to-reorder of the flying strip: whether the dragged tab swaps with
// the tab under the cursor. It swaps only when the cursor moves towards
// that tab, so a swap that just happened does not swap back at once.
bool ShouldExchangeTabs(int hit, int dragged, int lastExchanged, int cursor, int lastCursor);

} // namespace docking

namespace docking {

// The flying strip's thickness from its font's ascent; 24 without a font.
int FlyingTabThickness(int ascent);

} // namespace docking
