#include "imaging/operations/flip_op.h"

#include <cstring>

#include "imaging/image_object.h"
#include "imaging/operations/geometry_rows.h"

bool CFlipOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src))
        return false;
    dest->notLoaded = false;
    if (!geometry::IsSupportedDepth(src->bitsPerPixel))
        return false;
    if (!PrepareDestination(dest, src))
        return false;

    if (direction == kVertical) {
        // Both images have the same stride, so whole rows move at once.
        const size_t rowBytes = static_cast<size_t>(src->stride);
        for (int32_t y = 0; y < src->height; ++y)
            std::memcpy(geometry::RowAt(dest, y), geometry::RowAt(src, src->height - 1 - y),
                        rowBytes);
    } else {
        geometry::MirrorImage(dest, src, false);
    }
    FinishDestination(dest);
    return true;
}
