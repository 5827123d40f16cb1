#include "imaging/operations/geometry_rows.h"

namespace geometry {
namespace {

struct BitReverseTable {
    uint8_t value[256];
    BitReverseTable() {
        for (int i = 0; i < 256; ++i) {
            int r = 0;
            for (int b = 0; b < 8; ++b)
                if (i & (1 << b))
                    r |= 0x80 >> b;
            value[i] = static_cast<uint8_t>(r);
        }
    }
};

const BitReverseTable kReverse;

template <int Bytes>
void MirrorRows(CImageObject* dest, const CImageObject* src, bool reverseRows) {
    const int32_t height = src->height;
    for (int32_t y = 0; y < height; ++y)
        MirrorRow<Bytes>(RowAt(dest, y), RowAt(src, reverseRows ? height - 1 - y : y), src->width);
}

} // namespace

void MirrorBitRow(uint8_t* dest, const uint8_t* src, int32_t width) {
    // Reversing the bytes and the bits in each byte mirrors the row as if it
    // were a whole number of bytes wide; the unused low bits of the source's
    // last byte then lead, so the result is shifted left by their count.
    const int32_t bytes = (width + 7) / 8;
    const int pad = bytes * 8 - width;
    if (pad == 0) {
        for (int32_t k = 0; k < bytes; ++k)
            dest[k] = kReverse.value[src[bytes - 1 - k]];
        return;
    }
    for (int32_t k = 0; k < bytes; ++k) {
        const unsigned hi = kReverse.value[src[bytes - 1 - k]];
        const unsigned lo = k + 1 < bytes ? kReverse.value[src[bytes - 2 - k]] : 0u;
        dest[k] = static_cast<uint8_t>((hi << pad) | (lo >> (8 - pad)));
    }
}

void MirrorImage(CImageObject* dest, const CImageObject* src, bool reverseRows) {
    switch (src->bitsPerPixel) {
    case 1:
        for (int32_t y = 0; y < src->height; ++y)
            MirrorBitRow(RowAt(dest, y), RowAt(src, reverseRows ? src->height - 1 - y : y),
                         src->width);
        break;
    case 8:
        MirrorRows<1>(dest, src, reverseRows);
        break;
    case 24:
        MirrorRows<3>(dest, src, reverseRows);
        break;
    default:
        MirrorRows<4>(dest, src, reverseRows);
        break;
    }
}

} // namespace geometry
