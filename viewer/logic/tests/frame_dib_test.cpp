#include "viewer/logic/frame_dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using viewer::DibError;
using viewer::DibSource;

uint32_t Read32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// A 24-bit image whose row y is filled with byte y + 1 (top row first).
struct Rows {
    int32_t width, height, stride;
    std::vector<uint8_t> pixels;
    Rows(int32_t w, int32_t h) : width(w), height(h), stride(((w * 3) + 3) & ~3) {
        pixels.resize(static_cast<size_t>(stride) * h);
        for (int32_t y = 0; y < h; ++y)
            std::memset(&pixels[static_cast<size_t>(y) * stride], y + 1, stride);
    }
    DibSource Source() const {
        DibSource s;
        s.width = width;
        s.height = height;
        s.bitsPerPixel = 24;
        s.stride = stride;
        s.rowFromTop = [this](int32_t y) { return &pixels[static_cast<size_t>(y) * stride]; };
        return s;
    }
};

TEST(FrameDib, HeaderAndBottomUpRows) {
    const Rows image(200, 100);
    DibError error;
    const size_t size = viewer::PackedDibSize(image.Source(), &error);
    ASSERT_EQ(error, DibError::None);
    ASSERT_EQ(size, 60040u);
    std::vector<uint8_t> block(size, 0xEE);
    ASSERT_EQ(viewer::WritePackedDib(image.Source(), block.data(), block.size()), DibError::None);
    const uint8_t* h = block.data();
    EXPECT_EQ(Read32(h), 40u);
    EXPECT_EQ(Read32(h + 4), 200u);
    EXPECT_EQ(Read32(h + 8), 100u); // positive: bottom-up
    EXPECT_EQ(Read16(h + 12), 1);
    EXPECT_EQ(Read16(h + 14), 24);
    EXPECT_EQ(Read32(h + 16), 0u);     // BI_RGB
    EXPECT_EQ(Read32(h + 20), 60000u); // stride x height
    EXPECT_EQ(Read32(h + 24), 0u);
    EXPECT_EQ(Read32(h + 28), 0u);
    EXPECT_EQ(Read32(h + 32), 0u);
    EXPECT_EQ(Read32(h + 36), 0u);
    // The first row in the block is the image's last row, the last its first.
    EXPECT_EQ(block[40], 100);
    EXPECT_EQ(block[40 + 600], 99);
    EXPECT_EQ(block[size - 1], 1);
}

TEST(FrameDib, PaletteFollowsTheHeader) {
    const int32_t width = 3, height = 2, stride = 4;
    std::vector<uint8_t> pixels = {0, 1, 0, 0, 1, 0, 1, 0};
    const uint8_t palette[8] = {10, 20, 30, 99, 40, 50, 60, 77};
    DibSource s;
    s.width = width;
    s.height = height;
    s.bitsPerPixel = 8;
    s.stride = stride;
    s.paletteCount = 2;
    s.palette = palette;
    s.rowFromTop = [&](int32_t y) { return &pixels[static_cast<size_t>(y) * stride]; };
    DibError error;
    const size_t size = viewer::PackedDibSize(s, &error);
    ASSERT_EQ(size, 40u + 8u + 8u);
    std::vector<uint8_t> block(size);
    ASSERT_EQ(viewer::WritePackedDib(s, block.data(), size), DibError::None);
    EXPECT_EQ(Read32(block.data() + 32), 2u);
    // Entries are blue, green, red and a zero byte.
    const uint8_t expectedPalette[8] = {10, 20, 30, 0, 40, 50, 60, 0};
    EXPECT_EQ(std::memcmp(block.data() + 40, expectedPalette, 8), 0);
    const uint8_t expectedRows[8] = {1, 0, 1, 0, 0, 1, 0, 0};
    EXPECT_EQ(std::memcmp(block.data() + 48, expectedRows, 8), 0);
}

TEST(FrameDib, UnsoundSourcesAreRefused) {
    const Rows image(4, 4);
    struct Case {
        const char* name;
        DibSource source;
        DibError expected;
    };
    DibSource zeroWidth = image.Source();
    zeroWidth.width = 0;
    DibSource oddStride = image.Source();
    oddStride.stride = 13;
    DibSource shortStride = image.Source();
    shortStride.stride = 8; // 4 pixels of 24 bits need 12 bytes
    DibSource depth = image.Source();
    depth.bitsPerPixel = 16;
    DibSource noPalette = image.Source();
    noPalette.bitsPerPixel = 8;
    noPalette.paletteCount = 4;
    DibSource hugePalette = image.Source();
    hugePalette.paletteCount = 257;
    DibSource huge = image.Source();
    huge.width = 30000;
    huge.stride = 90000;
    huge.height = 30000; // 2.7 GB
    const Case cases[] = {
        {"zero width", zeroWidth, DibError::BadSize},
        {"stride not a multiple of 4", oddStride, DibError::BadSize},
        {"stride shorter than a row", shortStride, DibError::BadSize},
        {"16 bits", depth, DibError::BadDepth},
        {"palette missing", noPalette, DibError::BadPalette},
        {"palette too long", hugePalette, DibError::BadPalette},
        {"block over 2 GB", huge, DibError::TooLarge},
    };
    for (const Case& c : cases) {
        DibError error = DibError::None;
        EXPECT_EQ(viewer::PackedDibSize(c.source, &error), 0u) << c.name;
        EXPECT_EQ(error, c.expected) << c.name;
        uint8_t small[64];
        EXPECT_EQ(viewer::WritePackedDib(c.source, small, sizeof small), c.expected) << c.name;
    }
}

TEST(FrameDib, MissingRowOrShortBufferFails) {
    const Rows image(4, 4);
    DibSource s = image.Source();
    s.rowFromTop = [&](int32_t y) -> const uint8_t* {
        return y == 2 ? nullptr : &image.pixels[static_cast<size_t>(y) * image.stride];
    };
    DibError error;
    const size_t size = viewer::PackedDibSize(s, &error);
    std::vector<uint8_t> block(size);
    EXPECT_EQ(viewer::WritePackedDib(s, block.data(), size), DibError::MissingRow);
    EXPECT_EQ(viewer::WritePackedDib(image.Source(), block.data(), size - 1),
              DibError::BufferTooSmall);
}

} // namespace
