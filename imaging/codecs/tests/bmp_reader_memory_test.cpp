// Bitmap reader on bitmaps assembled in memory: variants that must be refused
// at the header, impossible sizes, bit-field scaling, packed bitmaps, hostile
// pixel data and the stream entry points.

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/codecs/bmp_codec.h"
#include "imaging/codecs/tests/bmp_test_support.h"

using namespace codec_test;

namespace {

TEST(BmpReader, UnhandledVariantsFailAtTheHeader) {
    // Each refused before the image is touched: not even its size is stored.
    struct Case {
        uint32_t headerSize;
        uint16_t bitCount;
        uint32_t compression;
    } cases[] = {
        {40, 4, 1},   {40, 4, 3},   {40, 4, 4},  {40, 8, 2},  {40, 8, 3},  {40, 8, 5},
        {40, 32, 1},  {40, 32, 2},  {40, 32, 4}, {40, 32, 5}, {40, 16, 1}, {40, 16, 6},
        {40, 24, 1},  {40, 24, 3},  {40, 1, 1},  {40, 2, 0},  {40, 0, 0},  {40, 48, 0},
        {108, 24, 0}, {124, 24, 0}, {64, 24, 0}, {16, 24, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.headerSize << "-byte header, " << c.bitCount
                                        << " bits, compression " << c.compression);
        DibSpec s;
        s.headerSize = c.headerSize;
        s.bitCount = c.bitCount;
        s.compression = c.compression;
        s.table.assign(1024, 0x11);
        s.pixels.assign(64, 0x22);
        for (bool header : {true, false}) {
            s.fileHeader = header;
            CImageObject image;
            EventLog log;
            EXPECT_FALSE(DecodeBytes(MakeDib(s), &image, &log));
            EXPECT_EQ(image.fullWidth, 0);
            EXPECT_EQ(image.bits, nullptr);
            EXPECT_TRUE(log.events.empty());
        }
    }
}

TEST(BmpReader, RefusesImpossibleSizes) {
    struct Case {
        int32_t width, height;
        uint64_t pixelLimit;
    } cases[] = {
        {0, 2, 0},
        {-1, 2, 0},
        {2, 0, 0},
        {2, INT32_MIN, 0},
        {0x7FFFFFFF, 0x7FFFFFFF, 0},
        {0x10000, 0x10000, 0},
        {100, 100, 9999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        DibSpec s;
        s.width = c.width;
        s.height = c.height;
        s.bitCount = 32;
        s.pixels.assign(64, 0);
        CImageObject image;
        EventLog log;
        EXPECT_FALSE(DecodeBytes(MakeDib(s), &image, &log, c.pixelLimit));
        EXPECT_EQ(image.bits, nullptr);
        EXPECT_TRUE(log.events.empty());
    }
}

TEST(BmpReader, BitFieldMasksScaleToBytes) {
    // One pixel per case; expected blue, green, red.
    struct Case {
        uint16_t bitCount;
        uint32_t compression;
        std::vector<uint32_t> masks; // red, green, blue
        uint32_t pixel;
        uint8_t blue, green, red;
    } cases[] = {
        {16, 0, {}, 0x7FFF, 248, 248, 248},
        {16, 0, {}, 0x7C00, 0, 0, 248},
        {16, 3, {0xF800, 0x07E0, 0x001F}, 0xFFFF, 248, 252, 248},
        {16, 3, {0x0F00, 0x00F0, 0x000F}, 0x0F8F, 240, 128, 240},
        {16, 3, {0x7C00, 0, 0x001F}, 0x7FFF, 248, 0, 248},
        {32, 3, {0x00FF0000, 0x0000FF00, 0x000000FF}, 0xAA123456, 0x56, 0x34, 0x12},
        {32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF}, 0x3FFFFFFF, 255, 255, 255},
        {32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF}, 0x20000000, 0, 0, 128},
        {32, 3, {0xFFFFFFFF, 0, 0}, 0xFF000000, 0, 0, 255},
        {32, 3, {0, 0, 0}, 0xFFFFFFFF, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "pixel 0x" << c.pixel);
        DibSpec s;
        s.width = 1;
        s.height = 1;
        s.bitCount = c.bitCount;
        s.compression = c.compression;
        s.masks = c.masks;
        Put(s.pixels, c.pixel, 4); // a 16-bit row is padded to 4 bytes anyway
        CImageObject image;
        ASSERT_TRUE(DecodeBytes(MakeDib(s), &image));
        uint8_t got[4];
        PixelAt(image, 0, 0, got);
        EXPECT_EQ(got[0], c.blue);
        EXPECT_EQ(got[1], c.green);
        EXPECT_EQ(got[2], c.red);
        EXPECT_EQ(got[3], 0); // the fourth byte of a bit-field pixel stays as created
    }
}

TEST(BmpReader, PackedBitmapsFindTheirPixels) {
    // Pixels follow the colour table, whose size comes from colours used even
    // for true-colour images; masks come first with compression 3.
    struct Case {
        const char* what;
        DibSpec spec;
        uint8_t blue, green, red;
    };
    std::vector<Case> cases;
    {
        DibSpec s;
        s.width = 1;
        s.height = 1;
        s.colorsUsed = 2;
        s.table.assign(8, 0xEE);
        s.pixels = {1, 2, 3, 0};
        cases.push_back({"24-bit with a colour table", s, 1, 2, 3});
    }
    {
        DibSpec s;
        s.headerSize = 12;
        s.width = 1;
        s.height = 1;
        s.bitCount = 4;
        for (int i = 0; i < 16; ++i)
            s.table.insert(s.table.end(), {uint8_t(i), uint8_t(2 * i), uint8_t(3 * i)});
        s.pixels = {0x50, 0, 0, 0};
        cases.push_back({"4-bit core header", s, 5, 10, 15});
    }
    {
        DibSpec s;
        s.width = 1;
        s.height = 1;
        s.bitCount = 32;
        s.compression = 3;
        s.masks = {0xFF, 0xFF00, 0xFF0000};
        s.pixels = {9, 8, 7, 6};
        cases.push_back({"32-bit bit fields", s, 7, 8, 9});
    }
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.spec.fileHeader = false;
        CImageObject image;
        ASSERT_TRUE(DecodeBytes(MakeDib(c.spec), &image));
        uint8_t got[4];
        PixelAt(image, 0, 0, got);
        EXPECT_EQ(got[0], c.blue);
        EXPECT_EQ(got[1], c.green);
        EXPECT_EQ(got[2], c.red);
    }
}

TEST(BmpReader, HostilePixelDataStaysInsideTheImage) {
    constexpr int64_t kOffsetAtEnd = -2;
    struct Case {
        const char* what;
        uint16_t bitCount;
        uint32_t compression;
        int64_t pixelOffset;
        std::vector<uint8_t> pixels;
        int32_t rowsDecoded;
    } cases[] = {
        {"offset far beyond the data", 24, 0, 0xFFFFFFF0ll, std::vector<uint8_t>(64, 1), 0},
        {"offset at the very end", 24, 0, kOffsetAtEnd, std::vector<uint8_t>(64, 1), 0},
        {"RLE8 run past the row, delta past the image",
         8,
         1,
         -1,
         {0xFF, 7, 0, 2, 0xFF, 0xFF, 5, 9, 0, 0, 0, 5},
         4},
        {"RLE8 absolute run cut off by the end", 8, 1, -1, {0, 200, 1, 2, 3}, 4},
        {"RLE4 long absolute run on a narrow image", 4, 2, -1, {0, 255, 0x12, 0x34, 0, 1}, 4},
        {"RLE4 delta only", 4, 2, -1, {0, 2, 1}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DibSpec s;
        s.width = 3;
        s.height = 4;
        s.bitCount = c.bitCount;
        s.compression = c.compression;
        s.pixelOffset = c.pixelOffset;
        if (c.bitCount <= 8)
            s.table.assign(4u << c.bitCount, 0x40);
        if (c.pixelOffset == kOffsetAtEnd)
            s.pixelOffset = 54 + static_cast<int64_t>(c.pixels.size());
        s.pixels = c.pixels;
        CImageObject image;
        EventLog log;
        ASSERT_TRUE(DecodeBytes(MakeDib(s), &image, &log));
        EXPECT_EQ(image.rowsDecoded.load(), c.rowsDecoded);
        EXPECT_TRUE(image.complete.load());
        EXPECT_EQ(log.events.back().event, 3);
    }
}

TEST(BmpReader, TwoArgumentFormDetectsTheFileHeader) {
    DibSpec s;
    s.width = 1;
    s.height = 1;
    s.pixels = {10, 20, 30, 0};
    for (bool header : {true, false}) {
        s.fileHeader = header;
        std::vector<uint8_t> bytes = MakeDib(s);
        CImageObject image;
        ASSERT_TRUE(DecodeBytes(bytes, &image)) << header;
        uint8_t got[4];
        PixelAt(image, 0, 0, got);
        EXPECT_EQ(got[0], 10);
        EXPECT_EQ(got[2], 30);
        // Told the wrong way round, the reader refuses instead of guessing.
        CByteStream stream;
        stream.AttachReadOnly(bytes.data(), static_cast<uint32_t>(bytes.size()));
        CImageObject wrong;
        CBmpReader reader;
        EXPECT_FALSE(reader.ReadFromStream(stream, &wrong, !header));
    }
}

TEST(BmpReader, DecodesFromTheStreamPosition) {
    DibSpec s;
    s.width = 1;
    s.height = 1;
    s.pixels = {10, 20, 30, 0};
    std::vector<uint8_t> bytes = {0xDE, 0xAD, 0xBE};
    std::vector<uint8_t> dib = MakeDib(s);
    bytes.insert(bytes.end(), dib.begin(), dib.end());
    CByteStream stream;
    stream.AttachReadOnly(bytes.data(), static_cast<uint32_t>(bytes.size()));
    stream.position = 3;
    CImageObject image;
    CBmpReader reader;
    ASSERT_TRUE(reader.ReadFromStream(stream, &image, true));
    EXPECT_EQ(image.bits[1], 20);
}

} // namespace
