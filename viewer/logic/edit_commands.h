// The rules of the frames' image commands that need no window: which
// commands keep the view, which turn a JPEG file losslessly and how, the
// turn that undoes a turn, how undo remembers it, and the crop box a
// selection gives.
#pragma once

namespace viewer {

// A lossless JPEG transform: operation 1 flips horizontally, 2 vertically,
// 3 rotates clockwise by angle (90, 180 or 270); operation 0 is none.
struct LosslessTurn {
    int operation = 0;
    int angle = 0;
};

// The transform of a rotate or flip command; none for every other command.
LosslessTurn LosslessTurnFor(int command);
// The transform that takes a turned file back: 90 and 270 swap, flips and
// the half turn are their own inverse.
LosslessTurn InverseTurn(LosslessTurn turn);

// The undo value of an edit made to the pixels.
constexpr int kUndoPixels = -1;
// The undo value of an edit made to the file: the turn that undoes it, as a
// positive number; DecodeUndoTurn gives operation 0 for any other value.
int EncodeUndoTurn(LosslessTurn turn);
LosslessTurn DecodeUndoTurn(int value);

// Mode and adjustment commands keep zoom and scroll; size, rotations and
// flips start the view afresh.
bool KeepsViewAfter(int command);
// Brightness/Contrast, Color Balance, Hue/Saturation and Posterize: they do
// nothing on a 1-bit image.
bool IsToneAdjustment(int command);

// The part of the image a selection cuts out: the selection's corners
// normalised, intersected with (0, 0, imageWidth, imageHeight). Width and
// height 0 when nothing would be cut (an empty intersection, or the whole
// image).
struct CropBox {
    int x = 0, y = 0, width = 0, height = 0;
};
CropBox CropBoxFor(int left, int top, int right, int bottom, int imageWidth, int imageHeight);

} // namespace viewer
