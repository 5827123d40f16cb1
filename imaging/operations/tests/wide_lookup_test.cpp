// The 64-byte lookup and luma paths must give exactly what the portable
// loops give: rows whose length is no multiple of the block, every channel
// through its own table, the fourth byte kept, nothing written past the
// row, and every lookup-table operation bit for bit the same with the wide
// path allowed and forbidden. On a processor without the wide path both
// runs take the portable loops and must still agree.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/operations/channel_lookup.h"
#include "imaging/operations/color_adjustments.h"
#include "imaging/operations/tone_operations.h"
#include "imaging/operations/wide_lookup.h"
#include "imaging/operations/tests/op_test_image.h"

namespace {

struct Noise {
    uint32_t state;
    uint8_t Next() {
        state = state * 1103515245u + 12345u;
        return static_cast<uint8_t>(state >> 16);
    }
    std::vector<uint8_t> Bytes(size_t count) {
        std::vector<uint8_t> bytes(count);
        for (uint8_t& b : bytes)
            b = Next();
        return bytes;
    }
};

// Restores the process-wide choice when a test ends, also on failure.
struct WidePathScope {
    explicit WidePathScope(bool allowed) { CChannelLookup::AllowWidePath(allowed); }
    ~WidePathScope() { CChannelLookup::AllowWidePath(true); }
};

// Row lengths around the 64-byte vector and the 192-byte block of 24 bpp.
const int kWidths[] = {1, 15, 16, 17, 21, 63, 64, 65, 127, 128, 129, 191, 192, 193, 641, 1025};

TEST(WideLookup, RowsMatchPortableLoop) {
    Noise noise{17u};
    struct Tables {
        const char* name;
        std::vector<uint8_t> blue, green, red;
    };
    std::vector<Tables> tables;
    {
        std::vector<uint8_t> curve(256), other(256);
        for (int i = 0; i < 256; ++i) {
            curve[i] = static_cast<uint8_t>(i * i / 255);
            other[i] = static_cast<uint8_t>(i / 3 + 7);
        }
        tables.push_back({"shared curve", curve, curve, curve});
        // Tables that differ in both halves, so that a byte looked up in
        // the wrong channel or the wrong half shows.
        tables.push_back({"per channel", noise.Bytes(256), noise.Bytes(256), noise.Bytes(256)});
        tables.push_back({"two equal", curve, other, curve});
    }
    for (const Tables& t : tables) {
        for (int depth : {24, 32}) {
            for (int width : kWidths) {
                for (bool inPlace : {false, true}) {
                    SCOPED_TRACE(testing::Message() << t.name << ", " << depth << " bpp, width "
                                                    << width << (inPlace ? ", in place" : ""));
                    const int bytesPerPixel = depth / 8;
                    const size_t rowBytes = static_cast<size_t>(width) * bytesPerPixel;
                    // One byte in, so that no load is aligned.
                    const std::vector<uint8_t> src = noise.Bytes(rowBytes + 1);
                    std::vector<uint8_t> expected(rowBytes);
                    for (size_t i = 0; i < rowBytes; ++i) {
                        const uint8_t v = src[i + 1];
                        const size_t channel = i % bytesPerPixel;
                        expected[i] = channel == 0   ? t.blue[v]
                                      : channel == 1 ? t.green[v]
                                      : channel == 2 ? t.red[v]
                                                     : v;
                    }
                    for (bool wide : {true, false}) {
                        SCOPED_TRACE(wide ? "wide allowed" : "portable only");
                        WidePathScope scope(wide);
                        CChannelLookup lookup;
                        lookup.Prepare(t.blue.data(), t.green.data(), t.red.data(), depth);
                        EXPECT_EQ(lookup.usesWidePath(), wide && WideLookupSupported());
                        std::vector<uint8_t> dest(rowBytes + 1 + 64, 0xA5); // guard bytes
                        if (inPlace)
                            std::copy(src.begin(), src.end(), dest.begin());
                        const uint8_t* in = inPlace ? dest.data() + 1 : src.data() + 1;
                        lookup.MapRow(dest.data() + 1, in, width);
                        ASSERT_EQ(dest[0], inPlace ? src[0] : 0xA5) << "written before the row";
                        for (size_t i = 0; i < rowBytes; ++i)
                            ASSERT_EQ(dest[i + 1], expected[i]) << "byte " << i;
                        for (size_t i = rowBytes + 1; i < dest.size(); ++i)
                            ASSERT_EQ(dest[i], 0xA5) << "written past the row at " << i;
                    }
                }
            }
        }
    }
}

// The wide luma gives the formula's value for the pixels it reports done,
// whole blocks from the start, including the extremes 0 and 255.
TEST(WideLookup, LumaMatchesFormula) {
    Noise noise{5u};
    for (int depth : {24, 32}) {
        for (int width : kWidths) {
            SCOPED_TRACE(testing::Message() << depth << " bpp, width " << width);
            const int bytesPerPixel = depth / 8;
            std::vector<uint8_t> src = noise.Bytes(static_cast<size_t>(width) * bytesPerPixel);
            std::fill(src.begin(), src.begin() + bytesPerPixel, 255);
            std::fill(src.end() - bytesPerPixel, src.end(), 0);
            std::vector<uint8_t> luma(static_cast<size_t>(width) + 64, 0xA5);
            const size_t done = LumaRowWide(luma.data(), src.data(), width, bytesPerPixel);
            if (!WideLookupSupported()) {
                EXPECT_EQ(done, 0u);
                continue;
            }
            const size_t block = bytesPerPixel == 3 ? 64 : 16;
            EXPECT_EQ(done, width - width % block);
            for (size_t p = 0; p < done; ++p) {
                const uint8_t* px = &src[p * bytesPerPixel];
                const int expected = (9798 * px[2] + 19235 * px[1] + 3735 * px[0]) >> 15;
                ASSERT_EQ(luma[p], expected) << "pixel " << p;
            }
            if (done > 0) {
                EXPECT_EQ(luma[0], 255);
            }
            for (size_t p = done; p < luma.size(); ++p)
                ASSERT_EQ(luma[p], 0xA5) << "written past the pixels done at " << p;
        }
    }
}

// Noise, or smooth ramps with few distinct lumas (so that equalize moves
// them far), in images of every depth the operations are given.
ImagePtr MakeTestImage(int depth, int width, int height, bool smooth, uint32_t seed) {
    ImagePtr image = MakeImage(width, height, depth, depth == 8 ? 256 : 0);
    Noise noise{seed};
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image->bits + static_cast<size_t>(image->stride) * y;
        for (int x = 0; x < image->stride; ++x)
            row[x] = smooth ? static_cast<uint8_t>(60 + (x + y) / 5 % 40) : noise.Next();
    }
    if (depth == 8) {
        for (int i = 0; i < 256; ++i)
            image->SetPaletteEntry(i, noise.Next(), noise.Next(), noise.Next(), 0);
    }
    return image;
}

TEST(WideLookup, OperationsMatchPortablePath) {
    struct Op {
        const char* name;
        std::function<std::unique_ptr<CImageOperation>()> make;
    };
    const Op ops[] = {
        {"brightness/contrast",
         [] {
             auto op = std::make_unique<CBrightnessContrastOp>();
             op->brightness = 20;
             op->contrast = 30;
             return std::unique_ptr<CImageOperation>(std::move(op));
         }},
        {"posterize",
         [] {
             auto op = std::make_unique<CPosterizeOp>();
             op->levels = 6;
             return std::unique_ptr<CImageOperation>(std::move(op));
         }},
        {"colour balance",
         [] {
             auto op = std::make_unique<CColorBalanceOp>();
             op->preserveLuminosity = false;
             op->values[CColorBalanceOp::kCyanRed][CColorBalanceOp::kShadows] = 60;
             op->values[CColorBalanceOp::kMagentaGreen][CColorBalanceOp::kMidtones] = -70;
             op->values[CColorBalanceOp::kYellowBlue][CColorBalanceOp::kHighlights] = 45;
             return std::unique_ptr<CImageOperation>(std::move(op));
         }},
        {"equalize", [] { return std::unique_ptr<CImageOperation>(new CEqualizeOp()); }},
        {"invert", [] { return std::unique_ptr<CImageOperation>(new CInvertOp()); }},
    };
    for (const Op& op : ops) {
        for (int depth : {1, 8, 24, 32}) {
            for (int width : {1, 63, 65, 130, 641}) {
                for (bool smooth : {false, true}) {
                    SCOPED_TRACE(testing::Message() << op.name << ", " << depth << " bpp, width "
                                                    << width << (smooth ? ", smooth" : ", noise"));
                    ImagePtr src = MakeTestImage(depth, width, 5, smooth, 3u + width);
                    CImageObject results[2];
                    bool ok[2];
                    for (int wide : {0, 1}) {
                        WidePathScope scope(wide == 1);
                        ok[wide] = op.make()->Apply(&results[wide], src.get());
                    }
                    // 1 bpp is refused by both; the other depths are mapped.
                    ASSERT_EQ(ok[0], depth != 1);
                    ASSERT_EQ(ok[1], ok[0]);
                    if (!ok[0])
                        continue;
                    const CImageObject& a = results[0];
                    const CImageObject& b = results[1];
                    ASSERT_EQ(a.stride, b.stride);
                    for (int y = 0; y < a.height; ++y)
                        ASSERT_EQ(0, std::memcmp(a.bits + static_cast<size_t>(a.stride) * y,
                                                 b.bits + static_cast<size_t>(b.stride) * y,
                                                 static_cast<size_t>(width) * depth / 8))
                            << "row " << y;
                    ASSERT_EQ(a.paletteCount, b.paletteCount);
                    if (a.paletteCount > 0) {
                        EXPECT_EQ(0, std::memcmp(a.palette, b.palette,
                                                 sizeof(PaletteEntry) * a.paletteCount));
                    }
                    // The operation changed something, so the comparison
                    // says more than two untouched copies agreeing.
                    CImageObject& r = results[1];
                    const bool changedPixels =
                        depth != 8 && std::memcmp(r.bits, src->bits, width * depth / 8) != 0;
                    const bool changedPalette =
                        depth == 8 && std::memcmp(r.palette, src->palette, 1024) != 0;
                    EXPECT_TRUE(changedPixels || changedPalette);
                }
            }
        }
    }
}

} // namespace
