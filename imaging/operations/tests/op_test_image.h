// Small helpers to build and inspect images in the operation tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/image_object.h"

using ImagePtr = std::unique_ptr<CImageObject>;

inline ImagePtr MakeImage(int width, int height, int bitsPerPixel, int paletteCount = 0) {
    ImagePtr image(new CImageObject());
    EXPECT_TRUE(image->Create(width, height, bitsPerPixel, paletteCount));
    return image;
}

inline uint8_t* PixelAt(CImageObject* image, int x, int y) {
    return image->bits + static_cast<size_t>(image->stride) * y +
           static_cast<size_t>(x) * (image->bitsPerPixel / 8);
}

inline void SetBgr(CImageObject* image, int x, int y, uint8_t b, uint8_t g, uint8_t r) {
    uint8_t* p = PixelAt(image, x, y);
    p[0] = b;
    p[1] = g;
    p[2] = r;
}

struct Bgr {
    int b, g, r;
    bool operator==(const Bgr& o) const { return b == o.b && g == o.g && r == o.r; }
};

inline std::ostream& operator<<(std::ostream& os, const Bgr& c) {
    return os << "(b" << c.b << " g" << c.g << " r" << c.r << ")";
}

inline Bgr GetBgr(CImageObject* image, int x, int y) {
    const uint8_t* p = PixelAt(image, x, y);
    return Bgr{p[0], p[1], p[2]};
}

inline Bgr EntryBgr(const CImageObject* image, int index) {
    const PaletteEntry& e = image->palette[index];
    return Bgr{e.blue, e.green, e.red};
}

// A 24- or 32-bpp image with one pixel per listed colour, in one row.
inline ImagePtr MakeRow(int bitsPerPixel, const std::vector<Bgr>& colors) {
    ImagePtr image = MakeImage(static_cast<int>(colors.size()), 1, bitsPerPixel);
    for (size_t i = 0; i < colors.size(); ++i)
        SetBgr(image.get(), static_cast<int>(i), 0, colors[i].b, colors[i].g, colors[i].r);
    return image;
}

// A 24-bpp image whose pixel i is (i, i, i) for the listed values, so that a
// shared lookup table can be read back from the blue channel.
inline ImagePtr MakeRamp(const std::vector<int>& values) {
    std::vector<Bgr> colors;
    for (int v : values)
        colors.push_back(Bgr{v, v, v});
    return MakeRow(24, colors);
}

// Everything an operation that refuses must leave alone.
struct ImageSnapshot {
    int width, height, bitsPerPixel, paletteCount;
    const uint8_t* bits;
    std::vector<uint8_t> pixels;
    std::vector<PaletteEntry> palette;
    bool complete;

    explicit ImageSnapshot(const CImageObject* image)
        : width(image->width), height(image->height), bitsPerPixel(image->bitsPerPixel),
          paletteCount(image->paletteCount), bits(image->bits), complete(image->complete) {
        if (image->bits)
            pixels.assign(image->bits, image->bits + static_cast<size_t>(image->stride) *
                                                         static_cast<size_t>(image->height));
        if (image->palette)
            palette.assign(image->palette, image->palette + image->paletteCount);
    }

    void ExpectSame(const CImageObject* image) const {
        ImageSnapshot now(image);
        EXPECT_EQ(now.width, width);
        EXPECT_EQ(now.height, height);
        EXPECT_EQ(now.bitsPerPixel, bitsPerPixel);
        EXPECT_EQ(now.paletteCount, paletteCount);
        EXPECT_EQ(now.bits, bits);
        EXPECT_EQ(now.pixels, pixels);
        EXPECT_TRUE(now.palette == palette);
        EXPECT_EQ(now.complete, complete);
    }
};

// A destination that already holds an unrelated picture.
inline ImagePtr MakeBusyDestination() {
    ImagePtr image = MakeImage(3, 2, 24);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            SetBgr(image.get(), x, y, 11 * x, 22 * y, 33);
    return image;
}

// Records progress calls.
struct ProgressLog {
    struct Call {
        uintptr_t value;
        int first;
        int count;
        bool operator==(const Call& o) const {
            return value == o.value && first == o.first && count == o.count;
        }
    };
    std::vector<Call> calls;

    static void Record(uintptr_t value, int first, int count) {
        Current()->calls.push_back(Call{value, first, count});
    }
    static ProgressLog*& Current() {
        static ProgressLog* current = nullptr;
        return current;
    }
};

inline std::ostream& operator<<(std::ostream& os, const ProgressLog::Call& c) {
    return os << "{" << c.value << ", " << c.first << ", " << c.count << "}";
}
