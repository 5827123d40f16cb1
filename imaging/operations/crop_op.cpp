#include "imaging/operations/crop_op.h"

#include <cstring>

#include "imaging/image_object.h"
#include "imaging/operations/geometry_rows.h"

namespace {

// Destination bits 0..width-1 = source bits start..start+width-1. Source
// bytes past the row's pixel bytes read as 0, so a crop that ends on the
// row's last pixel never looks beyond the row.
void CopyBitSpan(uint8_t* dest, const uint8_t* src, size_t srcBytes, int64_t start, int32_t width) {
    const size_t bytes = (static_cast<size_t>(width) + 7) / 8;
    const size_t first = static_cast<size_t>(start >> 3);
    const int shift = static_cast<int>(start & 7);
    auto at = [&](size_t i) -> unsigned { return i < srcBytes ? src[i] : 0u; };
    if (shift == 0) {
        std::memcpy(dest, src + first, bytes);
    } else {
        for (size_t k = 0; k < bytes; ++k)
            dest[k] =
                static_cast<uint8_t>((at(first + k) << shift) | (at(first + k + 1) >> (8 - shift)));
    }
    const int tail = width & 7;
    if (tail)
        dest[bytes - 1] &= static_cast<uint8_t>(0xFF00u >> tail);
}

} // namespace

bool CCropOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src))
        return false;
    dest->notLoaded = false;
    if (x < 0 || y < 0 || width <= 0 || height <= 0)
        return false;
    if (static_cast<int64_t>(x) + width > src->width ||
        static_cast<int64_t>(y) + height > src->height)
        return false;
    const int32_t depth = src->bitsPerPixel;
    if (!geometry::IsSupportedDepth(depth))
        return false;
    if (!CreateDestination(dest, width, height, depth, src->paletteCount, src->palette))
        return false;

    if (depth == 1) {
        const size_t srcBytes = geometry::RowBytes(src->width, 1);
        for (int32_t i = 0; i < height; ++i)
            CopyBitSpan(geometry::RowAt(dest, i), geometry::RowAt(src, y + i), srcBytes, x, width);
    } else {
        const size_t pixelBytes = static_cast<size_t>(depth / 8);
        const size_t rowBytes = pixelBytes * static_cast<size_t>(width);
        const size_t offset = pixelBytes * static_cast<size_t>(x);
        for (int32_t i = 0; i < height; ++i)
            std::memcpy(geometry::RowAt(dest, i), geometry::RowAt(src, y + i) + offset, rowBytes);
    }
    FinishDestination(dest);
    return true;
}
