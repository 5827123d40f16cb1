// TIFF writer: round trips of every depth and of frames, bilevel polarity and
// 16-bit colour maps as other readers see them, old 8-bit colour maps.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <tiffio.h>

#include "imaging/codecs/tests/codec_test_support.h"
#include "imaging/codecs/tiff_codec.h"
#include "imaging/image_object.h"

using codec_test::ExpectedPixels;
using codec_test::LoadExpected;

namespace {

struct Case {
    const char* what;
    int32_t bpp;
    int palette; // 0 default, 1 reversed bilevel / coloured 8 bpp
    int alpha;   // 32 bpp fourth byte; -1 varying
};

const Case kCases[] = {
    {"1 bpp black first", 1, 0, 0},
    {"1 bpp white first", 1, 1, 0},
    {"8 bpp colours", 8, 1, 0},
    {"8 bpp grey", 8, 0, 0},
    {"24 bpp", 24, 0, 0},
    {"32 bpp alpha", 32, 0, -1},
    {"32 bpp unused fourth", 32, 0, 0},
};

void MakeImage(CImageObject* image, const Case& c, int32_t w = 27, int32_t h = 11) {
    ASSERT_TRUE(image->Create(w, h, c.bpp, 0));
    if (c.bpp == 1 && c.palette == 1) {
        image->SetPaletteEntry(0, 255, 255, 255, 255);
        image->SetPaletteEntry(1, 0, 0, 0, 255);
    }
    if (c.bpp == 8 && c.palette == 1)
        for (int i = 0; i < 256; ++i)
            image->SetPaletteEntry(i, static_cast<uint8_t>(i), static_cast<uint8_t>(i * 3),
                                   static_cast<uint8_t>(255 - i), 0);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = image->GetRow(y, true);
        for (int32_t x = 0; x < w; ++x) {
            if (c.bpp == 1) {
                if (x < 5 || (x + y) % 4 == 0)
                    row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            } else if (c.bpp == 8) {
                row[x] = static_cast<uint8_t>(x * 9 + y * 2);
            } else {
                const int step = c.bpp / 8;
                row[step * x] = static_cast<uint8_t>(x * 9);
                row[step * x + 1] = static_cast<uint8_t>(y * 20);
                row[step * x + 2] = static_cast<uint8_t>(250 - x);
                if (step == 4)
                    row[4 * x + 3] = static_cast<uint8_t>(c.alpha >= 0 ? c.alpha : x * 9 + y);
            }
        }
    }
}

void ExpectSameColours(const CImageObject& a, const CImageObject& b, int channels) {
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    for (int32_t y = 0; y < a.height; ++y)
        for (int32_t x = 0; x < a.width; ++x) {
            uint8_t pa[4], pb[4];
            codec_test::PixelAt(a, x, y, pa);
            codec_test::PixelAt(b, x, y, pb);
            ASSERT_EQ(0, std::memcmp(pa, pb, channels)) << x << "," << y;
        }
}

TEST(TiffWriter, EveryDepthReadsBackWithItsColours) {
    const std::string dir = codec_test::ScratchFolder("tiff_writer_depths");
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        CImageObject image;
        MakeImage(&image, c);
        const std::string path = dir + "/out.tif";
        CTiffWriter writer;
        ASSERT_TRUE(writer.Write(path.c_str(), &image));
        CImageObject back;
        CTiffReader reader;
        ASSERT_TRUE(reader.Read(path.c_str(), &back));
        ExpectSameColours(image, back, c.bpp == 32 && c.alpha < 0 ? 4 : 3);
    }
    EXPECT_EQ(codec_test::FolderEntries(dir).size(), 1u);
}

TEST(TiffWriter, AnIndependentDecoderSeesTheSameColours) {
#ifdef _WIN32
    GTEST_SKIP() << "the reference decoder runs on the build host only";
#else
    const std::string dir = codec_test::ScratchFolder("tiff_writer_reference");
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        CImageObject image;
        MakeImage(&image, c);
        const std::string path = dir + "/out.tif";
        CTiffWriter writer;
        ASSERT_TRUE(writer.Write(path.c_str(), &image));
        codec_test::ExpectReferenceDecoderAgrees(path, image, c.what);
    }
#endif
}

TEST(TiffWriter, FramesBecomePagesAndComeBackAsFrames) {
    const std::string dir = codec_test::ScratchFolder("tiff_writer_frames");
    CImageObject image;
    MakeImage(&image, kCases[4]);
    CImageObject* second = new CImageObject();
    MakeImage(second, kCases[2], 9, 5);
    ASSERT_TRUE(image.AddFrame(second));
    CImageObject* third = new CImageObject();
    MakeImage(third, kCases[0], 14, 3);
    ASSERT_TRUE(image.AddFrame(third));

    const std::string path = dir + "/frames.tif";
    CTiffWriter writer;
    ASSERT_TRUE(writer.Write(path.c_str(), &image));
    CImageObject back;
    CTiffReader reader;
    ASSERT_TRUE(reader.Read(path.c_str(), &back));
    ASSERT_EQ(back.FrameCount(), 2);
    ExpectSameColours(image, back, 3);
    ExpectSameColours(*image.GetFrame(1), *back.GetFrame(1), 3);
    ExpectSameColours(*image.GetFrame(2), *back.GetFrame(2), 3);
}

TEST(TiffWriter, ColourMapsOfEightBitValuesStillRead) {
    // Files written before colour maps were scaled to 16 bits hold 0..255.
    const std::string dir = codec_test::ScratchFolder("tiff_writer_oldmap");
    const std::string path = dir + "/old.tif";
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    uint16_t map[3][256];
    for (int i = 0; i < 256; ++i) {
        map[0][i] = static_cast<uint16_t>(i);
        map[1][i] = static_cast<uint16_t>(255 - i);
        map[2][i] = static_cast<uint16_t>(i / 2);
    }
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 4u);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1u);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
    TIFFSetField(tif, TIFFTAG_COLORMAP, map[0], map[1], map[2]);
    uint8_t row[4] = {0, 10, 200, 255};
    TIFFWriteScanline(tif, row, 0, 0);
    TIFFClose(tif);

    CImageObject image;
    CTiffReader reader;
    ASSERT_TRUE(reader.Read(path.c_str(), &image));
    for (int i : {0, 10, 200, 255}) {
        EXPECT_EQ(image.palette[i].red, i);
        EXPECT_EQ(image.palette[i].green, 255 - i);
        EXPECT_EQ(image.palette[i].blue, i / 2);
    }
}

TEST(TiffWriter, FailuresLeaveNothingBehind) {
    const std::string dir = codec_test::ScratchFolder("tiff_writer_failures");
    CImageObject image;
    MakeImage(&image, kCases[4]);
    CTiffWriter writer;
    EXPECT_FALSE(writer.Write((dir + "/missing/out.tif").c_str(), &image));
    CImageObject empty;
    EXPECT_FALSE(writer.Write((dir + "/empty.tif").c_str(), &empty));
    const std::string folder = dir + "/taken.tif";
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(writer.Write(folder.c_str(), &image));
    EXPECT_EQ(codec_test::FolderEntries(dir).size(), 1u);
}

} // namespace
