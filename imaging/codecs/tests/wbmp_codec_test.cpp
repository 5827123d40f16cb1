// WBMP reader and writer: files from netpbm and ImageMagick against netpbm's
// decode, multi-byte integers, polarity, conversion of other depths, and our
// files read back by netpbm.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/codecs/tests/own_test_support.h"
#include "imaging/codecs/wbmp_codec.h"

using namespace codec_test;
using namespace own_test;

namespace {

const auto Decode = [](auto&&... args) { return DecodeWith<CWbmpReader>(args...); };

TEST(WbmpReader, FilesFromOtherToolsMatchNetpbm) {
    for (const char* name : {"pbm", "im"}) {
        SCOPED_TRACE(name);
        const std::string stem = FixturePath(std::string("own_wbmp/") + name);
        ExpectedPixels want;
        ASSERT_TRUE(LoadExpected(stem + ".raw", &want));
        CImageObject image;
        EventLog log;
        ASSERT_TRUE(Decode(ReadBytes(stem + ".wbmp"), &image, &log));
        EXPECT_EQ(image.bitsPerPixel, 1);
        ExpectPixels(image, want, name);
        ExpectProtocol(log, image.height, name);
        CImageObject fromFile;
        CWbmpReader reader;
        ASSERT_TRUE(reader.Read((stem + ".wbmp").c_str(), &fromFile));
        EXPECT_EQ(fromFile.width, 203); // 0x81 0x4B
    }
}

TEST(WbmpReader, HeadersAndShortData) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool ok;
        int32_t width, height;
    } cases[] = {
        {"plain", {0, 0, 9, 2, 0xFF, 0x80, 0x0F, 0x00}, true, 9, 2},
        {"five-byte width within 32 bits", {0, 0, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 1}, false, 0, 0},
        {"width above 32 bits", {0, 0, 0x9F, 0xFF, 0xFF, 0xFF, 0x7F, 1}, false, 0, 0},
        {"six-byte integer", {0, 0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01, 1}, false, 0, 0},
        {"height missing", {0, 0, 4}, false, 0, 0},
        {"height 0", {0, 0, 4, 0}, false, 0, 0},
        {"rows cut short", {0, 0, 9, 3, 0xFF, 0x80, 0x0F}, true, 9, 3},
    };
    for (const Case& c : cases) {
        CImageObject image;
        EXPECT_EQ(Decode(c.bytes, &image, nullptr, 1u << 20), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(image.width, c.width) << c.what;
            EXPECT_EQ(image.height, c.height) << c.what;
            EXPECT_EQ(image.GetRow(0, true)[0], 0xFF) << c.what;
        }
    }
}

// Whiteness of every pixel, through the palette.
std::vector<bool> WhitePixels(const CImageObject& image) {
    std::vector<bool> white;
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) {
            uint8_t p[4];
            PixelAt(image, x, y, p);
            white.push_back(p[0] + p[1] + p[2] > 3 * 127);
        }
    return white;
}

TEST(WbmpWriter, KeepsWhatIsWhite) {
    const std::string dir = ScratchFolder("wbmp_writer");
    struct Case {
        const char* what;
        int32_t bpp;
        bool whiteFirst; // 1 bpp palette order
    } cases[] = {{"1 bpp black first", 1, false},
                 {"1 bpp white first", 1, true},
                 {"8 bpp grey", 8, false},
                 {"24 bpp colour", 24, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CImageObject image;
        const int32_t width = 200, height = 3;
        ASSERT_TRUE(image.Create(width, height, c.bpp, 0));
        if (c.whiteFirst) {
            image.SetPaletteEntry(0, 255, 255, 255, 0);
            image.SetPaletteEntry(1, 0, 0, 0, 0);
        }
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                bool on = (x / 5 + y) % 2 == 0;
                uint8_t* row = image.GetRow(y, true);
                if (c.bpp == 1)
                    row[x / 8] |= on ? static_cast<uint8_t>(0x80 >> (x % 8)) : 0;
                else if (c.bpp == 8)
                    row[x] = on ? 250 : 10;
                else
                    row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = on ? 240 : 20;
            }
        const std::string path = dir + "/out.wbmp";
        CWbmpWriter writer;
        ASSERT_TRUE(writer.Write(path.c_str(), &image));
        std::vector<uint8_t> bytes = ReadBytes(path);
        ASSERT_GE(bytes.size(), 5u);
        EXPECT_EQ(bytes[2], 0x81); // 200 as a multi-byte integer
        EXPECT_EQ(bytes[3], 0x48);
        EXPECT_EQ(bytes[4], 3);
        CImageObject back;
        ASSERT_TRUE(Decode(bytes, &back));
        EXPECT_EQ(WhitePixels(back), WhitePixels(image));
#ifndef _WIN32
        ExpectedPixels want;
        ASSERT_TRUE(RunPnm("wbmptopbm '" + path + "' 2>/dev/null", &want));
        ExpectPixels(back, want, c.what);
#endif
    }
}

TEST(WbmpWriter, FailuresLeaveTheTargetAlone) {
    const std::string dir = ScratchFolder("wbmp_writer_refused");
    const std::string path = dir + "/keep.wbmp";
    ASSERT_TRUE(WriteBytes(path, {'o', 'l', 'd'}));
    CWbmpWriter writer;
    CImageObject empty;
    EXPECT_FALSE(writer.Write(path.c_str(), &empty));
    EXPECT_EQ(ReadBytes(path).size(), 3u);
    EXPECT_EQ(FolderEntries(dir).size(), 1u);
}

TEST(WbmpReader, CrashersFailCleanly) {
    for (const std::string& path : Crashers("wbmp_")) {
        CImageObject image;
        CWbmpReader reader;
        reader.m_pixelLimit = 1u << 20;
        reader.Read(path.c_str(), &image);
    }
}

} // namespace
