// Cutting a rectangle out of an image, the viewer's "Crop" command (the
// rectangle is the view's selection).
//
// Apply(dest, src): any depth (1, 8, 24, 32). The rectangle must lie inside
// the source with a positive size: x >= 0, y >= 0, width > 0, height > 0,
// x + width <= source width, y + height <= source height; otherwise false
// and the destination is untouched (but for its not-loaded flag, which is
// cleared first in every case). The destination is always re-created at
// width x height with the source's depth and palette. 1-bpp rows are
// realigned so that destination bit 0 is source bit x; the padding bits past
// the crop width come out clear. No progress, no cancel.
#pragma once

#include <cstdint>

#include "imaging/operations/image_operation.h"

class CCropOp : public CImageOperation {
public:
    bool Apply(CImageObject* dest, CImageObject* src) override;

    int32_t x = 0; // top-left corner in source pixels
    int32_t y = 0;
    int32_t width = 0; // size of the rectangle
    int32_t height = 0;
};
