// The colour button's palette popup without its window: the colour table,
// the item geometry, hit testing, keyboard movement, the current item and
// the placement on the work area.
#pragma once

#include <cstdint>

namespace docking {

constexpr uint32_t kColorAutomatic = 0xFF000000; // "automatic": the face shows the default

constexpr int kColorCount = 40;
constexpr int kColorColumns = 8;
constexpr int kColorRows = (kColorCount + kColorColumns - 1) / kColorColumns;
constexpr int kColorPitch = 18; // a 14-pixel cell with a margin of 2 on each side

// Item numbers besides the cells 0..39.
constexpr int kItemNone = -1;
constexpr int kItemCustom = -2;  // "More Colors..."
constexpr int kItemDefault = -3; // "Restore Default"

struct ColorEntry {
    uint8_t r, g, b;
    const char* name;
};

extern const ColorEntry kColorTable[kColorCount];

// COLORREF layout: 0x00BBGGRR.
inline uint32_t ColorOf(const ColorEntry& e) {
    return uint32_t(e.r) | (uint32_t(e.g) << 8) | (uint32_t(e.b) << 16);
}

struct PickerRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const PickerRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

struct PickerLayout {
    PickerRect defaultRow; // empty height without a default text
    PickerRect grid;
    PickerRect customRow; // empty height without a custom text
    int clientWidth = 0;
    int clientHeight = 0;
};

// Geometry from the larger text extent (0, 0 when both texts are empty),
// shifted by the window edge sizes.
PickerLayout LayoutPicker(int textWidth, int textHeight, bool hasDefault, bool hasCustom, int edgeX,
                          int edgeY);

int PickerHitTest(const PickerLayout& l, int x, int y);

// Keyboard movement by delta (-1, +1, -8, +8), skipping rows without text.
int MovePickerItem(int item, int delta, bool hasDefault, bool hasCustom);

// The item drawn as current when the popup opens.
int CurrentPickerItem(uint32_t colour, bool hasDefault, bool hasCustom);

// The popup's top-left corner: under the button's lower left corner, moved
// left or right into the work area, and above the button when it would
// pass the work area's bottom.
void PlacePicker(const PickerRect& workArea, const PickerRect& button, int width, int height,
                 int& x, int& y);

} // namespace docking
