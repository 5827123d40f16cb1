// PNG writer: the header's colour type per depth, round trips through our
// reader and through PIL, opaque output for an unused fourth byte, failures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "imaging/codecs/png_codec.h"
#include "imaging/codecs/tests/codec_test_support.h"
#include "imaging/image_object.h"

using codec_test::ExpectedPixels;
using codec_test::LoadExpected;

namespace {

// A pattern in every depth. alpha: the fourth byte at 32 bpp (-1: varying).
void MakeImage(CImageObject* image, int32_t bpp, bool greyPalette, int alpha = -1) {
    const int32_t w = 29, h = 13;
    ASSERT_TRUE(image->Create(w, h, bpp, 0));
    if (bpp == 8 && !greyPalette)
        for (int i = 0; i < 256; ++i)
            image->SetPaletteEntry(i, static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                   static_cast<uint8_t>(i * 7), 0);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = image->GetRow(y, true);
        for (int32_t x = 0; x < w; ++x) {
            switch (bpp) {
            case 1:
                if ((x + y) % 3 == 0)
                    row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
                break;
            case 8:
                row[x] = static_cast<uint8_t>(x * 9 + y);
                break;
            case 24:
                row[3 * x] = static_cast<uint8_t>(x * 8);
                row[3 * x + 1] = static_cast<uint8_t>(y * 19);
                row[3 * x + 2] = static_cast<uint8_t>(200 - x);
                break;
            default:
                row[4 * x] = static_cast<uint8_t>(x * 8);
                row[4 * x + 1] = static_cast<uint8_t>(y * 19);
                row[4 * x + 2] = static_cast<uint8_t>(200 - x);
                row[4 * x + 3] = static_cast<uint8_t>(alpha >= 0 ? alpha : (x * y) % 256);
                break;
            }
        }
    }
}

struct Header {
    int bitDepth, colorType, interlace;
};

Header ReadHeader(const std::string& path) {
    auto b = codec_test::ReadBytes(path);
    if (b.size() < 29)
        return {-1, -1, -1};
    return {b[24], b[25], b[28]};
}

struct Case {
    const char* what;
    int32_t bpp;
    bool greyPalette;
    int alpha;
    int colorType; // expected in the file
    int bitDepth;
};

const Case kCases[] = {
    {"1 bpp", 1, false, -1, 3, 1},
    {"8 bpp grey", 8, true, -1, 0, 8},
    {"8 bpp colour", 8, false, -1, 3, 8},
    {"24 bpp", 24, false, -1, 2, 8},
    {"32 bpp with alpha", 32, false, -1, 6, 8},
    {"32 bpp fourth byte unused", 32, false, 0, 2, 8},
    {"32 bpp opaque", 32, false, 255, 6, 8},
};

TEST(PngWriter, HeaderFollowsTheDepthAndPixelsRoundTrip) {
    const std::string dir = codec_test::ScratchFolder("png_writer_depths");
    for (bool interlace : {false, true}) {
        for (const Case& c : kCases) {
            SCOPED_TRACE(std::string(c.what) + (interlace ? " interlaced" : ""));
            CImageObject image;
            MakeImage(&image, c.bpp, c.greyPalette, c.alpha);
            const std::string path = dir + "/out.png";
            CPngWriter writer;
            writer.m_interlace = interlace;
            ASSERT_TRUE(writer.Write(path.c_str(), &image));
            const Header h = ReadHeader(path);
            EXPECT_EQ(h.colorType, c.colorType);
            EXPECT_EQ(h.bitDepth, c.bitDepth);
            EXPECT_EQ(h.interlace, interlace ? 1 : 0);

            CImageObject back;
            CPngReader reader;
            ASSERT_TRUE(reader.Read(path.c_str(), &back));
            ASSERT_EQ(back.width, image.width);
            ASSERT_EQ(back.height, image.height);
            for (int32_t y = 0; y < image.height; ++y)
                for (int32_t x = 0; x < image.width; ++x) {
                    uint8_t want[4], got[4];
                    codec_test::PixelAt(image, x, y, want);
                    codec_test::PixelAt(back, x, y, got);
                    if (c.colorType == 2 && c.bpp == 32)
                        want[3] = 0; // read back as 24 bpp
                    ASSERT_EQ(0, std::memcmp(want, got, c.bpp == 32 && c.colorType == 6 ? 4 : 3))
                        << x << "," << y;
                }
        }
    }
    EXPECT_EQ(codec_test::FolderEntries(dir).size(), 1u);
}

TEST(PngWriter, AnIndependentDecoderSeesTheSamePixels) {
#ifdef _WIN32
    GTEST_SKIP() << "the reference decoder runs on the build host only";
#else
    const std::string dir = codec_test::ScratchFolder("png_writer_reference");
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        CImageObject image;
        MakeImage(&image, c.bpp, c.greyPalette, c.alpha);
        const std::string path = dir + "/out.png";
        CPngWriter writer;
        ASSERT_TRUE(writer.Write(path.c_str(), &image));
        codec_test::ExpectReferenceDecoderAgrees(path, image, c.what);
    }
#endif
}

TEST(PngWriter, FailuresLeaveNothingBehind) {
    const std::string dir = codec_test::ScratchFolder("png_writer_failures");
    CImageObject image;
    MakeImage(&image, 24, false);
    CPngWriter writer;
    EXPECT_FALSE(writer.Write((dir + "/missing/out.png").c_str(), &image));
    CImageObject empty;
    EXPECT_FALSE(writer.Write((dir + "/empty.png").c_str(), &empty));
    const std::string folder = dir + "/taken.png";
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(writer.Write(folder.c_str(), &image));
    EXPECT_EQ(codec_test::FolderEntries(dir).size(), 1u);
}

} // namespace
