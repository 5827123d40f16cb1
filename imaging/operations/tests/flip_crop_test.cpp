// Flip and crop: pixel placement at every depth, 1-bpp bit alignment, the
// rectangle checks, and the in-place destination of the flip.
#include <climits>
#include <cstdint>

#include <gtest/gtest.h>

#include "imaging/operations/crop_op.h"
#include "imaging/operations/flip_op.h"
#include "imaging/operations/tests/geometry_test_image.h"

using namespace geotest;

namespace {

struct SizeCase {
    int width, height, bitsPerPixel;
};

const SizeCase kFlipCases[] = {
    {13, 5, 1}, {16, 3, 1}, {1, 1, 1}, {7, 4, 8}, {5, 3, 24}, {1, 2, 24}, {6, 5, 32},
};

void ExpectFinished(const CImageObject* dest) {
    EXPECT_TRUE(dest->complete);
    EXPECT_EQ(dest->rowsDecoded, dest->height);
    EXPECT_FALSE(dest->notLoaded);
}

TEST(FlipOp, HorizontalMirrorsColumnsAndTwiceRestores) {
    for (const SizeCase& c : kFlipCases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bitsPerPixel);
        Image src = MakePattern(c.width, c.height, c.bitsPerPixel, 7);
        if (c.bitsPerPixel == 8)
            MarkPalette(src.get());
        Image once(new CImageObject());
        Image twice(new CImageObject());
        CFlipOp flip; // horizontal by default
        ASSERT_TRUE(flip.Apply(once.get(), src.get()));
        ASSERT_EQ(once->width, c.width);
        ASSERT_EQ(once->height, c.height);
        ASSERT_EQ(once->bitsPerPixel, c.bitsPerPixel);
        EXPECT_EQ(once->fullWidth, c.width);
        EXPECT_EQ(once->fullHeight, c.height);
        ExpectFinished(once.get());
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                ASSERT_EQ(Get(once.get(), x, y), Get(src.get(), c.width - 1 - x, y))
                    << "at " << x << "," << y;
        ASSERT_TRUE(flip.Apply(twice.get(), once.get()));
        ExpectSamePixels(twice.get(), src.get());
    }
}

TEST(FlipOp, VerticalReversesRowsAndKeepsOneRowImages) {
    for (const SizeCase& c : kFlipCases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bitsPerPixel);
        Image src = MakePattern(c.width, c.height, c.bitsPerPixel, 3);
        Image dest(new CImageObject());
        CFlipOp flip;
        flip.direction = CFlipOp::kVertical;
        ASSERT_TRUE(flip.Apply(dest.get(), src.get()));
        ExpectFinished(dest.get());
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                ASSERT_EQ(Get(dest.get(), x, y), Get(src.get(), x, c.height - 1 - y));
    }
    Image row = MakePattern(9, 1, 24, 5);
    Image dest(new CImageObject());
    CFlipOp flip;
    flip.direction = CFlipOp::kVertical;
    ASSERT_TRUE(flip.Apply(dest.get(), row.get()));
    ExpectSamePixels(dest.get(), row.get());
}

// The unused low bits of a 1-bpp row's last byte may hold anything; they must
// not slide into the mirrored pixels, and the result's own padding is clear.
TEST(FlipOp, BitRowPaddingDoesNotLeakIntoPixels) {
    Image src = MakePattern(13, 2, 1, 11);
    for (int y = 0; y < 2; ++y)
        Row(src.get(), y)[1] |= 0x07; // pixels 13..15 do not exist
    Image dest(new CImageObject());
    CFlipOp flip;
    ASSERT_TRUE(flip.Apply(dest.get(), src.get()));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(Get(dest.get(), x, y), Get(src.get(), 12 - x, y));
        EXPECT_EQ(Row(dest.get(), y)[1] & 0x07, 0);
    }
}

TEST(FlipOp, WritesIntoCallersDestinationWhenAskedAndRefusesAMismatch) {
    Image src = MakePattern(5, 4, 8, 2);
    MarkPalette(src.get());
    Image dest = Make(5, 4, 8, 256);
    uint8_t* const bitsBefore = dest->bits;
    CFlipOp flip;
    flip.createDestination = false;
    ASSERT_TRUE(flip.Apply(dest.get(), src.get()));
    EXPECT_EQ(dest->bits, bitsBefore); // the caller's bitmap is kept
    EXPECT_TRUE(dest->palette[9] == src->palette[9]);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(Get(dest.get(), x, y), Get(src.get(), 4 - x, y));

    Image wrongSize = MakePattern(4, 4, 8, 9);
    const std::vector<uint8_t> before(wrongSize->bits, wrongSize->bits + wrongSize->stride * 4);
    EXPECT_FALSE(flip.Apply(wrongSize.get(), src.get()));
    EXPECT_EQ(std::vector<uint8_t>(wrongSize->bits, wrongSize->bits + wrongSize->stride * 4),
              before);
    EXPECT_FALSE(flip.Apply(src.get(), src.get()));
}

TEST(CropOp, CopiesTheRectangleAtEveryDepth) {
    const SizeCase cases[] = {{9, 6, 8}, {9, 6, 24}, {9, 6, 32}, {40, 6, 1}};
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "depth " << c.bitsPerPixel);
        Image src = MakePattern(c.width, c.height, c.bitsPerPixel, 4);
        if (c.bitsPerPixel == 8)
            MarkPalette(src.get());
        // An interior rectangle, and one that reaches the right and bottom edges.
        const int rects[][4] = {{2, 1, 4, 3}, {c.width - 5, c.height - 2, 5, 2}};
        for (const auto& r : rects) {
            Image dest(new CImageObject());
            CCropOp crop;
            crop.x = r[0];
            crop.y = r[1];
            crop.width = r[2];
            crop.height = r[3];
            ASSERT_TRUE(crop.Apply(dest.get(), src.get())) << r[0] << "," << r[1];
            ASSERT_EQ(dest->width, r[2]);
            ASSERT_EQ(dest->height, r[3]);
            ASSERT_EQ(dest->bitsPerPixel, c.bitsPerPixel);
            EXPECT_EQ(dest->fullWidth, r[2]);
            ASSERT_EQ(dest->paletteCount, src->paletteCount);
            for (int i = 0; i < dest->paletteCount; ++i)
                EXPECT_TRUE(dest->palette[i] == src->palette[i]);
            ExpectFinished(dest.get());
            for (int y = 0; y < r[3]; ++y)
                for (int x = 0; x < r[2]; ++x)
                    ASSERT_EQ(Get(dest.get(), x, y), Get(src.get(), r[0] + x, r[1] + y));
        }
    }
}

TEST(CropOp, RefusesRectanglesOutsideTheImageAndLeavesTheDestination) {
    struct Rect {
        int x, y, width, height;
    };
    const Rect bad[] = {
        {-1, 0, 2, 2},      {0, -1, 2, 2},      {0, 0, 0, 2},           {0, 0, 2, 0},
        {0, 0, -3, 2},      {1, 0, 8, 2},       {0, 1, 2, 6},           {8, 0, 1, 1},
        {INT_MAX, 0, 2, 2}, {0, 0, INT_MAX, 1}, {0, INT_MAX - 1, 1, 5},
    };
    Image src = MakePattern(8, 6, 24, 1);
    for (const Rect& r : bad) {
        SCOPED_TRACE(testing::Message() << r.x << "," << r.y << " " << r.width << "x" << r.height);
        Image dest = MakePattern(3, 2, 24, 9);
        const std::vector<uint8_t> before(dest->bits, dest->bits + dest->stride * 2);
        uint8_t* const bitsBefore = dest->bits;
        CCropOp crop;
        crop.x = r.x;
        crop.y = r.y;
        crop.width = r.width;
        crop.height = r.height;
        EXPECT_FALSE(crop.Apply(dest.get(), src.get()));
        EXPECT_EQ(dest->bits, bitsBefore);
        EXPECT_EQ(dest->width, 3);
        EXPECT_EQ(std::vector<uint8_t>(dest->bits, dest->bits + dest->stride * 2), before);
        EXPECT_FALSE(dest->notLoaded);
    }
}

// Each 1-bpp row is realigned to its own source row, including crops that
// end on a row's last pixel, where the source has no byte after the span.
TEST(CropOp, RealignsBitRows) {
    struct Case {
        int srcWidth, x, width;
    };
    const Case cases[] = {{29, 3, 20}, {32, 1, 31}, {32, 3, 29}, {24, 8, 16},
                          {17, 0, 17}, {64, 7, 57}, {10, 9, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.srcWidth << " from " << c.x << " width " << c.width);
        Image src = MakePattern(c.srcWidth, 4, 1, static_cast<uint32_t>(c.x + c.width));
        Image dest(new CImageObject());
        CCropOp crop;
        crop.x = c.x;
        crop.y = 1;
        crop.width = c.width;
        crop.height = 3;
        ASSERT_TRUE(crop.Apply(dest.get(), src.get()));
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < c.width; ++x)
                ASSERT_EQ(Get(dest.get(), x, y), Get(src.get(), c.x + x, y + 1)) << x << "," << y;
            const int tail = c.width & 7;
            if (tail) {
                EXPECT_EQ(Row(dest.get(), y)[c.width / 8] & (0xFF >> tail), 0) << "padding";
            }
        }
    }
}

} // namespace
