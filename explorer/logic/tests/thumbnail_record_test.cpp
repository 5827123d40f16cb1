// The thumbnail record: its exact bytes, the round trip, and the refusal of
// records that a damaged or hostile thumbnail database could hold.
#include "explorer/logic/thumbnail_record.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <vector>

#include "imaging/byte_stream.h"

namespace {

constexpr uint64_t kTime = 0x01D9A1B2C3D4E5F6ull;

struct Picture {
    ThumbnailRecordHeader header;
    std::vector<PaletteEntry> palette;
    std::vector<uint8_t> pixels;
};

Picture MakePicture(int32_t w, int32_t h, uint8_t bpp, uint32_t paletteCount) {
    Picture p;
    p.header.fileTime = kTime;
    p.header.width = w;
    p.header.height = h;
    p.header.bitsPerPixel = bpp;
    p.header.paletteCount = paletteCount;
    for (uint32_t i = 0; i < paletteCount; ++i)
        p.palette.push_back(PaletteEntry{uint8_t(i), uint8_t(255 - i), uint8_t(i * 3), 0});
    const size_t stride = ((size_t(w) * bpp + 31) / 32) * 4;
    p.pixels.resize(stride * h);
    for (size_t i = 0; i < p.pixels.size(); ++i)
        p.pixels[i] = uint8_t(i * 7 + 1);
    return p;
}

std::vector<uint8_t> Encode(const Picture& p) {
    CByteStream stream;
    EXPECT_TRUE(stream.Allocate(kThumbnailStreamCapacity));
    EXPECT_TRUE(EncodeThumbnailRecord(p.header, p.palette.data(), p.pixels.data(), p.pixels.size(),
                                      &stream));
    return std::vector<uint8_t>(stream.buffer, stream.buffer + stream.size);
}

TEST(ThumbnailRecord, TheHeaderHasTheStoredLayoutAndThePixelsAreOneZlibStream) {
    const Picture p = MakePicture(3, 2, 8, 2);
    const std::vector<uint8_t> bytes = Encode(p);
    const uint8_t header[] = {0x00,                                           // version
                              0xF6, 0xE5, 0xD4, 0xC3, 0xB2, 0xA1, 0xD9, 0x01, // file time
                              3,    0,    0,    0,                            // width
                              2,    0,    0,    0,                            // height
                              8,                                              // bpp
                              2,    0,    0,    0,                            // palette count
                              0,    255,  0,    0,    1,    254,  3,    0};   // palette
    ASSERT_GT(bytes.size(), sizeof header);
    EXPECT_EQ(0, std::memcmp(bytes.data(), header, sizeof header));
    std::vector<uint8_t> inflated(8); // stride 4 x height 2
    uLongf size = inflated.size();
    ASSERT_EQ(Z_OK, uncompress(inflated.data(), &size, bytes.data() + sizeof header,
                               bytes.size() - sizeof header));
    EXPECT_EQ(8u, size);
    EXPECT_EQ(p.pixels, inflated);
}

TEST(ThumbnailRecord, EveryDepthRoundTripsWithAPaletteOnlyForOneAndEightBits) {
    struct Case {
        int32_t w, h;
        uint8_t bpp;
        uint32_t palette;
        size_t headerBytes;
    } cases[] = {
        {98, 65, 24, 0, 18},        {98, 98, 32, 0, 18},
        {17, 9, 1, 2, 18 + 4 + 8},  {50, 33, 8, 256, 18 + 4 + 1024},
        {1, 1, 8, 16, 18 + 4 + 64},
    };
    for (const Case& c : cases) {
        const Picture p = MakePicture(c.w, c.h, c.bpp, c.palette);
        const std::vector<uint8_t> bytes = Encode(p);
        ThumbnailRecordView view;
        ASSERT_TRUE(ParseThumbnailRecord(bytes.data(), bytes.size(), kTime, 98, 98, &view))
            << int(c.bpp);
        EXPECT_EQ(c.w, view.header.width);
        EXPECT_EQ(c.h, view.header.height);
        EXPECT_EQ(c.palette, view.header.paletteCount);
        EXPECT_EQ(p.pixels.size(), view.pixelBytes);
        EXPECT_EQ(bytes.data() + c.headerBytes, view.pixels);
        if (c.palette)
            EXPECT_EQ(0, std::memcmp(view.palette, p.palette.data(), c.palette * 4));
        else
            EXPECT_EQ(nullptr, view.palette);
        std::vector<uint8_t> out(view.pixelBytes);
        ASSERT_TRUE(InflateThumbnailPixels(view, out.data(), out.size()));
        EXPECT_EQ(p.pixels, out);
    }
}

TEST(ThumbnailRecord, ADamagedOrStaleRecordIsRefused) {
    const std::vector<uint8_t> good = Encode(MakePicture(40, 30, 8, 4));
    ThumbnailRecordView view;
    ASSERT_TRUE(ParseThumbnailRecord(good.data(), good.size(), kTime, 98, 98, &view));
    struct Case {
        const char* name;
        size_t offset; // where the patch goes
        std::vector<uint8_t> patch;
        size_t cut = 0; // bytes cut from the end
        uint64_t time = kTime;
    } cases[] = {
        {"another version", 0, {1}},
        {"another file time", 0, {}, 0, kTime + 1},
        {"an unknown depth", 17, {16}},
        {"width 0", 9, {0, 0, 0, 0}},
        {"a negative width", 9, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"wider than the box", 9, {99, 0, 0, 0}},
        {"taller than the box", 13, {99, 0, 0, 0}},
        {"a palette count above 256", 18, {0x01, 0x01, 0, 0}},
        {"a palette count of a billion", 18, {0, 0, 0, 0x40}},
        {"a palette of one entry", 18, {1, 0, 0, 0}},
        {"cut inside the header", 0, {}, good.size() - 10},
        {"cut inside the palette", 0, {}, good.size() - 30},
        {"no pixels after the palette", 0, {}, good.size() - (18 + 4 + 16)},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        if (!c.patch.empty())
            std::memcpy(bytes.data() + c.offset, c.patch.data(), c.patch.size());
        bytes.resize(bytes.size() - c.cut);
        EXPECT_FALSE(ParseThumbnailRecord(bytes.data(), bytes.size(), c.time, 98, 98, &view))
            << c.name;
    }
    // One bit depth must carry exactly two entries.
    std::vector<uint8_t> mono = Encode(MakePicture(8, 8, 1, 2));
    mono[18] = 3;
    EXPECT_FALSE(ParseThumbnailRecord(mono.data(), mono.size(), kTime, 98, 98, &view));
}

TEST(ThumbnailRecord, PixelsThatDoNotInflateToStrideTimesHeightAreRefused) {
    const Picture p = MakePicture(10, 10, 24, 0);
    std::vector<uint8_t> bytes = Encode(p);
    ThumbnailRecordView view;
    // A record claiming fewer rows than its stream holds.
    std::vector<uint8_t> shorter = bytes;
    shorter[13] = 9;
    ASSERT_TRUE(ParseThumbnailRecord(shorter.data(), shorter.size(), kTime, 98, 98, &view));
    std::vector<uint8_t> out(view.pixelBytes);
    EXPECT_FALSE(InflateThumbnailPixels(view, out.data(), out.size()));
    // More rows than the stream holds.
    std::vector<uint8_t> taller = bytes;
    taller[13] = 11;
    ASSERT_TRUE(ParseThumbnailRecord(taller.data(), taller.size(), kTime, 98, 98, &view));
    out.assign(view.pixelBytes, 0);
    EXPECT_FALSE(InflateThumbnailPixels(view, out.data(), out.size()));
    // A damaged stream.
    std::vector<uint8_t> broken = bytes;
    broken[broken.size() / 2] ^= 0x55;
    broken.resize(broken.size() - 2);
    ASSERT_TRUE(ParseThumbnailRecord(broken.data(), broken.size(), kTime, 98, 98, &view));
    out.assign(view.pixelBytes, 0);
    EXPECT_FALSE(InflateThumbnailPixels(view, out.data(), out.size()));
    // A destination of the wrong size.
    ASSERT_TRUE(ParseThumbnailRecord(bytes.data(), bytes.size(), kTime, 98, 98, &view));
    out.assign(view.pixelBytes - 1, 0);
    EXPECT_FALSE(InflateThumbnailPixels(view, out.data(), out.size()));
}

TEST(ThumbnailRecord, ARecordIsNotWrittenWhenItDoesNotFitOrItsFieldsAreWrong) {
    // Noise compresses badly: 40 x 40 x 32 bpp of it does not fit 4 KB.
    Picture noisy = MakePicture(40, 40, 32, 0);
    uint32_t state = 12345;
    for (uint8_t& b : noisy.pixels) {
        state = state * 1103515245u + 12345u;
        b = uint8_t(state >> 24);
    }
    CByteStream stream;
    ASSERT_TRUE(stream.Allocate(4096));
    EXPECT_FALSE(EncodeThumbnailRecord(noisy.header, nullptr, noisy.pixels.data(),
                                       noisy.pixels.size(), &stream));
    const Picture p = MakePicture(4, 4, 8, 4);
    EXPECT_FALSE(
        EncodeThumbnailRecord(p.header, nullptr, p.pixels.data(), p.pixels.size(), &stream))
        << "8 bpp without a palette";
    EXPECT_FALSE(EncodeThumbnailRecord(p.header, p.palette.data(), p.pixels.data(),
                                       p.pixels.size() - 1, &stream))
        << "pixels not stride x height";
    ThumbnailRecordHeader deep = p.header;
    deep.bitsPerPixel = 16;
    EXPECT_FALSE(
        EncodeThumbnailRecord(deep, p.palette.data(), p.pixels.data(), p.pixels.size(), &stream));
}

} // namespace
