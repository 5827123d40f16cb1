// The pixel mapping of the indexed-colour reduction keeps the chosen entry's
// colour beside its index in the inverse colour map. Its result must stay
// what the mapping gave when each cell held only the index: the reference
// below is that mapping, with each cell's entry found by trying every palette
// colour against the cell's centre (the block search only skips entries that
// cannot win), and the same serpentine error diffusion.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "imaging/operations/indexed_color_op.h"
#include "imaging/operations/tests/op_test_image.h"

namespace {

int Clamp255(int v) {
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

int LimitError(int x) {
    x = x < -255 ? -255 : x > 255 ? 255 : x;
    const int a = x < 0 ? -x : x;
    const int l = a < 16 ? a : a < 48 ? 16 + (a - 16) / 2 : 32;
    return x < 0 ? -l : l;
}

// The palette entry nearest the centre of cell (b, g, r) of the 5-6-5 grid,
// blue weighing 1, green 3, red 2; the first of equals.
int NearestEntry(const PaletteEntry* palette, int count, int b, int g, int r) {
    const int cb = 8 * b + 4, cg = 4 * g + 2, cr = 8 * r + 4;
    int best = 0;
    int32_t bestDistance = INT32_MAX;
    for (int i = 0; i < count; ++i) {
        const PaletteEntry& p = palette[i];
        const int db = cb - p.blue, dg = (cg - p.green) * 3, dr = (cr - p.red) * 2;
        const int32_t d = db * db + dg * dg + dr * dr;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

// The indices the reduction must give for src with result's palette.
// (A one-colour result's padding entry repeats entry 0 and so never wins.)
std::vector<uint8_t> ReferenceIndices(CImageObject* src, const CImageObject* result, bool diffuse) {
    std::vector<int> cells(32 * 64 * 32, -1);
    const int width = src->width;
    std::vector<uint8_t> out(static_cast<size_t>(width) * src->height);
    std::vector<int> errors((static_cast<size_t>(width) + 2) * 3, 0);
    for (int y = 0; y < src->height; ++y) {
        const bool forward = (y & 1) == 0;
        const int dir = forward ? 1 : -1;
        int pos = forward ? 0 : width + 1;
        int cur[3] = {}, a[3] = {}, b[3] = {};
        for (int n = 0; n < width; ++n) {
            const int x = forward ? n : width - 1 - n;
            const uint8_t* px = PixelAt(src, x, y);
            int v[3];
            for (int c = 0; c < 3; ++c)
                v[c] = diffuse
                           ? Clamp255(LimitError((cur[c] + errors[(pos + dir) * 3 + c] + 8) >> 4) +
                                      px[c])
                           : px[c];
            int& cell =
                cells[(static_cast<size_t>(v[0] >> 3) * 64 + (v[1] >> 2)) * 32 + (v[2] >> 3)];
            if (cell < 0)
                cell = NearestEntry(result->palette, result->paletteCount, v[0] >> 3, v[1] >> 2,
                                    v[2] >> 3);
            out[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(cell);
            const PaletteEntry& p = result->palette[cell];
            const int chosen[3] = {p.blue, p.green, p.red};
            for (int c = 0; c < 3; ++c) {
                const int err = v[c] - chosen[c];
                errors[pos * 3 + c] = a[c] + 3 * err;
                a[c] = b[c] + 5 * err;
                b[c] = err;
                cur[c] = 7 * err;
            }
            pos += dir;
        }
        for (int c = 0; c < 3; ++c)
            errors[pos * 3 + c] = a[c];
    }
    return out;
}

ImagePtr MakeTestImage(const char* kind, int depth, int width, int height) {
    ImagePtr image = MakeImage(width, height, depth);
    uint32_t seed = 12345u;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const uint8_t noise = static_cast<uint8_t>(seed >> 16);
            if (std::strcmp(kind, "noise") == 0)
                SetBgr(image.get(), x, y, noise, static_cast<uint8_t>(seed >> 8),
                       static_cast<uint8_t>(seed >> 24));
            else if (std::strcmp(kind, "photo-like") == 0)
                SetBgr(image.get(), x, y, static_cast<uint8_t>((x * 7 + y * 3) >> 4),
                       static_cast<uint8_t>((x ^ y) + (y >> 3)),
                       static_cast<uint8_t>((x * x + y) >> 6));
            else if (std::strcmp(kind, "extremes") == 0) // black, white and saturated colours
                SetBgr(image.get(), x, y, (noise & 1) ? 255 : 0, (noise & 2) ? 255 : 0,
                       (noise & 4) ? 255 : 0);
            else // one colour
                SetBgr(image.get(), x, y, 90, 140, 200);
            if (depth == 32)
                PixelAt(image.get(), x, y)[3] = noise;
        }
    return image;
}

TEST(IndexedColorMapping, GivesTheIndicesOfTheIndexOnlyMapping) {
    struct Case {
        const char* kind;
        int depth, width, height, colors, dither;
    } cases[] = {
        {"photo-like", 24, 203, 67, 256, 1},
        {"photo-like", 32, 64, 40, 16, 1},
        {"noise", 24, 97, 31, 256, 1},
        {"noise", 24, 50, 20, 2, 1},
        {"noise", 32, 41, 13, 64, 0},
        {"extremes", 24, 33, 17, 8, 1},
        {"one colour", 24, 9, 5, 256, 1},
        {"photo-like", 24, 1, 30, 4, 1},
        // From a megapixel on the whole map is filled before the walk.
        {"noise", 24, 1024, 1024, 256, 1},
        {"photo-like", 32, 1031, 1021, 256, 1},
        {"extremes", 24, 1025, 1024, 16, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.kind << " " << c.width << "x" << c.height << " at " << c.depth << " bpp, "
                     << c.colors << " colours, dither " << c.dither);
        ImagePtr src = MakeTestImage(c.kind, c.depth, c.width, c.height);
        CIndexedColorOp op;
        op.colorCount = c.colors;
        op.dither = c.dither;
        CImageObject dest;
        ASSERT_TRUE(op.Apply(&dest, src.get()));
        ASSERT_EQ(dest.bitsPerPixel, 8);
        const std::vector<uint8_t> expected = ReferenceIndices(src.get(), &dest, c.dither == 1);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                ASSERT_EQ(*PixelAt(&dest, x, y), expected[static_cast<size_t>(y) * c.width + x])
                    << "at " << x << "," << y;
    }
}

} // namespace
