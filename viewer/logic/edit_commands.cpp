#include "viewer/logic/edit_commands.h"

#include <algorithm>

#include "resources/resource.h"

namespace viewer {

namespace {
constexpr int kFlipHorizontal = 1;
constexpr int kFlipVertical = 2;
constexpr int kRotate = 3;
} // namespace

LosslessTurn LosslessTurnFor(int command) {
    switch (command) {
    case ID_ROTATE_180:
        return {kRotate, 180};
    case ID_ROTATE_90CW:
        return {kRotate, 90};
    case ID_ROTATE_90CCW:
        return {kRotate, 270};
    case ID_FLIP_HORIZONTAL:
        return {kFlipHorizontal, 0};
    case ID_FLIP_VERTICAL:
        return {kFlipVertical, 0};
    default:
        return {};
    }
}

LosslessTurn InverseTurn(LosslessTurn turn) {
    if (turn.operation == kRotate && (turn.angle == 90 || turn.angle == 270))
        turn.angle = 360 - turn.angle;
    return turn;
}

int EncodeUndoTurn(LosslessTurn turn) {
    if (turn.operation < kFlipHorizontal || turn.operation > kRotate)
        return kUndoPixels;
    return turn.operation * 1000 + turn.angle;
}

LosslessTurn DecodeUndoTurn(int value) {
    if (value <= 0)
        return {};
    LosslessTurn turn{value / 1000, value % 1000};
    const bool valid =
        turn.operation == kRotate
            ? (turn.angle == 90 || turn.angle == 180 || turn.angle == 270)
            : ((turn.operation == kFlipHorizontal || turn.operation == kFlipVertical) &&
               turn.angle == 0);
    return valid ? turn : LosslessTurn{};
}

bool KeepsViewAfter(int command) {
    switch (command) {
    case ID_IMAGE_MODE_GRAYSCALE:
    case ID_ADJUST_BRIGHTNESS_CONTRAST:
    case ID_ADJUST_COLOR_BALANCE:
    case ID_ADJUST_HUE_SATURATION:
    case ID_ADJUST_DESATURATE:
    case ID_ADJUST_POSTERIZE:
    case ID_ADJUST_INVERT:
    case ID_ADJUST_EQUALIZE:
    case ID_IMAGE_MODE_INDEXED:
    case ID_IMAGE_MODE_RGB:
    case ID_IMAGE_MODE_BITMAP:
        return true;
    default:
        return false;
    }
}

bool IsToneAdjustment(int command) {
    return command == ID_ADJUST_BRIGHTNESS_CONTRAST || command == ID_ADJUST_COLOR_BALANCE ||
           command == ID_ADJUST_HUE_SATURATION || command == ID_ADJUST_POSTERIZE;
}

CropBox CropBoxFor(int left, int top, int right, int bottom, int imageWidth, int imageHeight) {
    const int x1 = std::max(0, std::min(left, right));
    const int y1 = std::max(0, std::min(top, bottom));
    const int x2 = std::min(imageWidth, std::max(left, right));
    const int y2 = std::min(imageHeight, std::max(top, bottom));
    if (x2 <= x1 || y2 <= y1)
        return {};
    if (x1 == 0 && y1 == 0 && x2 == imageWidth && y2 == imageHeight)
        return {};
    return {x1, y1, x2 - x1, y2 - y1};
}

} // namespace viewer
