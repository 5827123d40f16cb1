// Resizing by area averaging: the viewer's "Image Size..." command, the
// batch tool and the readers' reduced-size reads.
//
// Target size (W x H) by mode:
//   kExactSize    W = width, H = height.
//   kPercent      W = trunc(percent / 100 x source width), H likewise.
//   kFitBox       the largest size with the source's proportions that fits
//                 the width x height box (enlarging or shrinking), computed
//                 from the source's full size; each side at least 1.
//   kShrinkToBox  as kFitBox, but refused (false, nothing done) when the
//                 full size already fits the box.
//   kEnlargeToBox as kFitBox, but refused when the full size is already at
//                 least as large as the box on both sides.
// A target side <= 0 is refused. The work goes by source depth: 24 and 32
// bpp keep their depth (the fourth byte is averaged as a fourth channel);
// 1 and 8 bpp are expanded through their palette and give a 24-bpp result.
// The destination is always re-created; its not-loaded flag is cleared once
// the target size is known. No progress, no cancel.
#pragma once

#include <cstdint>

#include "imaging/operations/image_operation.h"

class CImageSizeOp : public CImageOperation {
public:
    enum : int32_t {
        kExactSize = 0,
        kPercent = 1,
        kFitBox = 2,
        kShrinkToBox = 3,
        kEnlargeToBox = 4,
    };

    bool Apply(CImageObject* dest, CImageObject* src) override;

    int32_t mode = kExactSize;
    int32_t percent = 0; // kPercent
    int32_t width = 0;   // exact size (kExactSize) or box (kFitBox..kEnlargeToBox)
    int32_t height = 0;

private:
    bool TargetSize(const CImageObject* src, int32_t* targetWidth, int32_t* targetHeight) const;
};
