// Row-level helpers shared by the geometric operations (flip, crop, rotate):
// row addressing, single-bit access and mirrored row copies. The loops here
// are specialised per pixel size so that no depth test runs per pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "imaging/image_object.h"

namespace geometry {

inline uint8_t* RowAt(const CImageObject* image, int32_t row) {
    return image->bits + static_cast<size_t>(image->stride) * static_cast<size_t>(row);
}

// Bytes that hold the pixels of one row (without the padding to 4 bytes).
// Computed in 64 bits: width x 32 can pass 2^32 where size_t has 32 bits.
inline size_t RowBytes(int32_t width, int32_t bitsPerPixel) {
    return static_cast<size_t>(
        (static_cast<uint64_t>(width) * static_cast<uint64_t>(bitsPerPixel) + 7) / 8);
}

inline bool IsSupportedDepth(int32_t bitsPerPixel) {
    return bitsPerPixel == 1 || bitsPerPixel == 8 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

// 1-bpp rows: pixel x lives in byte x / 8 under mask 0x80 >> (x % 8).
inline bool GetBit(const uint8_t* row, int64_t x) {
    return (row[x >> 3] & (0x80u >> (x & 7))) != 0;
}

inline void SetBit(uint8_t* row, int64_t x, bool on) {
    const uint8_t mask = static_cast<uint8_t>(0x80u >> (x & 7));
    if (on)
        row[x >> 3] |= mask;
    else
        row[x >> 3] &= static_cast<uint8_t>(~mask);
}

// dest pixel j = src pixel (width - 1 - j), for Bytes = 1, 3 or 4.
template <int Bytes> inline void MirrorRow(uint8_t* dest, const uint8_t* src, int32_t width) {
    const uint8_t* s = src + static_cast<size_t>(width) * Bytes;
    uint8_t* d = dest;
    for (int32_t j = 0; j < width; ++j) {
        s -= Bytes;
        if (Bytes == 1) {
            d[0] = s[0];
        } else {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            if (Bytes == 4)
                d[3] = s[3];
        }
        d += Bytes;
    }
}

// 1-bpp mirror of (width + 7) / 8 bytes; the bits past the width in the last
// byte come out clear.
void MirrorBitRow(uint8_t* dest, const uint8_t* src, int32_t width);

// Writes the mirror image of every row of src into dest (same size and
// depth, distinct images); with reverseRows the row order is reversed too,
// which turns the mirror into a half turn.
void MirrorImage(CImageObject* dest, const CImageObject* src, bool reverseRows);

} // namespace geometry
