// GIF writer: exact LZW round trips (also of noise wide enough to fill the
// string table many times), the file layout, colour reduction, and targets
// that must be left alone.

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/codecs/gif_codec.h"
#include "imaging/codecs/tests/own_test_support.h"

using namespace codec_test;
using namespace own_test;

namespace {

// An 8 bpp image of the given palette size filled by fill(x, y).
template <typename Fill>
void MakeIndexed(CImageObject* image, int32_t width, int32_t height, int32_t colours, Fill fill) {
    ASSERT_TRUE(image->Create(width, height, 8, colours));
    for (int32_t i = 0; i < colours; ++i)
        image->SetPaletteEntry(i, static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i),
                               static_cast<uint8_t>(i * 13), 0);
    ASSERT_TRUE(image->UpdateColorTable());
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image->GetRow(y, true)[x] = static_cast<uint8_t>(fill(x, y));
}

struct IndexedCase {
    const char* what;
    int32_t width, height, colours;
    int kind; // 0 noise, 1 flat, 2 gradient
};

const IndexedCase kIndexed[] = {
    {"noise wider than 4096", 5000, 3, 256, 0},
    {"noise of 16 colours", 97, 61, 16, 0},
    {"one flat colour", 300, 200, 2, 1},
    {"gradient", 256, 40, 256, 2},
    {"one pixel", 1, 1, 2, 1},
};

void Fill(CImageObject* image, const IndexedCase& c) {
    std::mt19937 rnd(77);
    MakeIndexed(image, c.width, c.height, c.colours, [&](int32_t x, int32_t y) {
        if (c.kind == 0)
            return static_cast<int32_t>(rnd() % static_cast<uint32_t>(c.colours));
        if (c.kind == 1)
            return 1;
        return (x + y) % c.colours;
    });
}

void ExpectSameIndexes(const CImageObject& a, const CImageObject& b) {
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    for (int32_t y = 0; y < a.height; ++y)
        ASSERT_EQ(0, std::memcmp(a.GetRow(y, true), b.GetRow(y, true), a.width)) << "row " << y;
}

TEST(GifWriter, IndexedImagesRoundTripExactly) {
    const std::string dir = ScratchFolder("gif_writer_indexed");
    for (const IndexedCase& c : kIndexed) {
        SCOPED_TRACE(c.what);
        CImageObject image;
        Fill(&image, c);
        const std::string path = dir + "/out.gif";
        CGifWriter writer;
        ASSERT_TRUE(writer.Write(path.c_str(), &image));
        CImageObject back;
        CGifReader reader;
        ASSERT_TRUE(reader.Read(path.c_str(), &back));
        ASSERT_EQ(back.bitsPerPixel, 8);
        ExpectSameIndexes(image, back);
        for (int32_t i = 0; i < c.colours; ++i) {
            EXPECT_EQ(back.palette[i].red, image.palette[i].red);
            EXPECT_EQ(back.palette[i].blue, image.palette[i].blue);
        }
        // Layout: a 768-byte global table and the descriptor right after it.
        std::vector<uint8_t> bytes = ReadBytes(path);
        ASSERT_GT(bytes.size(), 13u + 768 + 11);
        EXPECT_EQ(0, std::memcmp(bytes.data(), "GIF89a", 6));
        EXPECT_EQ(bytes[10], 0x87);
        EXPECT_EQ(bytes[13 + 768], 0x2C);
        EXPECT_EQ(bytes[13 + 768 + 10], 8); // minimum code size
        EXPECT_EQ(bytes.back(), 0x3B);
        EXPECT_EQ(FolderEntries(dir).size(), 1u);
    }
}

TEST(GifWriter, AnIndependentDecoderSeesTheSamePixels) {
#ifdef _WIN32
    GTEST_SKIP() << "the reference decoder runs on the build host only";
#else
    const std::string dir = ScratchFolder("gif_writer_reference");
    for (const IndexedCase& c : kIndexed) {
        SCOPED_TRACE(c.what);
        CImageObject image;
        Fill(&image, c);
        const std::string path = dir + "/out.gif";
        CGifWriter writer;
        ASSERT_TRUE(writer.Write(path.c_str(), &image));
        codec_test::ExpectReferenceDecoderAgrees(path, image, c.what);
    }
#endif
}

TEST(GifWriter, OtherDepthsAreConverted) {
    const std::string dir = ScratchFolder("gif_writer_depths");
    // 1 bpp keeps its two colours, whatever their order.
    CImageObject bitmap;
    ASSERT_TRUE(bitmap.Create(13, 5, 1, 0));
    bitmap.SetPaletteEntry(0, 255, 255, 255, 0);
    bitmap.SetPaletteEntry(1, 0, 0, 128, 0);
    for (int32_t y = 0; y < 5; ++y)
        bitmap.GetRow(y, true)[0] = static_cast<uint8_t>(0xA5 ^ y);
    // 24 bpp with more than 256 colours.
    CImageObject photo;
    ASSERT_TRUE(photo.Create(64, 64, 24, 0));
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            uint8_t* p = photo.GetRow(y, true) + 3 * x;
            p[0] = static_cast<uint8_t>(x * 4);
            p[1] = static_cast<uint8_t>(y * 4);
            p[2] = static_cast<uint8_t>((x + y) * 2);
        }
    const std::string path = dir + "/out.gif";
    CGifWriter writer;
    CGifReader reader;

    ASSERT_TRUE(writer.Write(path.c_str(), &bitmap));
    CImageObject back;
    ASSERT_TRUE(reader.Read(path.c_str(), &back));
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 13; ++x) {
            uint8_t a[4], b[4];
            PixelAt(bitmap, x, y, a);
            PixelAt(back, x, y, b);
            EXPECT_EQ(0, std::memcmp(a, b, 3)) << x << "," << y;
        }

    ASSERT_TRUE(writer.Write(path.c_str(), &photo));
    CImageObject reduced;
    ASSERT_TRUE(reader.Read(path.c_str(), &reduced));
    EXPECT_EQ(reduced.bitsPerPixel, 8);
    EXPECT_LE(reduced.paletteCount, 256);
    EXPECT_EQ(reduced.width, 64);
    // The reduction stays close to the original colours.
    int64_t error = 0;
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            uint8_t a[4], b[4];
            PixelAt(photo, x, y, a);
            PixelAt(reduced, x, y, b);
            for (int i = 0; i < 3; ++i)
                error += std::abs(a[i] - b[i]);
        }
    EXPECT_LT(error / (64 * 64 * 3), 8);
}

TEST(GifWriter, RefusesWhatItCannotStore) {
    const std::string dir = ScratchFolder("gif_writer_refused");
    CGifWriter writer;
    CImageObject empty;
    EXPECT_FALSE(writer.Write((dir + "/empty.gif").c_str(), &empty));
    CImageObject wide;
    ASSERT_TRUE(wide.Create(65536, 1, 8, 0));
    EXPECT_FALSE(writer.Write((dir + "/wide.gif").c_str(), &wide));
    EXPECT_TRUE(FolderEntries(dir).empty());

    // A failed write leaves an existing target as it was.
    CImageObject small;
    ASSERT_TRUE(small.Create(2, 2, 8, 0));
    const std::string path = dir + "/keep.gif";
    ASSERT_TRUE(WriteBytes(path, {'o', 'l', 'd'}));
    EXPECT_FALSE(writer.Write((dir + "/missing/folder.gif").c_str(), &small));
    EXPECT_FALSE(writer.Write(path.c_str(), &wide));
    EXPECT_EQ(ReadBytes(path).size(), 3u);
}

} // namespace
