// Rotate: the exact quarter and half turns at every depth (checked pixel by
// pixel and by round trips), the general path's size and background, and
// the refusals.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "imaging/operations/rotate_op.h"
#include "imaging/operations/tests/geometry_test_image.h"

using namespace geotest;

namespace {

struct SizeCase {
    int width, height, bitsPerPixel;
};

// Odd sizes, single rows and columns, and sizes past one 64-pixel tile.
const SizeCase kCases[] = {
    {1, 1, 1},  {13, 5, 1}, {9, 70, 1},   {3, 2, 8},  {70, 67, 8}, {1, 6, 8},
    {7, 1, 24}, {5, 3, 24}, {67, 70, 24}, {4, 9, 32}, {65, 3, 32},
};

Image Rotate(const CImageObject* src, double angle) {
    Image dest(new CImageObject());
    CRotateOp op;
    op.angle = angle;
    EXPECT_TRUE(op.Apply(dest.get(), const_cast<CImageObject*>(src))) << angle;
    return dest;
}

Image Source(const SizeCase& c) {
    Image src = MakePattern(c.width, c.height, c.bitsPerPixel,
                            static_cast<uint32_t>(c.width * 31 + c.height));
    if (c.bitsPerPixel == 8)
        MarkPalette(src.get());
    return src;
}

TEST(RotateOp, QuarterAndHalfTurnsMovePixelsExactly) {
    for (const SizeCase& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bitsPerPixel);
        Image src = Source(c);
        const int w = c.width, h = c.height;
        Image cw = Rotate(src.get(), 90.0);
        Image ccw = Rotate(src.get(), 270.0);
        Image half = Rotate(src.get(), 180.0);
        for (const Image* turned : {&cw, &ccw}) {
            ASSERT_EQ((*turned)->width, h);
            ASSERT_EQ((*turned)->height, w);
            EXPECT_EQ((*turned)->fullWidth, h);
            EXPECT_EQ((*turned)->fullHeight, w);
            ASSERT_EQ((*turned)->paletteCount, src->paletteCount);
            EXPECT_TRUE((*turned)->complete);
        }
        ASSERT_EQ(half->width, w);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t v = Get(src.get(), x, y);
                ASSERT_EQ(Get(cw.get(), h - 1 - y, x), v) << "90 at " << x << "," << y;
                ASSERT_EQ(Get(ccw.get(), y, w - 1 - x), v) << "270 at " << x << "," << y;
                ASSERT_EQ(Get(half.get(), w - 1 - x, h - 1 - y), v) << "180 at " << x << "," << y;
            }
        for (int i = 0; i < cw->paletteCount; ++i)
            EXPECT_TRUE(cw->palette[i] == src->palette[i]);
    }
}

TEST(RotateOp, RoundTripsRestoreTheImage) {
    for (const SizeCase& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bitsPerPixel);
        Image src = Source(c);
        ExpectSamePixels(Rotate(Rotate(src.get(), 90.0).get(), 270.0).get(), src.get());
        ExpectSamePixels(Rotate(Rotate(src.get(), 180.0).get(), 180.0).get(), src.get());
        Image turned = Rotate(src.get(), 90.0);
        for (int k = 0; k < 3; ++k)
            turned = Rotate(turned.get(), 90.0);
        ExpectSamePixels(turned.get(), src.get());
    }
}

TEST(RotateOp, ClockwiseQuarterTurnPutsTopLeftAtTopRight) {
    Image src = MakePattern(3, 2, 24, 5);
    Image dest = Rotate(src.get(), 90.0);
    ASSERT_EQ(dest->width, 2);
    ASSERT_EQ(dest->height, 3);
    EXPECT_EQ(Get(dest.get(), 1, 0), Get(src.get(), 0, 0));
}

TEST(RotateOp, HalfTurnWritesIntoCallersDestinationWhenAsked) {
    Image src = MakePattern(6, 3, 24, 8);
    Image dest = Make(6, 3, 24);
    uint8_t* const bitsBefore = dest->bits;
    CRotateOp op;
    op.angle = 180.0;
    op.createDestination = false;
    ASSERT_TRUE(op.Apply(dest.get(), src.get()));
    EXPECT_EQ(dest->bits, bitsBefore);
    EXPECT_EQ(Get(dest.get(), 5, 2), Get(src.get(), 0, 0));
    Image other = Make(3, 6, 24);
    EXPECT_FALSE(op.Apply(other.get(), src.get()));
}

TEST(RotateOp, AngleZeroTakesTheGeneralPathAndCopies) {
    for (const SizeCase& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bitsPerPixel);
        Image src = Source(c);
        ExpectSamePixels(Rotate(src.get(), 0.0).get(), src.get());
    }
}

// 45 degrees on 101 x 101: the corners land at x' = 0, 71, -70, 0 and
// y' = 0, 71, 71, 141, so the box is 142 x 142 with the source's top-left
// pixel at (70, 0); the four corner triangles hold the background.
TEST(RotateOp, FortyFiveDegreesFillsTheCornersWithTheBackground) {
    const uint32_t red24 = 0xFF0000, mark32 = 0x80FF0000;
    struct Case {
        int bitsPerPixel;
        bool setBackground;
        uint32_t background; // expected fill
    };
    const Case cases[] = {
        {24, false, 0u}, {24, true, red24}, {1, false, 1u}, {8, false, 0u}, {32, true, mark32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bitsPerPixel << " bpp");
        Image src = Make(101, 101, c.bitsPerPixel);
        // A source that never equals the background, so every fill shows.
        const uint32_t inside = c.bitsPerPixel == 1 ? 0u : c.bitsPerPixel == 8 ? 7u : 0x123456u;
        FillAll(src.get(), inside);
        CRotateOp op;
        op.angle = 45.0;
        if (c.setBackground) {
            op.backgroundColor[2] = 0xFF; // red
            op.backgroundColor32[2] = 0xFF;
            op.backgroundColor32[3] = 0x80;
        }
        Image dest(new CImageObject());
        ASSERT_TRUE(op.Apply(dest.get(), src.get()));
        ASSERT_EQ(dest->width, 142);
        ASSERT_EQ(dest->height, 142);
        ASSERT_EQ(dest->bitsPerPixel, c.bitsPerPixel);
        for (auto corner :
             {std::make_pair(0, 0), std::make_pair(141, 0), std::make_pair(0, 141),
              std::make_pair(141, 141), std::make_pair(20, 20), std::make_pair(120, 121)})
            EXPECT_EQ(Get(dest.get(), corner.first, corner.second), c.background)
                << corner.first << "," << corner.second;
        for (auto centre : {std::make_pair(70, 0), std::make_pair(70, 70), std::make_pair(71, 140)})
            EXPECT_EQ(Get(dest.get(), centre.first, centre.second), inside)
                << centre.first << "," << centre.second;
    }
}

// Any other angle maps each destination pixel back to the source:
// x' = i + minX, y' = j + minY, source x = trunc(x' cos + y' sin + 0.5),
// source y = trunc(y' cos - x' sin + 0.5), where (minX, minY) is the top-left
// of the box around the rotated corners (the source's (0, 0) stays at (0, 0)).
TEST(RotateOp, GeneralPathSamplesTheNearestSourcePixel) {
    const double angles[] = {30.0, -20.0, 135.0, 200.0};
    for (double angle : angles) {
        SCOPED_TRACE(angle);
        Image src = MakePattern(7, 5, 24, 12);
        Image dest = Rotate(src.get(), angle);
        const double r = angle * 0.017453292519943295; // pi / 180
        const double c = std::cos(r), s = std::sin(r);
        long minX = 0, minY = 0, maxX = 0, maxY = 0;
        for (int k = 0; k < 4; ++k) {
            const double x = (k & 1) ? 6.0 : 0.0, y = (k & 2) ? 4.0 : 0.0;
            const long rx = static_cast<long>(x * c - y * s + 0.5);
            const long ry = static_cast<long>(x * s + y * c + 0.5);
            minX = std::min(minX, rx), maxX = std::max(maxX, rx);
            minY = std::min(minY, ry), maxY = std::max(maxY, ry);
        }
        ASSERT_EQ(dest->width, maxX - minX + 1);
        ASSERT_EQ(dest->height, maxY - minY + 1);
        int inside = 0;
        for (int j = 0; j < dest->height; ++j)
            for (int i = 0; i < dest->width; ++i) {
                const double xp = static_cast<double>(i + minX), yp = static_cast<double>(j + minY);
                const long sx = static_cast<long>(xp * c + yp * s + 0.5);
                const long sy = static_cast<long>(yp * c - xp * s + 0.5);
                const bool in = sx >= 0 && sx < 7 && sy >= 0 && sy < 5;
                inside += in;
                ASSERT_EQ(Get(dest.get(), i, j),
                          in ? Get(src.get(), static_cast<int>(sx), static_cast<int>(sy)) : 0u)
                    << i << "," << j;
            }
        EXPECT_GT(inside, 20);
    }
}

TEST(RotateOp, BackgroundIndexBeyondThePaletteTakesTheLastEntry) {
    Image src = Make(10, 10, 8, 4);
    CRotateOp op;
    op.angle = 30.0;
    op.backgroundIndex = 200;
    Image dest(new CImageObject());
    ASSERT_TRUE(op.Apply(dest.get(), src.get()));
    ASSERT_EQ(dest->paletteCount, 4);
    EXPECT_EQ(Get(dest.get(), 0, 0), 3u);
}

TEST(RotateOp, RefusesNonFiniteAnglesAndBadPairs) {
    Image src = MakePattern(4, 4, 24);
    for (double angle :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()}) {
        Image dest = Make(2, 2, 24);
        CRotateOp op;
        op.angle = angle;
        EXPECT_FALSE(op.Apply(dest.get(), src.get()));
        EXPECT_EQ(dest->width, 2);
    }
    CRotateOp op;
    op.angle = 90.0;
    EXPECT_FALSE(op.Apply(src.get(), src.get()));
    Image empty(new CImageObject());
    Image dest(new CImageObject());
    EXPECT_FALSE(op.Apply(dest.get(), empty.get()));
}

} // namespace
