// Resize: the target size of every mode, the area-averaged values (with a
// reference worked out by hand for a 3 -> 2 reduction), the depth of the
// result, upscaling and odd ratios that must stay inside every row, and the
// pixels of the first form of the resampler at every ratio.
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/operations/resize_op.h"
#include "imaging/operations/tests/geometry_test_image.h"

using namespace geotest;

namespace {

struct TargetCase {
    const char* name;
    int srcWidth, srcHeight;   // bitmap size
    int fullWidth, fullHeight; // 0: same as the bitmap
    int mode, percent, boxWidth, boxHeight;
    bool ok;
    int width, height; // expected when ok
};

const TargetCase kTargets[] = {
    {"exact", 200, 100, 0, 0, CImageSizeOp::kExactSize, 0, 30, 70, true, 30, 70},
    {"percent", 200, 100, 0, 0, CImageSizeOp::kPercent, 50, 0, 0, true, 100, 50},
    {"percent up", 20, 10, 0, 0, CImageSizeOp::kPercent, 250, 0, 0, true, 50, 25},
    {"fit wide", 200, 100, 0, 0, CImageSizeOp::kFitBox, 0, 100, 100, true, 100, 50},
    {"fit tall", 100, 200, 0, 0, CImageSizeOp::kFitBox, 0, 100, 100, true, 50, 100},
    {"fit enlarges", 200, 100, 0, 0, CImageSizeOp::kFitBox, 0, 400, 400, true, 400, 200},
    {"fit from full size", 100, 50, 400, 200, CImageSizeOp::kFitBox, 0, 200, 200, true, 200, 100},
    {"fit keeps a side of 1", 1000, 1, 0, 0, CImageSizeOp::kFitBox, 0, 10, 10, true, 10, 1},
    {"shrink", 200, 100, 0, 0, CImageSizeOp::kShrinkToBox, 0, 100, 100, true, 100, 50},
    {"shrink, already fits", 200, 100, 0, 0, CImageSizeOp::kShrinkToBox, 0, 300, 300, false, 0, 0},
    {"shrink, one side too big", 200, 100, 0, 0, CImageSizeOp::kShrinkToBox, 0, 150, 300, true, 150,
     75},
    {"enlarge", 200, 100, 0, 0, CImageSizeOp::kEnlargeToBox, 0, 400, 400, true, 400, 200},
    {"enlarge, already bigger", 200, 100, 0, 0, CImageSizeOp::kEnlargeToBox, 0, 100, 100, false, 0,
     0},
    {"zero width", 20, 10, 0, 0, CImageSizeOp::kExactSize, 0, 0, 5, false, 0, 0},
    {"negative height", 20, 10, 0, 0, CImageSizeOp::kExactSize, 0, 5, -5, false, 0, 0},
    {"percent 0", 20, 10, 0, 0, CImageSizeOp::kPercent, 0, 0, 0, false, 0, 0},
    {"percent too small", 20, 10, 0, 0, CImageSizeOp::kPercent, 5, 0, 0, false, 0, 0},
    {"percent negative", 20, 10, 0, 0, CImageSizeOp::kPercent, -50, 0, 0, false, 0, 0},
    {"percent beyond int", 200, 100, 0, 0, CImageSizeOp::kPercent, INT_MAX, 0, 0, false, 0, 0},
    {"empty box", 20, 10, 0, 0, CImageSizeOp::kFitBox, 0, 0, 10, false, 0, 0},
    {"unknown mode", 20, 10, 0, 0, 7, 50, 10, 10, false, 0, 0},
};

TEST(ImageSizeOp, TargetSizeOfEveryMode) {
    for (const TargetCase& c : kTargets) {
        SCOPED_TRACE(c.name);
        Image src = MakePattern(c.srcWidth, c.srcHeight, 24);
        if (c.fullWidth) {
            src->fullWidth = c.fullWidth;
            src->fullHeight = c.fullHeight;
        }
        Image dest = Make(3, 2, 24);
        dest->notLoaded = true;
        uint8_t* const bitsBefore = dest->bits;
        CImageSizeOp op;
        op.mode = c.mode;
        op.percent = c.percent;
        op.width = c.boxWidth;
        op.height = c.boxHeight;
        ASSERT_EQ(op.Apply(dest.get(), src.get()), c.ok);
        if (c.ok) {
            EXPECT_EQ(dest->width, c.width);
            EXPECT_EQ(dest->height, c.height);
            EXPECT_EQ(dest->fullWidth, c.width);
            EXPECT_EQ(dest->fullHeight, c.height);
            EXPECT_TRUE(dest->complete);
            EXPECT_EQ(dest->rowsDecoded, c.height);
            EXPECT_FALSE(dest->notLoaded);
        } else {
            EXPECT_EQ(dest->bits, bitsBefore); // nothing done
            EXPECT_EQ(dest->width, 3);
        }
    }
}

Image Resize(const CImageObject* src, int width, int height) {
    Image dest(new CImageObject());
    CImageSizeOp op;
    op.width = width;
    op.height = height;
    EXPECT_TRUE(op.Apply(dest.get(), const_cast<CImageObject*>(src)));
    return dest;
}

TEST(ImageSizeOp, AveragesAreasWithHalvesRoundingUp) {
    // (0, 255) -> 127.5, which rounds to 128.
    Image pair = Make(2, 1, 24);
    Set(pair.get(), 1, 0, 0xFFFFFF);
    Image half = Resize(pair.get(), 1, 1);
    EXPECT_EQ(Get(half.get(), 0, 0), 0x808080u);

    // The same across rows, so the vertical pass rounds the same way.
    Image column = Make(1, 2, 24);
    Set(column.get(), 0, 1, 0xFFFFFF);
    EXPECT_EQ(Get(Resize(column.get(), 1, 1).get(), 0, 0), 0x808080u);

    // A uniform image stays uniform on both axes (no half level gained per
    // pass), the fourth byte of 32-bpp pixels included.
    for (int depth : {24, 32}) {
        Image flat = Make(4, 4, depth);
        FillAll(flat.get(), 0x64646464u);
        Image small = Resize(flat.get(), 2, 2);
        ASSERT_EQ(small->bitsPerPixel, depth);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                EXPECT_EQ(Get(small.get(), x, y), depth == 32 ? 0x64646464u : 0x646464u);
    }
}

// 3 -> 2 on an axis: each source pixel covers 2/3 of an output pixel, so
// output 0 = (2 p0 + p1) / 3 and output 1 = (p1 + 2 p2) / 3. The vertical
// pass runs first and is rounded (+0.5, truncated) to a whole value; the
// horizontal pass then works on those values and is rounded the same way.
// In integers, round((a + b + c) / 3) = (2 (a + b + c) + 3) / 6.
int RoundThird(int sum) {
    return (2 * sum + 3) / 6;
}

TEST(ImageSizeOp, ThreeByThreeRampMatchesTheWorkedReference) {
    // Each channel gets its own ramp so that a swapped channel shows.
    auto value = [](int channel, int x, int y) { return 10 * x + 40 * y + 7 * channel; };
    Image src = Make(3, 3, 32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            uint32_t v = 0;
            for (int ch = 3; ch >= 0; --ch)
                v = (v << 8) | static_cast<uint32_t>(value(ch, x, y));
            Set(src.get(), x, y, v);
        }
    Image dest = Resize(src.get(), 2, 2);
    for (int ch = 0; ch < 4; ++ch) {
        int vertical[2][3];
        for (int x = 0; x < 3; ++x) {
            vertical[0][x] = RoundThird(2 * value(ch, x, 0) + value(ch, x, 1));
            vertical[1][x] = RoundThird(value(ch, x, 1) + 2 * value(ch, x, 2));
        }
        for (int y = 0; y < 2; ++y) {
            const int expected[2] = {RoundThird(2 * vertical[y][0] + vertical[y][1]),
                                     RoundThird(vertical[y][1] + 2 * vertical[y][2])};
            for (int x = 0; x < 2; ++x)
                EXPECT_EQ(static_cast<int>((Get(dest.get(), x, y) >> (8 * ch)) & 0xFF), expected[x])
                    << "channel " << ch << " at " << x << "," << y;
        }
    }
    // Blue channel spelled out: vertical rows (13, 23, 33) and (67, 77, 87).
    EXPECT_EQ(Get(dest.get(), 0, 0) & 0xFF, 16u);
    EXPECT_EQ(Get(dest.get(), 1, 0) & 0xFF, 30u);
    EXPECT_EQ(Get(dest.get(), 0, 1) & 0xFF, 70u);
    EXPECT_EQ(Get(dest.get(), 1, 1) & 0xFF, 84u);
}

TEST(ImageSizeOp, PaletteImagesBecomeTwentyFourBit) {
    Image indexed = Make(4, 2, 8, 4);
    indexed->palette[0] = PaletteEntry{10, 20, 30, 0};
    indexed->palette[3] = PaletteEntry{200, 150, 100, 0};
    for (int x = 0; x < 4; ++x) {
        Set(indexed.get(), x, 0, 3);
        Set(indexed.get(), x, 1, x == 0 ? 0 : 250); // 250: beyond the palette, the last entry
    }
    Image a = Resize(indexed.get(), 2, 2);
    ASSERT_EQ(a->bitsPerPixel, 24);
    EXPECT_EQ(a->paletteCount, 0);
    EXPECT_EQ(Get(a.get(), 1, 0), 0x6496C8u); // entry 3 as red, green, blue bytes
    EXPECT_EQ(Get(a.get(), 1, 1), 0x6496C8u);
    EXPECT_EQ(Get(a.get(), 0, 1), 0x415569u); // half entry 0, half entry 3: (105, 85, 65)

    Image bitmap = Make(8, 1, 1); // palette black and white
    Row(bitmap.get(), 0)[0] = 0x0F;
    Image b = Resize(bitmap.get(), 2, 1);
    ASSERT_EQ(b->bitsPerPixel, 24);
    EXPECT_EQ(Get(b.get(), 0, 0), 0u);
    EXPECT_EQ(Get(b.get(), 1, 0), 0xFFFFFFu);
}

// Every ratio between small sizes, up and down: a uniform colour comes out
// on every pixel (none skipped) and the row padding is never written.
TEST(ImageSizeOp, AllRatiosStayInsideTheRows) {
    for (int depth : {24, 32}) {
        for (int sw = 1; sw <= 7; ++sw)
            for (int w = 1; w <= 17; ++w) {
                const int sh = 8 - sw;
                const int h = 18 - w;
                SCOPED_TRACE(testing::Message()
                             << depth << ": " << sw << "x" << sh << " -> " << w << "x" << h);
                Image src = Make(sw, sh, depth);
                FillAll(src.get(), 0x5A3C96C8u);
                Image dest = Resize(src.get(), w, h);
                ASSERT_EQ(dest->width, w);
                const uint32_t expected = depth == 32 ? 0x5A3C96C8u : 0x3C96C8u;
                const int used = w * depth / 8;
                for (int y = 0; y < h; ++y) {
                    for (int x = 0; x < w; ++x)
                        ASSERT_EQ(Get(dest.get(), x, y), expected) << x << "," << y;
                    for (int k = used; k < dest->stride; ++k)
                        ASSERT_EQ(Row(dest.get(), y)[k], 0) << "padding byte " << k;
                }
            }
    }
}

TEST(ImageSizeOp, UpscalesTwoByTwoToFiveByFive) {
    Image src = Make(2, 2, 24);
    Set(src.get(), 0, 0, 0x000000);
    Set(src.get(), 1, 0, 0x0000FF);
    Set(src.get(), 0, 1, 0x00FF00);
    Set(src.get(), 1, 1, 0xFF0000);
    Image dest = Resize(src.get(), 5, 5);
    // 2.5 output pixels per source pixel: columns 0-1 and 3-4 copy a source
    // column, column 2 is the mean of both; likewise for rows.
    EXPECT_EQ(Get(dest.get(), 0, 0), 0x000000u);
    EXPECT_EQ(Get(dest.get(), 4, 0), 0x0000FFu);
    EXPECT_EQ(Get(dest.get(), 2, 0), 0x000080u);
    EXPECT_EQ(Get(dest.get(), 4, 4), 0xFF0000u);
    EXPECT_EQ(Get(dest.get(), 0, 2), 0x008000u);
    EXPECT_EQ(Get(dest.get(), 2, 2), 0x404040u);
}

// The resampler as it first stood: one walk per row that adds and rounds as
// it goes, and a vertical pass that rounds one value at a time. Faster forms
// must give exactly its pixels.
namespace reference {

uint8_t StoreValue(double v) {
    return v > 255.0 ? uint8_t{255} : static_cast<uint8_t>(static_cast<int>(v + 0.5));
}

void ResampleRow(int channels, uint8_t* out, const uint8_t* in, int sw, int w) {
    if (sw == w) {
        std::memcpy(out, in, static_cast<size_t>(w) * channels);
        return;
    }
    const double step = static_cast<double>(w) / sw;
    double spanx = 1.0;
    double sum[4] = {};
    int index = 0;
    bool finished = false;
    uint8_t* px = out;
    const uint8_t* s = in;
    for (int k = 0; k < sw; ++k, s += channels) {
        double sx = step;
        while (sx >= spanx) {
            if (finished) {
                if (index + 1 >= w)
                    return;
                ++index;
                px += channels;
                for (double& v : sum)
                    v = 0.0;
            }
            for (int c = 0; c < channels; ++c) {
                sum[c] += spanx * s[c];
                px[c] = StoreValue(sum[c]);
            }
            sx -= spanx;
            spanx = 1.0;
            finished = true;
        }
        if (sx > 0.0) {
            if (finished) {
                if (index + 1 >= w)
                    return;
                ++index;
                px += channels;
                for (double& v : sum)
                    v = 0.0;
                finished = false;
            }
            for (int c = 0; c < channels; ++c)
                sum[c] += sx * s[c];
            spanx -= sx;
        }
    }
    if (!finished) {
        const uint8_t* last = in + static_cast<size_t>(sw - 1) * channels;
        for (int c = 0; c < channels; ++c) {
            if (spanx > 0.0)
                sum[c] += spanx * last[c];
            px[c] = StoreValue(sum[c]);
        }
    }
}

Image Resample(const CImageObject* src, int w, int h) {
    const int channels = src->bitsPerPixel / 8;
    const int sw = src->width;
    const int sh = src->height;
    Image dest = Make(w, h, src->bitsPerPixel);
    const size_t values = static_cast<size_t>(sw) * channels;
    std::vector<double> acc(values, 0.0);
    std::vector<uint8_t> column(values);
    const double yStep = static_cast<double>(h) / sh;
    double sy = yStep;
    bool wantRow = true;
    int nextRow = 0;
    const uint8_t* cur = nullptr;
    for (int j = 0; j < h; ++j) {
        const uint8_t* rowIn;
        if (sh == h) {
            rowIn = Row(src, j);
        } else {
            double span = 1.0;
            while (sy < span) {
                if (wantRow && nextRow < sh)
                    cur = Row(src, nextRow++);
                for (size_t k = 0; k < values; ++k)
                    acc[k] += sy * cur[k];
                span -= sy;
                sy = yStep;
                wantRow = true;
            }
            if (wantRow && nextRow < sh) {
                cur = Row(src, nextRow++);
                wantRow = false;
            }
            if (span == 1.0) {
                rowIn = cur;
            } else {
                for (size_t k = 0; k < values; ++k) {
                    column[k] = StoreValue(acc[k] + span * cur[k]);
                    acc[k] = 0.0;
                }
                rowIn = column.data();
            }
            sy -= span;
            if (sy <= 0.0) {
                sy = yStep;
                wantRow = true;
            }
        }
        ResampleRow(channels, Row(dest.get(), j), rowIn, sw, w);
    }
    return dest;
}

} // namespace reference

TEST(ImageSizeOp, GivesThePixelsOfTheOriginalWalkAtEveryRatio) {
    struct Case {
        int sw, sh, w, h;
    };
    // A thumbnail of a 1/8 decode, odd and prime ratios both ways, one axis
    // unchanged, enlargements, and sides of one pixel.
    const Case cases[] = {
        {750, 500, 160, 107}, {500, 750, 80, 120}, {97, 61, 13, 7},   {61, 97, 59, 89},
        {640, 480, 640, 7},   {33, 480, 7, 480},   {10, 10, 37, 23},  {7, 3, 100, 41},
        {1, 50, 3, 4},        {50, 1, 1, 1},       {1000, 3, 999, 2}, {3, 1000, 2, 999},
    };
    for (int depth : {24, 32}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << depth << ": " << c.sw << "x" << c.sh << " -> " << c.w << "x" << c.h);
            // Random pixels, and a copy whose brightest pixels sit at 255,
            // where the rounding meets the clamp.
            for (bool bright : {false, true}) {
                Image src = MakePattern(c.sw, c.sh, depth, static_cast<uint32_t>(c.sw + c.h));
                if (bright)
                    for (int y = 0; y < c.sh; ++y)
                        for (size_t k = 0; k < static_cast<size_t>(c.sw) * depth / 8; ++k)
                            if (Row(src.get(), y)[k] > 128)
                                Row(src.get(), y)[k] = 255;
                Image ours = Resize(src.get(), c.w, c.h);
                Image expected = reference::Resample(src.get(), c.w, c.h);
                ExpectSamePixels(ours.get(), expected.get());
            }
        }
    }
}

TEST(ImageSizeOp, RefusesBadPairsAndSizesBeyondTheBitmapLimit) {
    Image src = MakePattern(4, 4, 24);
    CImageSizeOp op;
    op.width = 2;
    op.height = 2;
    EXPECT_FALSE(op.Apply(src.get(), src.get()));
    EXPECT_FALSE(op.Apply(nullptr, src.get()));
    Image empty(new CImageObject());
    Image dest(new CImageObject());
    EXPECT_FALSE(op.Apply(dest.get(), empty.get()));
    // Sizes that fit an int but no bitmap fail cleanly, with no huge buffers.
    for (auto size :
         {std::make_pair(100000, 100000), std::make_pair(INT_MAX, 1), std::make_pair(1, INT_MAX)}) {
        op.width = size.first;
        op.height = size.second;
        EXPECT_FALSE(op.Apply(dest.get(), src.get()));
    }
}

} // namespace
