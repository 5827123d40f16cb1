// Builders and pixel access for the geometry and quantiser tests: images of
// any depth filled from a seeded pattern, and whole-image comparisons that
// look only at the pixels (never at row padding).
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/image_object.h"

namespace geotest {

using Image = std::unique_ptr<CImageObject>;

inline Image Make(int width, int height, int bitsPerPixel, int paletteCount = 0) {
    Image image(new CImageObject());
    EXPECT_TRUE(image->Create(width, height, bitsPerPixel, paletteCount))
        << width << "x" << height << "x" << bitsPerPixel;
    return image;
}

inline uint8_t* Row(const CImageObject* image, int y) {
    return image->bits + static_cast<size_t>(image->stride) * static_cast<size_t>(y);
}

inline int BytesPerPixel(const CImageObject* image) {
    return image->bitsPerPixel / 8;
}

// One pixel as an integer: the bit (1 bpp), the index (8 bpp) or the bytes
// packed low byte first (blue in the lowest byte).
inline uint32_t Get(const CImageObject* image, int x, int y) {
    const uint8_t* row = Row(image, y);
    if (image->bitsPerPixel == 1)
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    const int n = BytesPerPixel(image);
    uint32_t v = 0;
    for (int k = n - 1; k >= 0; --k)
        v = (v << 8) | row[static_cast<size_t>(x) * n + k];
    return v;
}

inline void Set(CImageObject* image, int x, int y, uint32_t v) {
    uint8_t* row = Row(image, y);
    if (image->bitsPerPixel == 1) {
        const uint8_t mask = static_cast<uint8_t>(0x80u >> (x & 7));
        row[x >> 3] = static_cast<uint8_t>(v & 1 ? row[x >> 3] | mask : row[x >> 3] & ~mask);
        return;
    }
    const int n = BytesPerPixel(image);
    for (int k = 0; k < n; ++k)
        row[static_cast<size_t>(x) * n + k] = static_cast<uint8_t>(v >> (8 * k));
}

// Deterministic pseudo-random pixels (a small LCG), so that any misplaced
// pixel shows; 8-bpp values stay below the palette count.
inline Image MakePattern(int width, int height, int bitsPerPixel, uint32_t seed = 1) {
    Image image = Make(width, height, bitsPerPixel, bitsPerPixel == 8 ? 256 : 0);
    uint32_t state = seed * 2654435761u + 12345u;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            Set(image.get(), x, y, state >> 8);
        }
    return image;
}

// Gives every pixel the value v (as Set takes it), at any depth.
inline void FillAll(CImageObject* image, uint32_t v) {
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x)
            Set(image, x, y, v);
}

// Same size, depth and pixels; palettes must match too.
inline void ExpectSamePixels(const CImageObject* a, const CImageObject* b) {
    ASSERT_EQ(a->width, b->width);
    ASSERT_EQ(a->height, b->height);
    ASSERT_EQ(a->bitsPerPixel, b->bitsPerPixel);
    ASSERT_EQ(a->paletteCount, b->paletteCount);
    for (int i = 0; i < a->paletteCount; ++i)
        EXPECT_TRUE(a->palette[i] == b->palette[i]) << "palette entry " << i;
    int mismatches = 0;
    for (int y = 0; y < a->height && mismatches < 5; ++y)
        for (int x = 0; x < a->width && mismatches < 5; ++x)
            if (Get(a, x, y) != Get(b, x, y)) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << Get(a, x, y)
                              << " != " << Get(b, x, y);
                ++mismatches;
            }
}

// Gives an 8-bpp image a recognisable palette (entry i = (i, 255 - i, i / 2)).
inline void MarkPalette(CImageObject* image) {
    for (int i = 0; i < image->paletteCount; ++i)
        image->palette[i] = PaletteEntry{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                         static_cast<uint8_t>(i / 2), 0};
}

} // namespace geotest
