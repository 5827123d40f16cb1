// An 8-bpp image whose pixels hold indices beyond its palette (a damaged or
// hostile file can deliver them): every palette path must read the last
// entry instead, and never outside the palette (run under AddressSanitizer).
#include <functional>
#include <memory>
#include <vector>

#include "imaging/operations/color_adjustments.h"
#include "imaging/operations/mode_conversions.h"
#include "imaging/operations/tone_operations.h"
#include "imaging/operations/tests/op_test_image.h"

namespace {

constexpr int kEntries = 16;
const Bgr kLast = {30, 140, 220};

// Palette of exactly 16 entries on the heap (so an overrun is caught) and
// pixels 3, 200, 255.
ImagePtr MakeStrayIndexImage() {
    ImagePtr image = MakeImage(3, 2, 8, kEntries);
    for (int i = 0; i < kEntries; ++i)
        image->SetPaletteEntry(i, static_cast<uint8_t>(10 * i), 90, static_cast<uint8_t>(200 - i),
                               0);
    image->SetPaletteEntry(kEntries - 1, kLast.r, kLast.g, kLast.b, 0);
    const uint8_t row0[] = {3, 200, 255};
    const uint8_t row1[] = {200, 200, 3};
    std::memcpy(image->GetRow(0, true), row0, 3);
    std::memcpy(image->GetRow(1, true), row1, 3);
    return image;
}

// The colour an operation gives one 24-bpp pixel of the given colour.
Bgr MapOnePixel(CImageOperation& op, Bgr colour) {
    ImagePtr src = MakeRow(24, {colour, colour});
    CImageObject dest;
    EXPECT_TRUE(op.Apply(&dest, src.get()));
    return GetBgr(&dest, 0, 0);
}

TEST(StrayPaletteIndex, ColourOperationsMapTheLastEntry) {
    using Factory = std::function<std::unique_ptr<CImageOperation>()>;
    struct Case {
        const char* name;
        Factory make;
    } cases[] = {
        {"brightness/contrast",
         [] {
             auto op = std::make_unique<CBrightnessContrastOp>();
             op->brightness = 30;
             op->contrast = 20;
             return std::unique_ptr<CImageOperation>(std::move(op));
         }},
        {"colour balance",
         [] {
             auto op = std::make_unique<CColorBalanceOp>();
             op->values[0][1] = 60;
             op->values[2][0] = -40;
             return std::unique_ptr<CImageOperation>(std::move(op));
         }},
        {"colour balance, lightness free",
         [] {
             auto op = std::make_unique<CColorBalanceOp>();
             op->preserveLuminosity = false;
             op->values[1][2] = 70;
             return std::unique_ptr<CImageOperation>(std::move(op));
         }},
        {"hue/saturation",
         [] {
             auto op = std::make_unique<CHueSaturationOp>();
             op->hue[0] = 90;
             op->saturation[2] = 50;
             return std::unique_ptr<CImageOperation>(std::move(op));
         }},
        {"posterize", [] { return std::unique_ptr<CImageOperation>(new CPosterizeOp()); }},
        {"invert", [] { return std::unique_ptr<CImageOperation>(new CInvertOp()); }},
        {"desaturate", [] { return std::unique_ptr<CImageOperation>(new CDesaturateOp()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImagePtr src = MakeStrayIndexImage();
        CImageObject dest;
        ASSERT_TRUE(c.make()->Apply(&dest, src.get()));
        EXPECT_EQ(dest.paletteCount, kEntries);
        // Pixel bytes are kept as they were; the palette says what they show.
        EXPECT_EQ(0, std::memcmp(dest.bits, src->bits, static_cast<size_t>(src->stride) * 2));
        EXPECT_EQ(EntryBgr(&dest, kEntries - 1), MapOnePixel(*c.make(), kLast));
        EXPECT_EQ(EntryBgr(&dest, 3), MapOnePixel(*c.make(), EntryBgr(src.get(), 3)));
        EXPECT_EQ(EntryBgr(&dest, 4), EntryBgr(src.get(), 4)); // unused
    }
}

// Equalize counts a stray pixel as the last entry: four of six pixels are
// that colour, two are entry 3.
TEST(StrayPaletteIndex, EqualizeCountsTheLastEntry) {
    ImagePtr src = MakeStrayIndexImage();
    std::vector<Bgr> same = {
        EntryBgr(src.get(), 3), EntryBgr(src.get(), 3), kLast, kLast, kLast, kLast};
    ImagePtr rgb = MakeRow(24, same);
    CImageObject fromIndexed, fromRgb;
    ASSERT_TRUE(CEqualizeOp().Apply(&fromIndexed, src.get()));
    ASSERT_TRUE(CEqualizeOp().Apply(&fromRgb, rgb.get()));
    EXPECT_EQ(EntryBgr(&fromIndexed, kEntries - 1), GetBgr(&fromRgb, 2, 0));
    EXPECT_EQ(EntryBgr(&fromIndexed, 3), GetBgr(&fromRgb, 0, 0));
}

TEST(StrayPaletteIndex, ModeConversionsUseTheLastEntry) {
    ImagePtr src = MakeStrayIndexImage();
    CImageObject grey, rgb;
    ASSERT_TRUE(CGrayscaleModeOp().Apply(&grey, src.get()));
    ASSERT_TRUE(CRgbModeOp().Apply(&rgb, src.get()));
    const int lastGrey = (54 * kLast.r + 183 * kLast.g + 19 * kLast.b) / 256;
    EXPECT_EQ(grey.GetRow(0, true)[1], lastGrey);
    EXPECT_EQ(grey.GetRow(0, true)[2], lastGrey);
    EXPECT_EQ(GetBgr(&rgb, 1, 0), kLast);
    EXPECT_EQ(GetBgr(&rgb, 2, 0), kLast);
    EXPECT_EQ(GetBgr(&rgb, 2, 1), EntryBgr(src.get(), 3));
}

} // namespace
