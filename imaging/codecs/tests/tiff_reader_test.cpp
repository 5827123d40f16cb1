// TIFF reader: layouts and compressions against PIL's decode, pages as
// frames, the fax stretch, grey ramps and colour maps, damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <tiffio.h>

#include "imaging/codecs/tests/codec_test_support.h"
#include "imaging/codecs/tiff_codec.h"
#include "imaging/exif_info.h"
#include "imaging/image_object.h"

using codec_test::EventLog;
using codec_test::ExpectedPixels;
using codec_test::LoadExpected;

namespace {

std::string TiffFixture(const std::string& name) {
    return codec_test::FixturePath("tiff/" + name);
}

TEST(TiffReader, LayoutsAndCompressionsGiveTheExpectedPixels) {
    struct Case {
        const char* name;
        int32_t bpp;
        int32_t paletteCount;
    };
    const Case cases[] = {
        {"rgb", 24, 0},          {"rgb_lzw", 24, 0},    {"rgb_lzw_pred", 24, 0},
        {"rgb_packbits", 24, 0}, {"rgb_tiled", 24, 0},  {"rgb_planar", 24, 0},
        {"bw_minblack", 1, 2},   {"bw_minwhite", 1, 2}, {"bw_g3", 1, 2},
        {"bw_g4", 1, 2},         {"grey2", 8, 4},       {"grey4", 8, 16},
        {"grey8", 8, 256},       {"palette", 8, 256},   {"cmyk", 32, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectedPixels want;
        ASSERT_TRUE(LoadExpected(TiffFixture(std::string(c.name) + ".raw"), &want));
        CImageObject image;
        CTiffReader reader;
        EventLog log;
        log.Attach(reader, &image);
        ASSERT_TRUE(reader.Read(TiffFixture(std::string(c.name) + ".tif").c_str(), &image));
        EXPECT_EQ(image.bitsPerPixel, c.bpp);
        EXPECT_EQ(image.paletteCount, c.paletteCount);
        codec_test::ExpectPixels(image, want, c.name);
        EXPECT_EQ(image.FrameCount(), 0);
        EXPECT_TRUE(image.complete.load());
        EXPECT_EQ(image.rowsDecoded.load(), image.height);
        ASSERT_EQ(log.events.size(), static_cast<size_t>(image.height) + 2);
        EXPECT_EQ(log.events.front().event, kDecodeHeaderReady);
        EXPECT_EQ(log.events.back().event, kDecodeComplete);
        EXPECT_FALSE(log.wrongImage);
    }
}

TEST(TiffReader, GreyRampsRunFromBlackToWhite) {
    CImageObject grey4;
    CTiffReader reader;
    ASSERT_TRUE(reader.Read(TiffFixture("grey4.tif").c_str(), &grey4));
    for (int32_t i = 0; i < 16; ++i)
        EXPECT_EQ(grey4.palette[i].green, i * 17) << i;
}

// Records which image each event names.
struct PageEvents {
    std::vector<const CImageObject*> ready;
    static int32_t Callback(CImageObject* image, int32_t event, int32_t, int32_t, uintptr_t user) {
        if (event == kDecodeHeaderReady)
            reinterpret_cast<PageEvents*>(user)->ready.push_back(image);
        return 0;
    }
};

TEST(TiffReader, LaterPagesBecomeFramesUpToThePageLimit) {
    const std::string path = TiffFixture("three_pages.tif");
    CImageObject image;
    CTiffReader reader;
    PageEvents events;
    reader.m_progress = &PageEvents::Callback;
    reader.m_progressUser = reinterpret_cast<uintptr_t>(&events);
    ASSERT_TRUE(reader.Read(path.c_str(), &image));
    ASSERT_EQ(image.FrameCount(), 2);
    EXPECT_EQ(image.width, 45);
    EXPECT_EQ(image.GetFrame(1)->width, 20);
    EXPECT_EQ(image.GetFrame(1)->height, 10);
    EXPECT_EQ(image.GetFrame(2)->width, 8);
    EXPECT_EQ(image.GetFrame(2)->height, 40);
    EXPECT_TRUE(image.GetFrame(2)->complete.load());
    ASSERT_EQ(events.ready.size(), 3u);
    EXPECT_EQ(events.ready[0], &image);
    EXPECT_EQ(events.ready[1], image.GetFrame(1));
    EXPECT_EQ(events.ready[2], image.GetFrame(2));

    CImageObject first;
    CTiffReader limited;
    limited.m_pageLimit = 1;
    ASSERT_TRUE(limited.Read(path.c_str(), &first));
    EXPECT_EQ(first.FrameCount(), 0);

    CImageObject scaled;
    CTiffReader box;
    box.m_maxWidth = 20;
    box.m_maxHeight = 20;
    ASSERT_TRUE(box.ReadScaled(path.c_str(), &scaled));
    EXPECT_EQ(scaled.FrameCount(), 0);
    EXPECT_EQ(scaled.fullWidth, 45);
}

TEST(TiffReader, FaxPagesAtLowVerticalResolutionAreStretched) {
    CImageObject image;
    CTiffReader reader;
    EventLog log;
    log.Attach(reader, &image);
    ASSERT_TRUE(reader.Read(TiffFixture("fax.tif").c_str(), &image));
    EXPECT_EQ(image.width, 1728);
    EXPECT_EQ(image.height, 2200);
    EXPECT_EQ(image.rowsDecoded.load(), 2200);
    for (int32_t k = 0; k < 1100; k += 37)
        EXPECT_EQ(0, std::memcmp(image.GetRow(2 * k, true), image.GetRow(2 * k + 1, true),
                                 static_cast<size_t>(image.stride)));
    ASSERT_GE(log.events.size(), 3u);
    EXPECT_EQ(log.events[1].position, 0);
    EXPECT_EQ(log.events[1].count, 2);
    EXPECT_EQ(log.events[2].position, 2);
    // The drawn rectangle (black on white) sits at the top left.
    uint8_t px[4];
    codec_test::PixelAt(image, 10, 10, px);
    EXPECT_EQ(px[0], 0);
    codec_test::PixelAt(image, 1700, 10, px);
    EXPECT_EQ(px[0], 255);
}

TEST(TiffReader, DamagedAndForeignFiles) {
    ExpectedPixels whole;
    ASSERT_TRUE(LoadExpected(TiffFixture("rgb.raw"), &whole));
    CImageObject cut;
    CTiffReader reader;
    ASSERT_TRUE(reader.Read(TiffFixture("truncated.tif").c_str(), &cut));
    EXPECT_TRUE(cut.complete.load());
    for (int32_t y = 0; y < cut.height - cut.height / 2; ++y)
        for (int32_t x = 0; x < cut.width; ++x) {
            uint8_t got[4];
            codec_test::PixelAt(cut, x, y, got);
            ASSERT_EQ(0, std::memcmp(got, whole.At(x, y), 3)) << x << "," << y;
        }

    CImageObject foreign;
    EXPECT_FALSE(reader.Read(TiffFixture("not_tiff.tif").c_str(), &foreign));
    EXPECT_FALSE(reader.Read(TiffFixture("missing.tif").c_str(), &foreign));
    EXPECT_EQ(foreign.bits, nullptr);

    CImageObject header;
    header.headerOnly = true;
    ASSERT_TRUE(reader.Read(TiffFixture("rgb.tif").c_str(), &header));
    EXPECT_EQ(header.fullWidth, 45);
    EXPECT_EQ(header.fullHeight, 31);
    EXPECT_EQ(header.bits, nullptr);
}

TEST(TiffReader, TagsOfTheFileFillTheExifRecord) {
    CImageObject image;
    CTiffReader reader;
    ASSERT_TRUE(reader.Read(TiffFixture("rgb.tif").c_str(), &image));
    ASSERT_NE(image.exif, nullptr);
    EXPECT_STREQ(image.exif->GetMake(), "Vexon");
    EXPECT_STREQ(image.exif->GetModel(), "T-1");
}

} // namespace
