// PNG reader: every colour type and bit depth against PIL's decode, the
// palette rules, events for plain and interlaced files, damaged data.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "imaging/codecs/png_codec.h"
#include "imaging/codecs/tests/codec_test_support.h"
#include "imaging/image_object.h"

using codec_test::EventLog;
using codec_test::ExpectedPixels;
using codec_test::LoadExpected;

namespace {

std::string PngFixture(const std::string& name) {
    return codec_test::FixturePath("png/" + name);
}

struct Case {
    const char* name;
    int32_t bpp;
    int32_t paletteCount;
};

const Case kCases[] = {
    {"mode1", 1, 2},      {"grey8", 8, 256}, {"grey16", 8, 256},   {"grey2bit", 8, 4},
    {"grey4bit", 8, 16},  {"pal10", 8, 256}, {"pal4bit", 8, 256},  {"pal1bit", 1, 2},
    {"pal_trns", 8, 256}, {"la", 32, 0},     {"rgb", 24, 0},       {"rgba", 32, 0},
    {"rgb_trns", 24, 0},  {"rgb16", 24, 0},  {"many_idat", 24, 0}, {"interlaced", 24, 0},
};

TEST(PngReader, EveryColourTypeAndDepthGivesTheExpectedPixels) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ExpectedPixels want;
        ASSERT_TRUE(LoadExpected(PngFixture(std::string(c.name) + ".raw"), &want));
        CImageObject image;
        CPngReader reader;
        EventLog log;
        log.Attach(reader, &image);
        ASSERT_TRUE(reader.Read(PngFixture(std::string(c.name) + ".png").c_str(), &image));
        EXPECT_EQ(image.bitsPerPixel, c.bpp);
        EXPECT_EQ(image.paletteCount, c.paletteCount);
        codec_test::ExpectPixels(image, want, c.name);
        EXPECT_EQ(image.fullWidth, image.width);
        EXPECT_TRUE(image.complete.load());
        EXPECT_EQ(image.rowsDecoded.load(), image.height);
        EXPECT_GT(image.fileSize, 0u);

        // Event 2, then one event per row (one for the whole image when
        // interlaced), then event 3.
        ASSERT_GE(log.events.size(), 3u);
        EXPECT_TRUE(log.readyBeforeEvent2);
        EXPECT_EQ(log.events.front().event, kDecodeHeaderReady);
        EXPECT_EQ(log.events.back().event, kDecodeComplete);
        if (std::string(c.name) == "interlaced") {
            ASSERT_EQ(log.events.size(), 3u);
            EXPECT_EQ(log.events[1].position, 0);
            EXPECT_EQ(log.events[1].count, image.height);
        } else {
            ASSERT_EQ(log.events.size(), static_cast<size_t>(image.height) + 2);
            for (int32_t y = 0; y < image.height; ++y) {
                EXPECT_EQ(log.events[y + 1].event, kDecodeRows);
                EXPECT_EQ(log.events[y + 1].position, y);
                EXPECT_EQ(log.events[y + 1].count, 1);
            }
        }
    }
}

TEST(PngReader, GreyRampsAndPalettesFollowTheFile) {
    CImageObject grey4;
    CPngReader reader;
    ASSERT_TRUE(reader.Read(PngFixture("grey4bit.png").c_str(), &grey4));
    for (int32_t i = 0; i < 16; ++i) {
        EXPECT_EQ(grey4.palette[i].red, i * 17);
        EXPECT_EQ(grey4.palette[i].blue, i * 17);
    }
    EXPECT_EQ(grey4.palette[15], (PaletteEntry{255, 255, 255, 255}));

    // The file's PLTE entries come first, in order, as red, green, blue.
    const auto bytes = codec_test::ReadBytes(PngFixture("pal10.png"));
    const std::string text(bytes.begin(), bytes.end());
    const size_t at = text.find("PLTE");
    ASSERT_NE(at, std::string::npos);
    const size_t length = (size_t(bytes[at - 2]) << 8) | bytes[at - 1];
    ASSERT_EQ(length, 30u);
    CImageObject pal;
    ASSERT_TRUE(reader.Read(PngFixture("pal10.png").c_str(), &pal));
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(pal.palette[i].red, bytes[at + 4 + 3 * i]) << i;
        EXPECT_EQ(pal.palette[i].green, bytes[at + 5 + 3 * i]) << i;
        EXPECT_EQ(pal.palette[i].blue, bytes[at + 6 + 3 * i]) << i;
    }
}

TEST(PngReader, DamagedImageDataKeepsTheRowsReadBefore) {
    ExpectedPixels whole;
    ASSERT_TRUE(LoadExpected(PngFixture("many_idat.raw"), &whole));
    CImageObject image;
    CPngReader reader;
    EventLog log;
    log.Attach(reader, &image);
    ASSERT_TRUE(reader.Read(PngFixture("bad_crc.png").c_str(), &image));
    EXPECT_TRUE(image.complete.load());
    const int32_t rows = image.rowsDecoded.load();
    EXPECT_GT(rows, 0);
    EXPECT_LT(rows, image.height);
    EXPECT_EQ(log.events.back().event, kDecodeComplete);
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < image.width; ++x) {
            uint8_t got[4];
            codec_test::PixelAt(image, x, y, got);
            ASSERT_EQ(0, std::memcmp(got, whole.At(x, y), 3)) << x << "," << y;
        }
}

TEST(PngReader, RefusesBadInputBeforeTouchingTheImage) {
    CPngReader reader;
    CImageObject image;
    EXPECT_FALSE(reader.Read(PngFixture("not_png.png").c_str(), &image));
    EXPECT_FALSE(reader.Read(PngFixture("missing.png").c_str(), &image));
    EXPECT_EQ(image.bits, nullptr);

    // Cut inside the header chunk: no bitmap yet, so a failure.
    auto bytes = codec_test::ReadBytes(PngFixture("rgb.png"));
    for (size_t cut : {size_t{8}, size_t{20}, size_t{33}}) {
        CImageObject part;
        EXPECT_FALSE(reader.ReadFromMemory(bytes.data(), cut, &part)) << cut;
        EXPECT_EQ(part.bits, nullptr);
    }
    // Cut inside the image data: the bitmap exists, the read succeeds.
    CImageObject part;
    EXPECT_TRUE(reader.ReadFromMemory(bytes.data(), bytes.size() - 20, &part));
    EXPECT_TRUE(part.complete.load());

    CImageObject stopped;
    stopped.releaseAfterDecode.store(true);
    EXPECT_FALSE(reader.Read(PngFixture("rgb.png").c_str(), &stopped));
    EXPECT_EQ(stopped.bits, nullptr);
}

TEST(PngReader, HeaderOnlyGivesTheSizeAlone) {
    CPngReader reader;
    CImageObject image;
    image.headerOnly = true;
    EventLog log;
    log.Attach(reader, &image);
    ASSERT_TRUE(reader.Read(PngFixture("rgba.png").c_str(), &image));
    EXPECT_EQ(image.fullWidth, 37);
    EXPECT_EQ(image.fullHeight, 23);
    EXPECT_EQ(image.bits, nullptr);
    EXPECT_TRUE(log.events.empty());
}

} // namespace
