#include "docking/logic/color_picker.h"

#include <algorithm>

namespace docking {

const ColorEntry kColorTable[kColorCount] = {
    {0, 0, 0, "Black"},
    {165, 42, 0, "Brown"},
    {0, 64, 64, "Dark Olive Green"},
    {0, 85, 0, "Dark Green"},
    {0, 0, 94, "Dark Teal"},
    {0, 0, 139, "Dark blue"},
    {75, 0, 130, "Indigo"},
    {40, 40, 40, "Dark grey"},
    {139, 0, 0, "Dark red"},
    {255, 104, 32, "Orange"},
    {139, 139, 0, "Dark yellow"},
    {0, 147, 0, "Green"},
    {56, 142, 142, "Teal"},
    {0, 0, 255, "Blue"},
    {123, 123, 192, "Blue-grey"},
    {102, 102, 102, "Grey - 40"},
    {255, 0, 0, "Red"},
    {255, 173, 91, "Light orange"},
    {50, 205, 50, "Lime"},
    {60, 179, 113, "Sea green"},
    {127, 255, 212, "Aqua"},
    {125, 158, 192, "Light blue"},
    {128, 0, 128, "Violet"},
    {127, 127, 127, "Grey - 50"},
    {255, 192, 203, "Pink"},
    {255, 215, 0, "Gold"},
    {255, 255, 0, "Yellow"},
    {0, 255, 0, "Bright green"},
    {64, 224, 208, "Turquoise"},
    {192, 255, 255, "Skyblue"},
    {72, 0, 72, "Plum"},
    {192, 192, 192, "Light grey"},
    {255, 228, 225, "Rose"},
    {210, 180, 140, "Tan"},
    {255, 255, 224, "Light yellow"},
    {152, 251, 152, "Pale green "},
    {175, 238, 238, "Pale turquoise"},
    {104, 131, 139, "Pale blue"},
    {230, 230, 250, "Lavender"},
    {255, 255, 255, "White"},
};

PickerLayout LayoutPicker(int textWidth, int textHeight, bool hasDefault, bool hasCustom, int edgeX,
                          int edgeY) {
    PickerLayout l;
    const bool anyText = hasDefault || hasCustom;
    const int tw = anyText ? textWidth + 10 : 0;
    const int th = anyText ? textHeight + 10 : 0;
    const int gridWidth = kColorColumns * kColorPitch;
    const int width = std::max(tw, gridWidth);
    int y = 0;
    l.defaultRow = PickerRect{0, y, width, y + (hasDefault ? th : 0)};
    y = l.defaultRow.bottom;
    const int gridLeft = (width - gridWidth) / 2;
    l.grid = PickerRect{gridLeft, y, gridLeft + gridWidth, y + kColorRows * kColorPitch};
    y = l.grid.bottom;
    l.customRow = PickerRect{0, y, width, y + (hasCustom ? th : 0)};
    for (PickerRect* r : {&l.defaultRow, &l.grid, &l.customRow}) {
        r->left += edgeX;
        r->right += edgeX;
        r->top += edgeY;
        r->bottom += edgeY;
    }
    l.clientWidth = width + 2 * edgeX;
    l.clientHeight = l.customRow.bottom + edgeY;
    return l;
}

int PickerHitTest(const PickerLayout& l, int x, int y) {
    if (l.customRow.Contains(x, y))
        return kItemCustom;
    if (l.defaultRow.Contains(x, y))
        return kItemDefault;
    if (x < l.grid.left || y < l.grid.top)
        return kItemNone;
    const int row = (y - l.grid.top) / kColorPitch;
    const int column = (x - l.grid.left) / kColorPitch;
    const int item = row * kColorColumns + column;
    if (row < kColorRows && column < kColorColumns && item < kColorCount)
        return item;
    return kItemNone;
}

int MovePickerItem(int item, int delta, bool hasDefault, bool hasCustom) {
    const bool forwards = delta > 0;
    int next;
    if (item == kItemNone)
        next = forwards ? kItemDefault : kItemCustom;
    else if (item == kItemDefault)
        next = forwards ? 0 : kItemCustom;
    else if (item == kItemCustom)
        next = forwards ? kItemDefault : kColorCount - 1;
    else {
        next = item + delta;
        if (next < 0)
            next = kItemDefault;
        else if (next >= kColorCount)
            next = kItemCustom;
    }
    // Rows without text are skipped; with neither text this settles on a cell.
    for (int guard = 0; guard < 4; ++guard) {
        if (next == kItemDefault && !hasDefault)
            next = forwards ? 0 : kItemCustom;
        else if (next == kItemCustom && !hasCustom)
            next = forwards ? kItemDefault : kColorCount - 1;
        else
            break;
    }
    return next;
}

int CurrentPickerItem(uint32_t colour, bool hasDefault, bool hasCustom) {
    if (colour == kColorAutomatic && hasDefault)
        return kItemDefault;
    for (int i = 0; i < kColorCount; ++i)
        if (ColorOf(kColorTable[i]) == colour)
            return i;
    return hasCustom ? kItemCustom : kItemNone;
}

void PlacePicker(const PickerRect& workArea, const PickerRect& button, int width, int height,
                 int& x, int& y) {
    x = button.left;
    y = button.bottom;
    if (x + width > workArea.right)
        x = workArea.right - width;
    if (x < workArea.left)
        x = workArea.left;
    if (y + height > workArea.bottom)
        y = button.top - height;
}

} // namespace docking
