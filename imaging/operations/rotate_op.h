// Clockwise rotation by an angle in degrees (rows run downwards), the
// viewer's Rotate Canvas commands and the rotate-and-save path.
//
// The angle picks the path by exact comparison, in this order:
//   180.0  a half turn, same size: (x, y) -> (w-1-x, h-1-y). Honours
//          createDestination like the other same-size operations.
//   90.0   a quarter turn clockwise into h x w: (x, y) -> (h-1-y, x).
//   270.0  a quarter turn anticlockwise into h x w: (x, y) -> (y, w-1-x).
//   other  (0 and -90 included) rotation about the top-left pixel into the
//          bounding box of the rotated corners, sampling the nearest source
//          pixel; pixels with no source take the background of the depth.
// Depths 1, 8, 24 and 32 bpp; the destination keeps the depth and palette.
// A non-finite angle is refused. The destination's not-loaded flag is
// cleared first. No progress, no cancel.
#pragma once

#include <cstdint>

#include "imaging/operations/image_operation.h"

class CRotateOp : public CImageOperation {
public:
    bool Apply(CImageObject* dest, CImageObject* src) override;

    double angle = 0.0; // degrees, clockwise
    // Fill of the general path, per depth.
    uint8_t backgroundBit = 1;   // 1 bpp: 1 sets the bit, anything else clears it
    uint8_t backgroundIndex = 0; // 8 bpp: palette index (beyond the palette: its last entry)
    uint8_t backgroundColor[3] = {0, 0, 0};      // 24 bpp: blue, green, red
    uint8_t backgroundColor32[4] = {0, 0, 0, 0}; // 32 bpp: blue, green, red, fourth byte

private:
    bool RotateGeneral(CImageObject* dest, const CImageObject* src);
};
