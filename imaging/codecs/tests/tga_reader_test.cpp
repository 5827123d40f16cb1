// Targa reader: files from PIL, ImageMagick and netpbm against PIL's decode,
// 15/16-bit pixels, row order, run-length packets across rows, colour maps
// that must be skipped or start late, and broken headers.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/codecs/tests/own_test_support.h"
#include "imaging/codecs/tga_reader.h"

using namespace codec_test;
using namespace own_test;

namespace {

std::vector<uint8_t> Header(uint8_t mapType, uint8_t type, uint16_t mapLength, uint8_t entryBits,
                            uint16_t width, uint16_t height, uint8_t depth, uint8_t descriptor) {
    std::vector<uint8_t> b = {0, mapType, type};
    Le(b, 0, 2);
    Le(b, mapLength, 2);
    b.push_back(entryBits);
    Le(b, 0, 4);
    Le(b, width, 2);
    Le(b, height, 2);
    b.push_back(depth);
    b.push_back(descriptor);
    return b;
}

const auto Decode = [](auto&&... args) { return DecodeWith<CTargaReader>(args...); };

TEST(TargaReader, FilesMatchTheirReference) {
    struct Case {
        const char* name;
        int32_t bpp;
        bool topDown;
    } cases[] = {
        {"pil_rgb", 24, false},        {"pil_rgb_rle", 24, false}, {"pil_rgb_top", 24, true},
        {"pil_rgb_rle_top", 24, true}, {"pil_rgba", 32, false},    {"pil_rgba_rle", 32, false},
        {"pil_grey", 8, false},        {"pil_grey_rle", 8, false}, {"pil_pal", 8, false},
        {"pil_pal_rle", 8, false},     {"im_rgb", 24, false},      {"pnm_rgb", 24, false},
        {"pnm_rgb_rle", 24, false},    {"pnm_cmap", 8, false},     {"hand_15", 24, false},
        {"hand_16", 24, false},        {"hand_16_rle", 24, false}, {"hand_rgb_map", 24, true},
        {"hand_map_first", 8, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string stem = FixturePath(std::string("own_tga/") + c.name);
        ExpectedPixels want;
        ASSERT_TRUE(LoadExpected(stem + ".raw", &want));
        CImageObject image;
        EventLog log;
        ASSERT_TRUE(Decode(ReadBytes(stem + ".tga"), &image, &log));
        EXPECT_EQ(image.bitsPerPixel, c.bpp);
        EXPECT_EQ(image.topDown, c.topDown);
        ExpectPixels(image, want, c.name);
        ExpectProtocol(log, image.height, c.name);
    }
    CImageObject fromFile;
    CTargaReader reader;
    ASSERT_TRUE(reader.Read(FixturePath("own_tga/pil_rgba.tga").c_str(), &fromFile));
    EXPECT_EQ(fromFile.GetRow(0, true)[3], 77); // alpha in the fourth byte
}

TEST(TargaReader, HeaderOnlyAndShortData) {
    std::vector<uint8_t> file = Header(0, 2, 0, 0, 3, 2, 24, 0x20);
    for (int i = 0; i < 9 + 4; ++i)
        file.push_back(static_cast<uint8_t>(i + 1));
    CImageObject sized;
    sized.headerOnly = true;
    ASSERT_TRUE(Decode(file, &sized));
    EXPECT_EQ(sized.fullWidth, 3);
    EXPECT_EQ(sized.fullHeight, 2);
    EXPECT_EQ(sized.bits, nullptr);

    // The second row is cut after one pixel: it keeps that pixel.
    CImageObject part;
    ASSERT_TRUE(Decode(file, &part));
    EXPECT_EQ(part.GetRow(1, true)[0], 10);
    EXPECT_EQ(part.GetRow(1, true)[3], 0);
}

TEST(TargaReader, RefusedHeaders) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        uint64_t limit;
    } cases[] = {
        {"short header", std::vector<uint8_t>(17, 0), 0},
        {"type 0", Header(0, 0, 0, 0, 2, 2, 24, 0), 0},
        {"type 32", Header(0, 32, 0, 0, 2, 2, 24, 0), 0},
        {"depth 4", Header(0, 3, 0, 0, 2, 2, 4, 0), 0},
        {"depth 64", Header(0, 2, 0, 0, 2, 2, 64, 0), 0},
        {"mapped without a map", Header(0, 1, 0, 0, 2, 2, 8, 0), 0},
        {"mapped 24-bit", Header(1, 1, 2, 24, 2, 2, 24, 0), 0},
        {"map longer than the file", Header(1, 1, 256, 24, 2, 2, 8, 0), 0},
        {"width 0", Header(0, 2, 0, 0, 0, 2, 24, 0), 0},
        {"16000 x 16000 under the cap", Header(0, 2, 0, 0, 16000, 16000, 24, 0), 1u << 20},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = c.bytes;
        bytes.resize(bytes.size() + 12, 0);
        CImageObject image;
        EventLog log;
        EXPECT_FALSE(Decode(bytes, &image, &log, c.limit)) << c.what;
        EXPECT_TRUE(log.events.empty()) << c.what;
        EXPECT_EQ(image.bits, nullptr) << c.what;
    }
}

TEST(TargaReader, CrashersFailCleanly) {
    for (const std::string& path : Crashers("tga_")) {
        CImageObject image;
        CTargaReader reader;
        reader.m_pixelLimit = 1u << 20;
        reader.Read(path.c_str(), &image);
    }
}

} // namespace
