// Mirroring an image horizontally (columns) or vertically (rows), the
// viewer's "Flip Horizontal" and "Flip Vertical" commands.
//
// Apply(dest, src): any depth (1, 8, 24, 32). The destination gets the
// source's size, depth and palette: re-created when createDestination is set
// (the default), otherwise the caller's destination of that exact layout is
// written in place. The destination's not-loaded flag is cleared first. No
// progress is reported and the operation cannot be cancelled.
#pragma once

#include <cstdint>

#include "imaging/operations/image_operation.h"

class CFlipOp : public CImageOperation {
public:
    enum : int32_t {
        kHorizontal = 0, // columns mirrored ("Flip Horizontal")
        kVertical = 1,   // rows reversed ("Flip Vertical")
    };

    bool Apply(CImageObject* dest, CImageObject* src) override;

    // kVertical reverses the rows; any other value mirrors the columns.
    int32_t direction = kHorizontal;
};
