// PCX reader: files from PIL, netpbm and ImageMagick against their reference
// decode, the trailing palette, planar and packed sub-byte pixels, and the
// headers that must be refused.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/codecs/pcx_reader.h"
#include "imaging/codecs/tests/own_test_support.h"

using namespace codec_test;
using namespace own_test;

namespace {

// A 128-byte header with a 16-entry palette of (i * 16, 255 - i, i).
std::vector<uint8_t> Header(int bits, int planes, int xmin, int xmax, int ymin, int ymax,
                            int bytesPerLine) {
    std::vector<uint8_t> b = {10, 5, 1, static_cast<uint8_t>(bits)};
    for (int v : {xmin, ymin, xmax, ymax, 72, 72})
        Le(b, static_cast<uint32_t>(v), 2);
    for (int i = 0; i < 16; ++i) {
        b.push_back(static_cast<uint8_t>(i * 16));
        b.push_back(static_cast<uint8_t>(255 - i));
        b.push_back(static_cast<uint8_t>(i));
    }
    b.push_back(0);
    b.push_back(static_cast<uint8_t>(planes));
    Le(b, static_cast<uint32_t>(bytesPerLine), 2);
    b.resize(128, 0);
    return b;
}

const auto Decode = [](auto&&... args) { return DecodeWith<CPcxReader>(args...); };

TEST(PcxReader, FilesMatchTheirReference) {
    struct Case {
        const char* name;
        int32_t bpp;
    } cases[] = {
        {"pil_1", 1}, {"pil_pal", 8}, {"pil_grey", 8}, {"pil_rgb", 24},    {"no_marker", 8},
        {"pnm_8", 8}, {"pnm_24", 24}, {"im_rgb", 24},  {"pnm_planes4", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string stem = FixturePath(std::string("own_pcx/") + c.name);
        ExpectedPixels want;
        ASSERT_TRUE(LoadExpected(stem + ".raw", &want));
        CImageObject image;
        EventLog log;
        ASSERT_TRUE(Decode(ReadBytes(stem + ".pcx"), &image, &log));
        EXPECT_EQ(image.bitsPerPixel, c.bpp);
        ExpectPixels(image, want, c.name);
        ExpectProtocol(log, image.height, c.name);
    }
}

TEST(PcxReader, SubBytePixels) {
    // Two-bit pixels, packed in one plane and split over two 1-bit planes;
    // four-bit pixels packed. Row: indexes 0, 1, 2, 3, 3 (width 5).
    struct Case {
        const char* what;
        int bits, planes, bytesPerLine;
        std::vector<uint8_t> scanline;
        int colours;
    } cases[] = {
        {"2-bit packed", 2, 1, 2, {0x1B, 0xC0}, 4},
        {"1-bit planes", 1, 2, 2, {0x58, 0x00, 0x38, 0x00}, 4},
        {"4-bit packed", 4, 1, 4, {0x01, 0x23, 0x30, 0x00}, 16},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> file = Header(c.bits, c.planes, 0, 4, 0, 0, c.bytesPerLine);
        for (uint8_t b : c.scanline) {
            file.push_back(0xC1); // a run of one keeps bytes above 191 safe
            file.push_back(b);
        }
        CImageObject image;
        ASSERT_TRUE(Decode(file, &image)) << c.what;
        EXPECT_EQ(image.bitsPerPixel, 8) << c.what;
        // The header palette fills the image's palette and never more.
        EXPECT_EQ(image.paletteCount, c.colours) << c.what;
        EXPECT_EQ(image.palette[3].red, 48) << c.what;
        const uint8_t want[5] = {0, 1, 2, 3, 3};
        EXPECT_EQ(0, std::memcmp(image.GetRow(0, true), want, 5)) << c.what;
    }
}

TEST(PcxReader, HeaderOnlyRunsAndTruncation) {
    std::vector<uint8_t> file = Header(8, 1, 10, 13, 20, 22, 4);
    file.insert(file.end(), {0xC8, 7, 1, 2, 3}); // a run of 8 crossing into row 1
    CImageObject sized;
    sized.headerOnly = true;
    ASSERT_TRUE(Decode(file, &sized));
    EXPECT_EQ(sized.fullWidth, 4);
    EXPECT_EQ(sized.fullHeight, 3);
    EXPECT_EQ(sized.bits, nullptr);

    CImageObject image;
    EventLog log;
    ASSERT_TRUE(Decode(file, &image, &log));
    EXPECT_EQ(image.GetRow(1, true)[3], 7);
    EXPECT_EQ(image.GetRow(2, true)[2], 3);
    EXPECT_EQ(log.events.size(), 5u); // 2, three rows (the last one partial), 3

    // A run longer than what is missing ends the expansion.
    std::vector<uint8_t> over = Header(8, 1, 0, 1, 0, 0, 2);
    over.insert(over.end(), {0xC3, 9});
    CImageObject stopped;
    ASSERT_TRUE(Decode(over, &stopped));
    EXPECT_EQ(stopped.GetRow(0, true)[0], 0);
}

TEST(PcxReader, RefusedHeaders) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        uint64_t limit;
    };
    std::vector<Case> cases = {
        {"short header", std::vector<uint8_t>(127, 0), 0},
        {"depth 3", Header(1, 3, 0, 3, 0, 0, 1), 0},
        {"depth 32", Header(8, 4, 0, 3, 0, 0, 4), 0},
        {"bits 3", Header(3, 1, 0, 3, 0, 0, 2), 0},
        {"xmax below xmin", Header(8, 1, 5, 4, 0, 0, 4), 0},
        {"ymax below ymin", Header(8, 1, 0, 4, 3, 0, 6), 0},
        {"bytes per line shorter than a row", Header(8, 1, 0, 9, 0, 1, 9), 0},
        {"1-bit bytes per line too short", Header(1, 1, 0, 16, 0, 1, 2), 0},
        {"16000 x 16000 under the cap", Header(8, 3, 0, 15999, 0, 15999, 16000), 1u << 20},
    };
    std::vector<uint8_t> maker = Header(8, 1, 0, 3, 0, 0, 4);
    maker[0] = 9;
    cases.push_back({"manufacturer 9", maker, 0});
    std::vector<uint8_t> encoding = Header(8, 1, 0, 3, 0, 0, 4);
    encoding[2] = 0;
    cases.push_back({"encoding 0", encoding, 0});
    for (Case& c : cases) {
        c.bytes.resize(c.bytes.size() + 8, 0);
        CImageObject image;
        EventLog log;
        EXPECT_FALSE(Decode(c.bytes, &image, &log, c.limit)) << c.what;
        EXPECT_TRUE(log.events.empty()) << c.what;
        EXPECT_EQ(image.bits, nullptr) << c.what;
    }
}

TEST(PcxReader, CrashersFailCleanly) {
    for (const std::string& path : Crashers("pcx_")) {
        CImageObject image;
        CPcxReader reader;
        reader.m_pixelLimit = 1u << 20;
        reader.Read(path.c_str(), &image);
    }
}

} // namespace
